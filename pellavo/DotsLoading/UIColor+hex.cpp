#include "pellavo/DotsLoading/UIColor+hex.hpp"

#include <cstdint>

#include "platform/ns/Console.hpp"
#include "platform/ns/Scanner.hpp"

namespace pellavo::uicolor {

ui::Color hexStr(const ns::String& hexStr, double alpha) {
    ns::Scanner scanner(hexStr.replacingOccurrences("#", ""));
    uint32_t value = 0;
    if (!scanner.scanHexInt(&value)) {
        ns::print("invalid hex string");
        return ui::Color::white();
    }
    const auto channel = [value](int shift) { return static_cast<double>((value >> shift) & 0xFFu) / 255.0; };
    return ui::Color(channel(16), channel(8), channel(0), alpha);
}

} // namespace pellavo::uicolor
