#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ns/AttributedString.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/layout/LayoutConstraint.hpp"
#include "platform/ui/text/TextField.hpp"

namespace pellavo {

class FontAnimation;

// A text field with its own placeholder label: the label rests inside the field at
// originalPlaceholderFontSize and floats above it at minimumPlaceholderFontSize while
// the field is edited or holds text.
class PELLAVO_EXPORT VXPlaceholderTextField : public ui::TextField {
public:
    enum class MinimizationAnimationType { immediately, smoothly };

    explicit VXPlaceholderTextField(cg::Rect frame);
    explicit VXPlaceholderTextField(const ns::Coder& coder);
    // A field made in code is wired by calling awakeFromNib() once, before its text is set.
    ~VXPlaceholderTextField() override;
    std::string_view className() const override { return "VXPlaceholderTextField"; }

    MinimizationAnimationType minimizationAnimationType() const { return minimizationAnimationType_; }
    void setMinimizationAnimationType(MinimizationAnimationType type) { minimizationAnimationType_ = type; }
    // Non-finite sizes and durations are ignored.
    double minimumPlaceholderFontSize() const { return minimumPlaceholderFontSize_; }
    void setMinimumPlaceholderFontSize(double size);
    double originalPlaceholderFontSize() const { return originalPlaceholderFontSize_; }
    void setOriginalPlaceholderFontSize(double size);
    double placeholderDuration() const { return placeholderDuration_; }
    void setPlaceholderDuration(double duration);
    // The label's text colour; none gives the label's default. Does not place the label.
    ui::Color placeholderColor() const;
    void setPlaceholderColor(std::optional<ui::Color> color);
    // Setting either places the label in the field first.
    std::optional<ns::String> tweePlaceholder() const;
    void setTweePlaceholder(std::optional<ns::String> text);
    std::optional<ns::AttributedString> attributedTweePlaceholder() const;
    void setAttributedTweePlaceholder(std::optional<ns::AttributedString> text);
    // A plain label made on first access.
    std::shared_ptr<ui::Label> placeholderLabel();

    void awakeFromNib() override;
    void setText(std::optional<ns::String> text) override;
    void setAttributedText(std::optional<ns::AttributedString> text) override;

private:
    // Actions, reached by selector from the notifications and the display links.
    virtual void setCorrectPlaceholderSize();
    virtual void minimizePlaceholder();
    virtual void minimizePlaceholderFontSize();
    virtual void maximizePlaceholder();
    virtual void maximizePlaceholderFontSize();
    virtual void initializeTextField();
    virtual void addPlaceholderLabelIfNeeded();

    const std::shared_ptr<ui::Label>& label() const;
    // Runs the move and the font change of one state in an animation block.
    void animatePlaceholder(bool minimize);
    // Starts a font run towards the minimum or the original size inside the block.
    void startFontRun(bool minimize, std::uint64_t generation);
    void queueFontSize(double size);
    void applyFontSize(double size);
    static bool registerWithRuntime();

    MinimizationAnimationType minimizationAnimationType_ = MinimizationAnimationType::immediately;
    double minimumPlaceholderFontSize_ = 12;
    double originalPlaceholderFontSize_ = 17;
    double placeholderDuration_ = 0.5;
    std::shared_ptr<FontAnimation> minimizeFontAnimation_;
    std::shared_ptr<FontAnimation> maximizeFontAnimation_;
    std::shared_ptr<ui::LayoutConstraint> bottomConstraint_;
    mutable std::shared_ptr<ui::Label> placeholderLabel_;
    // Bumped by every start and end of a font change; stale ticks and completions
    // compare against it and do nothing.
    std::uint64_t fontRunGeneration_ = 0;
    bool wired_ = false;
    static const bool registered_;
};

} // namespace pellavo
