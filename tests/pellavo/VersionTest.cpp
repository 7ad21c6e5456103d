#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

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
    EXPECT_EQ(*number, 5.2);
    const char expected[] = "@(#)PROGRAM:Pellavo  PROJECT:Pellavo-5.2.0.0\n";
    EXPECT_EQ(std::memcmp(text, expected, sizeof expected), 0);
    dlclose(handle);
}

} // namespace
