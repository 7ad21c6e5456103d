#include "platform/ns/Object.hpp"

#include <cxxabi.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <typeindex>
#include <typeinfo>
#include <unordered_set>

#include "platform/ns/Console.hpp"

namespace pellavo::ns::detail {

namespace {

// The C++ name of the object's most-derived class: the runtime's name would give an
// unregistered subclass its registered ancestor's.
std::string typeName(const std::type_info& type) {
    int status = 0;
    char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    std::string name = status == 0 && demangled != nullptr ? demangled : type.name();
    std::free(demangled);
    return name;
}

} // namespace

void reportSkippedInit(const Object& object) {
    static std::mutex mutex;
    static std::unordered_set<std::type_index> reported;
    const std::type_info& type = typeid(object);
    {
        const std::lock_guard lock(mutex);
        if (!reported.insert(type).second) return;
    }
    log(typeName(type) + " was created without ns::make; its init() never ran");
}

} // namespace pellavo::ns::detail
