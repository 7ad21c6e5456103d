#include "pellavo/VXWalkthrough/VXWalkthroughPageViewController.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "platform/ca/Layer.hpp"
#include "platform/ca/Transform3D.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo {

namespace {

constexpr std::array<std::pair<WalkthroughAnimationType, std::string_view>, 4> rawValues{{
    {WalkthroughAnimationType::Linear, "Linear"},
    {WalkthroughAnimationType::Curve, "Curve"},
    {WalkthroughAnimationType::Zoom, "Zoom"},
    {WalkthroughAnimationType::InOut, "InOut"},
}};

// An optional sign and one or more ASCII digits, within std::int64_t; nothing else.
std::optional<std::int64_t> parseTag(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    // Accumulated as a magnitude, so that the most negative value fits too.
    const std::uint64_t limit =
        static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + (negative ? 1 : 0);
    std::uint64_t magnitude = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (magnitude > (limit - digit) / 10) return std::nullopt;
        magnitude = magnitude * 10 + digit;
    }
    if (!negative) return static_cast<std::int64_t>(magnitude);
    return magnitude == 0 ? 0 : -static_cast<std::int64_t>(magnitude - 1) - 1;
}

} // namespace

std::string_view rawValue(WalkthroughAnimationType type) {
    for (const auto& [value, text] : rawValues)
        if (value == type) return text;
    return rawValues.front().second;
}

std::optional<WalkthroughAnimationType> walkthroughAnimationTypeFromRawValue(std::string_view text) {
    for (const auto& [value, raw] : rawValues)
        if (raw == text) return value;
    return std::nullopt;
}

// ------------------------------------------------------------------ life

VXWalkthroughPageViewController::VXWalkthroughPageViewController()
    : VXWalkthroughPageViewController(std::nullopt, std::nullopt) {}

VXWalkthroughPageViewController::VXWalkthroughPageViewController(std::optional<ns::String> nibName,
                                                                 std::optional<ns::Bundle> bundle)
    : ui::ViewController(std::move(nibName), std::move(bundle)) {}

VXWalkthroughPageViewController::VXWalkthroughPageViewController(const ns::Coder& coder)
    : ui::ViewController(coder) {}

// ------------------------------------------------------------------ string access

ns::String VXWalkthroughPageViewController::animationType() const { return ns::String(rawValue(animation_)); }

void VXWalkthroughPageViewController::setAnimationType(const ns::String& type) {
    if (const auto parsed = walkthroughAnimationTypeFromRawValue(type.utf8())) animation_ = *parsed;
}

ns::String VXWalkthroughPageViewController::staticTags() const {
    std::string text;
    for (const std::int64_t tag : notAnimatableViews_) {
        if (!text.empty()) text += ',';
        text += std::to_string(tag);
    }
    return ns::String(text);
}

void VXWalkthroughPageViewController::setStaticTags(const ns::String& tags) {
    const std::string text = tags.utf8();
    if (text.empty()) {
        notAnimatableViews_.clear();
        return;
    }
    std::vector<std::int64_t> parsed;
    std::string_view rest = text;
    while (true) {
        const std::size_t comma = rest.find(',');
        const auto tag = parseTag(rest.substr(0, comma));
        if (!tag) return;
        parsed.push_back(*tag);
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    notAnimatableViews_ = std::move(parsed);
}

// ------------------------------------------------------------------ loading and scrolling

void VXWalkthroughPageViewController::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    const auto root = view();
    // Subviews moved beyond the page are clipped.
    root->layer()->setMasksToBounds(true);
    subviewsSpeed_.clear();
    for (std::size_t i = 0; i < root->subviews().size(); ++i) {
        speed_.x += speedVariance_.x;
        speed_.y += speedVariance_.y;
        subviewsSpeed_.push_back(speed_);
    }
}

void VXWalkthroughPageViewController::walkthroughDidScroll(double to, double offset) {
    (void)to;
    if (!std::isfinite(offset)) return;
    const auto root = view();
    // 1 at the centre, falling to 0 one page away on either side.
    const double mirrored = offset > 1 ? 2 - offset : offset;
    // Subviews removed since loading shorten the list: stop at the shorter one.
    const auto subviews = root->subviews();
    const std::size_t count = std::min(subviewsSpeed_.size(), subviews.size());
    for (std::size_t i = 0; i < count; ++i) {
        const cg::Point s = subviewsSpeed_[i];
        ca::Transform3D transform = ca::Transform3D::identity();
        switch (animation_) {
        case WalkthroughAnimationType::Linear:
            transform = ca::Transform3D::makeTranslation((1 - offset) * 100 * s.x, (1 - offset) * 100 * s.y, 0);
            break;
        case WalkthroughAnimationType::Curve: {
            const double k = (1 - offset) * 10;
            const double cube = k * k * k;
            transform = ca::Transform3D::makeTranslation((cube - 25 * k) * s.x, (cube - 20 * k) * s.y, 0);
            break;
        }
        case WalkthroughAnimationType::Zoom:
            transform = ca::Transform3D::makeScale(mirrored, mirrored, 1);
            break;
        case WalkthroughAnimationType::InOut:
            transform = ca::Transform3D::makeTranslation((1 - mirrored) * 100 * s.x, (1 - mirrored) * 100 * s.y, 0);
            break;
        }
        const auto& subview = subviews[i];
        const bool isStatic = std::find(notAnimatableViews_.begin(), notAnimatableViews_.end(),
                                        static_cast<std::int64_t>(subview->tag())) != notAnimatableViews_.end();
        if (!isStatic) subview->layer()->setTransform(transform);
        if (animateAlpha_) subview->setAlpha(mirrored);
    }
}

// ------------------------------------------------------------------ runtime

namespace {

bool registerPage() {
    using Self = VXWalkthroughPageViewController;
    ns::ClassRegistration<Self>("VXWalkthroughPageViewController", "UIViewController")
        .property<cg::Point>("speed", &Self::speed, &Self::setSpeed)
        .property<cg::Point>("speedVariance", &Self::speedVariance, &Self::setSpeedVariance)
        .property<bool>("animateAlpha", &Self::animateAlpha, &Self::setAnimateAlpha)
        .property<ns::String>("animationType", &Self::animationType, &Self::setAnimationType)
        .property<ns::String>("staticTags", &Self::staticTags, &Self::setStaticTags);
    return true;
}

[[maybe_unused]] const bool registered = registerPage();

} // namespace

} // namespace pellavo
