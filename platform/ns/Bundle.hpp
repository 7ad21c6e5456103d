#pragma once

#include "platform/ns/Export.hpp"

#include <filesystem>
#include <mutex>
#include <optional>
#include <string_view>

namespace pellavo::ns {

// A directory of resources that belongs to a binary.
class PELLAVO_EXPORT Bundle {
public:
    explicit Bundle(std::filesystem::path resourcePath = {}) : resourcePath_(std::move(resourcePath)) {}
    Bundle(const Bundle& other) : resourcePath_(other.resourcePath()) {}
    Bundle& operator=(const Bundle& other);

    // The resources of the shared object (or executable) that holds `address`:
    // `<its directory>/<name>-resources/`, the same in the build tree and after
    // install. An address outside every loaded object gives an empty bundle.
    static Bundle forAddress(const void* address, std::string_view name);
    // `<executable directory>/resources`, unless a test moved it with setResourcePath.
    static Bundle& main();

    std::filesystem::path resourcePath() const;
    void setResourcePath(std::filesystem::path path);

    // The file `<name>.<type>` (or `<name>` for an empty type) when it exists. Names
    // reaching outside the bundle (containing '/' or "..") give nullopt.
    std::optional<std::filesystem::path> path(std::string_view forResource, std::string_view ofType) const;

private:
    mutable std::mutex mutex_;
    std::filesystem::path resourcePath_;
};

} // namespace pellavo::ns
