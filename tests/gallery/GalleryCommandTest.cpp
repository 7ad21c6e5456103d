// The gallery program as a user runs it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ui/graphics/Image.hpp"

namespace pellavo::gallery {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class GalleryCommand : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("pellavo-gallery-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    Outcome run(const std::string& args) const {
        const std::string command = std::string(PELLAVO_BUILD_DIR) + "/bin/pellavo-gallery " + args + " >" +
                                    (dir / "out").string() + " 2>" + (dir / "err").string();
        const int raw = std::system(command.c_str());
        Outcome result;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = slurp(dir / "out");
        result.err = slurp(dir / "err");
        return result;
    }

    fs::path dir;
};

TEST_F(GalleryCommand, PngModeWritesTheIndexAndEveryPageAtTheScreenSize) {
    const Outcome list = run("--list");
    ASSERT_EQ(list.status, 0);
    std::vector<std::string> ids;
    std::istringstream lines(list.out);
    for (std::string id; std::getline(lines, id);) ids.push_back(id);
    ASSERT_FALSE(ids.empty());
    ASSERT_NE(ids.front(), "no pages");

    const fs::path out = dir / "png";
    const Outcome png = run("--png " + out.string());
    ASSERT_EQ(png.status, 0) << png.err;
    std::vector<std::string> files{"index"};
    files.insert(files.end(), ids.begin(), ids.end());
    for (const auto& name : files) {
        const std::string bytes = slurp(out / (name + ".png"));
        const auto image = ui::Image::fromData(std::as_bytes(std::span(bytes.data(), bytes.size())));
        ASSERT_TRUE(image.cgImage()) << name;
        EXPECT_EQ(image.cgImage()->width(), 750) << name;
        EXPECT_EQ(image.cgImage()->height(), 1334) << name;
    }
    // The index shows the first page's tile in the tint colour, below the bar.
    const std::string bytes = slurp(out / "index.png");
    const auto index = ui::Image::fromData(std::as_bytes(std::span(bytes.data(), bytes.size())));
    EXPECT_EQ(index.cgImage()->pixel(100, 140), (cg::RGBA8{0, 122, 255, 255}));
    EXPECT_EQ(index.cgImage()->pixel(100, 100), (cg::RGBA8{255, 255, 255, 255}));

    // --page narrows the PNG mode to that page.
    const fs::path one = dir / "one";
    ASSERT_EQ(run("--png " + one.string() + " --page " + ids.front()).status, 0);
    EXPECT_TRUE(fs::exists(one / (ids.front() + ".png")));
    EXPECT_FALSE(fs::exists(one / "index.png"));
}

TEST_F(GalleryCommand, BadCommandLinesExitTwoWithAMessage) {
    struct Case {
        const char* args;
        const char* stderrStart;
    };
    const Case cases[] = {
        {"--page no-such-page", "unknown page: no-such-page\n"},
        {"--png /nonexistent-dir-never-made --page no-such-page", "unknown page: no-such-page\n"},
        {"--bogus", "usage: pellavo-gallery"},
        {"--page", "usage: pellavo-gallery"},
        {"--frames 0", "usage: pellavo-gallery"},
        {"--frames 12x", "usage: pellavo-gallery"},
    };
    for (const auto& c : cases) {
        const Outcome result = run(c.args);
        EXPECT_EQ(result.status, 2) << c.args;
        EXPECT_EQ(result.err.rfind(c.stderrStart, 0), 0u) << c.args << ": " << result.err;
        EXPECT_EQ(result.out, "") << c.args;
    }
}

} // namespace
} // namespace pellavo::gallery
