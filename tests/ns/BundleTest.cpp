#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "pellavo/PellavoBundle.hpp"
#include "platform/ns/Bundle.hpp"
#include "platform/ns/Console.hpp"

namespace {

namespace fs = std::filesystem;
using pellavo::ns::Bundle;

fs::path normalised(const fs::path& p) { return fs::weakly_canonical(p); }

int functionInTheTestProgram() { return 0; }

TEST(Bundle, LibraryBundleIsTheDirectoryBesideTheLibrary) {
    const fs::path expected = fs::path(PELLAVO_BUILD_DIR) / "lib" / "pellavo-resources";
    const fs::path actual = pellavo::libraryBundle().resourcePath();
    EXPECT_EQ(actual.filename(), "pellavo-resources");
    EXPECT_EQ(normalised(actual), normalised(expected));
    EXPECT_TRUE(fs::is_directory(actual));
    EXPECT_EQ(pellavo::libraryBundle().path("no-such-resource", "xml"), std::nullopt);
}

TEST(Bundle, ForAddressNamesTheBinaryHoldingIt) {
    const Bundle bundle = Bundle::forAddress(reinterpret_cast<const void*>(&functionInTheTestProgram), "tests");
    EXPECT_EQ(normalised(bundle.resourcePath()), normalised(fs::path(PELLAVO_BUILD_DIR) / "bin" / "tests-resources"));

    pellavo::ns::ConsoleCapture console;
    EXPECT_TRUE(Bundle::forAddress(nullptr, "none").resourcePath().empty());
    EXPECT_EQ(console.loggedLines().size(), 1u);
}

class MainBundleTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = Bundle::main().resourcePath();
        dir = fs::temp_directory_path() / ("pellavo-bundle-" + std::to_string(getpid()));
        fs::create_directories(dir / "resources" / "sub");
        for (const char* name : {"resources/keyboard.xml", "resources/README", "resources/sub/x.png", "secret.txt"}) {
            std::ofstream(dir / name) << "x";
        }
        Bundle::main().setResourcePath(dir / "resources");
    }
    void TearDown() override {
        Bundle::main().setResourcePath(saved);
        fs::remove_all(dir);
    }
    fs::path saved;
    fs::path dir;
};

TEST_F(MainBundleTest, DefaultsToResourcesBesideTheExecutable) {
    EXPECT_EQ(normalised(saved), normalised(fs::path(PELLAVO_BUILD_DIR) / "bin" / "resources"));
}

TEST_F(MainBundleTest, FindsExistingFilesOnlyInsideTheBundle) {
    const fs::path root = dir / "resources";
    EXPECT_EQ(Bundle::main().path("keyboard", "xml"), root / "keyboard.xml");
    EXPECT_EQ(Bundle::main().path("keyboard", ".xml"), root / "keyboard.xml");
    EXPECT_EQ(Bundle::main().path("README", ""), root / "README");
    struct Case {
        const char* name;
        const char* type;
    };
    for (const Case& c : {Case{"missing", "xml"}, Case{"keyboard", "png"}, Case{"../secret", "txt"},
                          Case{"..", ""}, Case{"sub/x", "png"}, Case{"sub", ""}, Case{"", "xml"},
                          Case{"keyboard", "xml/../x"}, Case{"/etc/passwd", ""}}) {
        EXPECT_EQ(Bundle::main().path(c.name, c.type), std::nullopt) << c.name << " . " << c.type;
    }
}

} // namespace
