#include "platform/ns/Bundle.hpp"

#include <dlfcn.h>

#include <string>
#include <system_error>

#include "platform/ns/Console.hpp"

namespace pellavo::ns {

namespace fs = std::filesystem;

namespace {

fs::path executablePath() {
    std::error_code error;
    fs::path path = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : path;
}

bool isSafeComponent(std::string_view part) {
    return part.find('/') == std::string_view::npos && part.find("..") == std::string_view::npos &&
           part.find('\0') == std::string_view::npos;
}

} // namespace

Bundle& Bundle::operator=(const Bundle& other) {
    if (this != &other) {
        fs::path path = other.resourcePath();
        std::lock_guard lock(mutex_);
        resourcePath_ = std::move(path);
    }
    return *this;
}

Bundle Bundle::forAddress(const void* address, std::string_view name) {
    Dl_info info{};
    if (address == nullptr || dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
        log("Bundle: no loaded object holds the address for " + std::string(name));
        return Bundle();
    }
    fs::path object = info.dli_fname;
    // The main program may be reported by the name it was started with.
    std::error_code error;
    if (object.empty() || !fs::is_regular_file(object, error)) object = executablePath();
    if (object.empty()) {
        log("Bundle: cannot locate the binary for " + std::string(name));
        return Bundle();
    }
    object = fs::absolute(object, error).lexically_normal();
    return Bundle(object.parent_path() / (std::string(name) + "-resources"));
}

Bundle& Bundle::main() {
    static Bundle bundle([] {
        const fs::path exe = executablePath();
        return exe.empty() ? fs::path() : exe.parent_path() / "resources";
    }());
    return bundle;
}

fs::path Bundle::resourcePath() const {
    std::lock_guard lock(mutex_);
    return resourcePath_;
}

void Bundle::setResourcePath(fs::path path) {
    std::lock_guard lock(mutex_);
    resourcePath_ = std::move(path);
}

std::optional<fs::path> Bundle::path(std::string_view forResource, std::string_view ofType) const {
    if (!ofType.empty() && ofType.front() == '.') ofType.remove_prefix(1);
    if (forResource.empty() || !isSafeComponent(forResource) || !isSafeComponent(ofType)) return std::nullopt;
    const fs::path root = resourcePath();
    if (root.empty()) return std::nullopt;
    std::string file(forResource);
    if (!ofType.empty()) file.append(".").append(ofType);
    fs::path candidate = root / file;
    std::error_code error;
    if (!fs::is_regular_file(candidate, error)) return std::nullopt;
    return candidate;
}

} // namespace pellavo::ns
