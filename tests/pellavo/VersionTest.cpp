#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "pellavo/Version.hpp"

namespace {

// Hosts find the version by name in the shared library, without our headers.
TEST(Version, SymbolsAreExportedUnmangledWithExactValues) {
    const std::string path = std::string(PELLAVO_BUILD_DIR) + "/lib/libpellavo.so";
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) handle = dlopen(path.c_str(), RTLD_NOW);
    ASSERT_NE(handle, nullptr) << dlerror();
    const auto* number = static_cast<const double*>(dlsym(handle, "PellavoVersionNumber"));
    const auto* text = static_cast<const unsigned char*>(dlsym(handle, "PellavoVersionString"));
    ASSERT_NE(number, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(*number, PELLAVO_VERSION_NUMBER);
    const char expected[] = "@(#)PROGRAM:Pellavo  PROJECT:Pellavo-" PELLAVO_VERSION_FULL "\n";
    EXPECT_EQ(std::memcmp(text, expected, sizeof expected), 0);
    dlclose(handle);
}

// The generated header carries project()'s version.
TEST(Version, GeneratedFromTheProjectVersion) {
    EXPECT_STREQ(PELLAVO_VERSION, PELLAVO_PROJECT_VERSION);
    EXPECT_EQ(std::string(PELLAVO_VERSION_FULL).rfind(PELLAVO_VERSION ".", 0), 0u);
    // major.minor.patch.tweak, every part a number.
    int parts[4] = {};
    int used = 0;
    ASSERT_EQ(std::sscanf(PELLAVO_VERSION_FULL, "%d.%d.%d.%d%n", &parts[0], &parts[1], &parts[2], &parts[3], &used), 4)
        << PELLAVO_VERSION_FULL;
    EXPECT_EQ(used, static_cast<int>(std::strlen(PELLAVO_VERSION_FULL))) << PELLAVO_VERSION_FULL;
    EXPECT_EQ(parts[0], PELLAVO_VERSION_MAJOR);
    EXPECT_EQ(parts[1], PELLAVO_VERSION_MINOR);
    EXPECT_EQ(parts[2], PELLAVO_VERSION_PATCH);
}

} // namespace
