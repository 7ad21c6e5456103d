// Hex scanning over arbitrary text: a scan either reads digits and moves forward, or
// fails and moves nothing; the location never leaves the string.

#include "fuzz/FuzzSupport.hpp"
#include "platform/ns/Scanner.hpp"

using namespace pellavo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [text, program] = fuzz::splitAtNul(data, size);
    fuzz::Input input(reinterpret_cast<const std::uint8_t*>(program.data()), program.size());
    ns::Scanner scanner{ns::String(text)};
    const std::int64_t length = scanner.string().length();
    switch (input.byte() % 3) {
    case 1: scanner.setCharactersToBeSkipped(std::nullopt); break;
    case 2: scanner.setCharactersToBeSkipped(ns::CharacterSet::characters(ns::String(input.text(8)))); break;
    default: break;
    }
    if (input.boolean()) scanner.setScanLocation(input.offsetAround(length));
    fuzz::require(scanner.scanLocation() >= 0 && scanner.scanLocation() <= length, "the location is clamped");
    for (int step = 0; step <= length + 1; ++step) {
        const std::int64_t before = scanner.scanLocation();
        std::uint32_t value = 0xDEADBEEF;
        const bool scanned = scanner.scanHexInt(input.boolean() ? &value : nullptr);
        const std::int64_t after = scanner.scanLocation();
        fuzz::require(after >= before && after <= length, "scanning moves forward within the string");
        if (!scanned) {
            fuzz::require(after == before && value == 0xDEADBEEF, "a failed scan changes nothing");
            break;
        }
        fuzz::require(after > before, "a successful scan consumes digits");
    }
    (void)scanner.isAtEnd();
    return 0;
}
