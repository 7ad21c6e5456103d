#include "pellavo/Pastel/PastelGradient.hpp"

#include <cstdint>
#include <initializer_list>

namespace pellavo::pastelgradient {

namespace {

// 0xRRGGBB, each byte over 255, opaque.
ui::Color fromHex(std::uint32_t rgb) {
    return ui::Color(((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, 1);
}

std::vector<ui::Color> fromHexes(std::initializer_list<std::uint32_t> hexes) {
    std::vector<ui::Color> colors;
    colors.reserve(hexes.size());
    for (const std::uint32_t hex : hexes) colors.push_back(fromHex(hex));
    return colors;
}

} // namespace

std::optional<PastelGradient> fromRawValue(int raw) {
    if (raw < static_cast<int>(PastelGradient::coralPeach) || raw > static_cast<int>(PastelGradient::skyIce))
        return std::nullopt;
    return static_cast<PastelGradient>(raw);
}

std::vector<ui::Color> colors(PastelGradient gradient) {
    switch (gradient) {
    case PastelGradient::coralPeach: return fromHexes({0xFF9A9E, 0xFAD0C4});
    case PastelGradient::lavenderPink: return fromHexes({0xA18CD1, 0xFBC2EB});
    case PastelGradient::peachBlush: return fromHexes({0xFAD0C4, 0xFFD1FF});
    case PastelGradient::creamApricot: return fromHexes({0xFFECD2, 0xFCB69F});
    case PastelGradient::salmonRaspberry:
        return fromHexes({0xFF8177, 0xFF867A, 0xFF8C7F, 0xF99185, 0xCF556C, 0xB12A5B});
    case PastelGradient::coralRose: return fromHexes({0xFF9A9E, 0xFECFEF, 0xFECFEF});
    case PastelGradient::sunnyPeach: return fromHexes({0xF6D365, 0xFDA085});
    case PastelGradient::pinkPeriwinkle: return fromHexes({0xFBC2EB, 0xA6C1EE});
    case PastelGradient::rosyMist: return fromHexes({0xFDCBF1, 0xFDCBF1, 0xE6DEE9});
    case PastelGradient::skyIce: return fromHexes({0xA1C4FD, 0xC2E9FB});
    }
    return {};
}

} // namespace pellavo::pastelgradient
