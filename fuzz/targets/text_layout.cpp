// Arbitrary text in up to three styled runs, laid out at an arbitrary width, line limit and
// break mode, measured, hit-tested and drawn. Every measure stays finite and in range.

#include <algorithm>
#include <optional>

#include "fuzz/FuzzSupport.hpp"
#include "platform/cg/Context.hpp"
#include "platform/ns/AttributedString.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/graphics/GraphicsContext.hpp"
#include "platform/ui/text/Font.hpp"
#include "platform/ui/text/StringDrawing.hpp"
#include "platform/ui/text/TextLayout.hpp"

using namespace pellavo;

namespace {

void requireFinite(cg::Rect r, const char* what) { fuzz::require(r.isFinite(), what); }

ns::Attributes attributesFrom(fuzz::Input& input) {
    ns::Attributes attributes;
    const double size = input.boolean() ? input.number() : static_cast<double>(input.integer(0, 40));
    if (input.byte() % 4 != 0) {
        const ui::Font font = input.boolean() ? ui::Font::systemFont(size) : ui::Font("DejaVu Serif", size);
        attributes.emplace(ns::AttributedStringKey::font, ns::Value::of(font));
    }
    if (input.boolean()) {
        ns::ParagraphStyle style;
        style.alignment = static_cast<ns::TextAlignment>(input.integer(0, 4));
        style.lineBreakMode = static_cast<ns::LineBreakMode>(input.integer(0, 5));
        attributes.emplace(ns::AttributedStringKey::paragraphStyle, ns::Value::of(style));
    }
    if (input.boolean()) attributes.emplace(ns::AttributedStringKey::foregroundColor, ns::Value::of(ui::Color::red()));
    return attributes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Session session;
    const auto [utf8, program] = fuzz::splitAtNul(data, size);
    fuzz::Input input(reinterpret_cast<const std::uint8_t*>(program.data()), program.size());
    const ns::String string(utf8.substr(0, 2048));
    ns::MutableAttributedString text(string, attributesFrom(input));
    for (int run = 0; run < 2; ++run) {
        const ns::Range range = input.rangeAround(text.length());
        text.addAttributes(attributesFrom(input), range);
    }
    const double width = input.boolean() ? input.number() : static_cast<double>(input.integer(0, 300));
    const auto lines = static_cast<int>(input.integer(-1, 4));
    std::optional<ns::LineBreakMode> mode;
    if (input.boolean()) mode = static_cast<ns::LineBreakMode>(input.integer(0, 5));

    const ui::TextLayout layout(text, width, lines, mode);
    const cg::Size measured = layout.size();
    fuzz::require(measured.isFinite() && measured.width >= 0 && measured.height >= 0, "the size is finite");
    fuzz::require(lines <= 0 || layout.lineCount() <= lines, "the line limit holds");
    fuzz::require(std::isfinite(layout.firstBaseline()), "the baseline is finite");
    for (int probe = 0; probe < 4; ++probe) {
        requireFinite(layout.caretRect(input.offsetAround(text.length())), "a caret is finite");
        const std::int64_t nearest = layout.offsetNearest({input.number(), input.number()});
        fuzz::require(nearest >= 0 && nearest <= text.length(), "the nearest offset is in the text");
        for (const cg::Rect& r : layout.selectionRects(input.rangeAround(text.length())))
            requireFinite(r, "a selection rectangle is finite");
    }
    const auto context = cg::Context::makeBitmap(96, 48, false);
    layout.draw(*context, {input.number(), input.number()});
    fuzz::require(context->isHealthy(), "drawing text leaves the context healthy");

    const auto options = input.boolean() ? ui::StringDrawingOptions::usesLineFragmentOrigin
                                         : ui::StringDrawingOptions::none;
    requireFinite(ui::boundingRect(text, {width, input.number()}, options), "the bounding rect is finite");
    ui::graphicsPushContext(*context);
    ui::draw(text, cg::Rect{input.number(), input.number(), width, input.number()});
    ui::draw(text, cg::Point{input.number(), input.number()});
    ui::graphicsPopContext();
    fuzz::require(context->isHealthy(), "drawing strings leaves the context healthy");
    session.requireNoInternalErrors();
    return 0;
}
