#include "tests/support/Golden.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <unistd.h>

#include "platform/backend/ImageCodec.hpp"

namespace pellavo::testing {
namespace {

std::shared_ptr<cg::Image> picture(int width, int height) {
    auto image = std::make_shared<cg::Image>(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t a = x < 5 ? 0 : 128 + (x * 3 + y) % 128;
            const std::uint32_t word = (a << 24) | ((x * 4 % 256) * a / 255 << 16) | ((y * 5 % 256) * a / 255 << 8) | (a / 3);
            std::memcpy(image->mutableData() + y * image->stride() + x * 4, &word, 4);
        }
    return image;
}

// Moves one channel of pixel (x, y) by `by` (premultiplied, kept ≤ alpha).
void nudge(cg::Image& image, int x, int y, int by) {
    std::uint32_t word;
    std::uint8_t* at = image.mutableData() + y * image.stride() + x * 4;
    std::memcpy(&word, at, 4);
    const int a = static_cast<int>(word >> 24);
    const int g = std::clamp(static_cast<int>((word >> 8) & 0xFF) + by, 0, a);
    word = (word & 0xFFFF00FFu) | (static_cast<std::uint32_t>(g) << 8);
    std::memcpy(at, &word, 4);
}

class GoldenTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = std::filesystem::temp_directory_path() /
                ("pellavo-golden-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        settings_.goldenDirectory = root_ / "golden";
        settings_.failureDirectory = root_ / "failures";
        GoldenSettings update = settings_;
        update.update = true;
        const auto recorded = compareWithGolden(*golden_, "card", update);
        ASSERT_TRUE(recorded.passed) << recorded.message;
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    bool failureFilesExist(const std::string& name) const {
        return std::filesystem::exists(settings_.failureDirectory / (name + ".actual.png")) &&
               std::filesystem::exists(settings_.failureDirectory / (name + ".expected.png")) &&
               std::filesystem::exists(settings_.failureDirectory / (name + ".diff.png"));
    }

    std::filesystem::path root_;
    GoldenSettings settings_;
    std::shared_ptr<cg::Image> golden_ = picture(40, 30);
};

TEST_F(GoldenTest, UpdateModeWritesTheGolden) {
    const auto bytes = [&] {
        std::ifstream in(settings_.goldenDirectory / "card.png", std::ios::binary);
        std::vector<char> chars((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<std::byte> out(chars.size());
        std::memcpy(out.data(), chars.data(), chars.size());
        return out;
    }();
    const auto stored = backend::decodePng(bytes);
    ASSERT_TRUE(stored);
    ASSERT_EQ(stored->width(), 40);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(stored->word(x, y), golden_->word(x, y));
    GoldenSettings update = settings_;
    update.update = true;
    const auto result = compareWithGolden(*picture(3, 3), "card", update);
    EXPECT_TRUE(result.passed);
    EXPECT_NE(result.message.find("card.png"), std::string::npos);
    EXPECT_FALSE(compareWithGolden(*golden_, "card", settings_).passed) << "the golden was replaced";
}

TEST_F(GoldenTest, IdenticalAndSlightlyJitteredPicturesPass) {
    const auto same = compareWithGolden(*picture(40, 30), "card", settings_);
    EXPECT_TRUE(same.passed) << same.message;
    EXPECT_TRUE(same.message.empty());

    // Every pixel off by up to 3, and 6 of 1200 (0.5 %) off by up to 24 once
    // un-premultiplied (alpha is at least 165 there).
    auto jittered = picture(40, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 5; x < 40; ++x) nudge(*jittered, x, y, (x + y) % 3 == 0 ? 1 : -1);
    for (int i = 0; i < 6; ++i) nudge(*jittered, 10 + i * 4, 7, -14);
    const auto result = compareWithGolden(*jittered, "card", settings_);
    EXPECT_TRUE(result.passed) << result.message;
    EXPECT_FALSE(std::filesystem::exists(settings_.failureDirectory));
}

TEST_F(GoldenTest, LargeChangesFailAndWriteThreeFiles) {
    auto one = picture(40, 30);
    nudge(*one, 20, 10, -40); // one pixel beyond the hard limit
    const auto single = compareWithGolden(*one, "card", settings_);
    EXPECT_FALSE(single.passed);
    EXPECT_TRUE(failureFilesExist("card"));
    EXPECT_NE(single.message.find("1 of 1200"), std::string::npos) << single.message;
    EXPECT_NE(single.message.find("first at (20, 10)"), std::string::npos) << single.message;
    EXPECT_NE(single.message.find("card.diff.png"), std::string::npos) << single.message;

    // 7 of 1200 pixels (over 0.5 %) off by 10: each within the limit, too many together.
    auto many = picture(40, 30);
    for (int i = 0; i < 7; ++i) nudge(*many, 6 + i * 4, 20, -10);
    const auto spread = compareWithGolden(*many, "spread", [&] {
        GoldenSettings s = settings_;
        std::filesystem::copy_file(s.goldenDirectory / "card.png", s.goldenDirectory / "spread.png");
        return s;
    }());
    EXPECT_FALSE(spread.passed);
    EXPECT_TRUE(failureFilesExist("spread"));

    // The diff marks the hard failure in red over a grey copy.
    std::ifstream in(settings_.failureDirectory / "card.diff.png", std::ios::binary);
    std::vector<char> chars((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::byte> bytes(chars.size());
    std::memcpy(bytes.data(), chars.data(), chars.size());
    const auto diff = backend::decodePng(bytes);
    ASSERT_TRUE(diff);
    EXPECT_EQ(diff->pixel(20, 10), (cg::RGBA8{255, 0, 0, 255}));
    const cg::RGBA8 elsewhere = diff->pixel(30, 20);
    EXPECT_EQ(elsewhere.r, elsewhere.g);
    EXPECT_EQ(elsewhere.g, elsewhere.b);
}

TEST_F(GoldenTest, SizeMismatchOrMissingGoldenFails) {
    const auto sized = compareWithGolden(*picture(40, 31), "card", settings_);
    EXPECT_FALSE(sized.passed);
    EXPECT_NE(sized.message.find("40 x 31"), std::string::npos) << sized.message;
    EXPECT_TRUE(failureFilesExist("card"));

    const auto missing = compareWithGolden(*golden_, "nothing-here", settings_);
    EXPECT_FALSE(missing.passed);
    EXPECT_NE(missing.message.find("PELLAVO_UPDATE_GOLDENS=1"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(settings_.failureDirectory / "nothing-here.actual.png"));
}

} // namespace
} // namespace pellavo::testing
