#include "pellavo/PellavoBundle.hpp"

#include "pellavo/Pellavo.hpp"

namespace pellavo {

const ns::Bundle& libraryBundle() {
    // The version number lives in libpellavo, so its address names this library's file.
    static const ns::Bundle bundle = ns::Bundle::forAddress(&PellavoVersionNumber, "pellavo");
    return bundle;
}

} // namespace pellavo
