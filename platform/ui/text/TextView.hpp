#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "platform/ns/Export.hpp"
#include "platform/ns/AttributedString.hpp"
#include "platform/ns/NotificationCenter.hpp"
#include "platform/ns/ParagraphStyle.hpp"
#include "platform/ns/Range.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/view/EdgeInsets.hpp"
#include "platform/ui/text/Font.hpp"
#include "platform/ui/text/TextEditing.hpp"
#include "platform/ui/scroll/ScrollView.hpp"

namespace pellavo::ns {
class Coder;
}

namespace pellavo::ui {

inline constexpr std::string_view UITextViewTextDidBeginEditingNotification =
    "UITextViewTextDidBeginEditingNotification";
inline constexpr std::string_view UITextViewTextDidChangeNotification = ns::UITextViewTextDidChangeNotification;
inline constexpr std::string_view UITextViewTextDidEndEditingNotification = "UITextViewTextDidEndEditingNotification";

class TextLayout;
class TextView;

extern template class TextEditing<ScrollView>;

// Every method defaults to true or does nothing.
class PELLAVO_EXPORT TextViewDelegate {
public:
    virtual ~TextViewDelegate() = default;
    virtual bool textViewShouldBeginEditing(TextView&) { return true; }
    virtual void textViewDidBeginEditing(TextView&) {}
    virtual bool textViewShouldEndEditing(TextView&) { return true; }
    virtual void textViewDidEndEditing(TextView&) {}
    virtual bool textViewShouldChangeTextIn(TextView&, ns::Range, const ns::String&) { return true; }
    virtual void textViewDidChange(TextView&) {}
};

// The area of a text view that holds its text: the view's width less the
// container inset's sides, unbounded downwards. Lines are wrapped inside it less
// the line-fragment padding on both sides.
class PELLAVO_EXPORT TextContainer {
public:
    // What "unbounded" reads as.
    static constexpr double unboundedHeight = 10'000'000;

    TextContainer(const TextContainer&) = delete;
    TextContainer& operator=(const TextContainer&) = delete;

    // (bounds.w − inset.left − inset.right, unbounded); never a negative width.
    cg::Size size() const;
    double lineFragmentPadding() const { return padding_; }
    // A negative or non-finite padding is ignored.
    void setLineFragmentPadding(double padding);

private:
    friend class TextView;
    explicit TextContainer(TextView& owner) : owner_(owner) {}
    TextView& owner_;
    double padding_ = 5;
};

// A scrolling, multi-line editable text. The text is word-wrapped at the container
// width less twice the padding, starting at (inset.left + padding, inset.top) of the
// content; the content size follows the text. A tap begins editing; the keyboard
// edits it while it is first responder, each edit asking the delegate first, then
// calling textViewDidChange and posting the change notification. Line breaks end
// words as spaces do, and Return types one.
class PELLAVO_EXPORT TextView : public TextEditing<ScrollView> {
public:
    static constexpr double kDefaultFontSize = 12;
    static constexpr double kCaretWidth = 2;
    // The selection highlight is the tint colour at this alpha.
    static constexpr double kSelectionAlpha = 0.25;

    explicit TextView(const cg::Rect& frame = {});
    // Made from an interface file: the frame and any decoded subviews.
    explicit TextView(const ns::Coder& coder);
    ~TextView() override;
    std::string_view className() const override { return "UITextView"; }

    // ---- text (a programmatic set calls nobody, posts nothing and puts the caret
    // at the end)
    virtual void setText(std::optional<ns::String> text);
    virtual void setAttributedText(std::optional<ns::AttributedString> text);

    // ---- look (applied to the whole text)
    const Font& font() const { return font_; }
    // Never null: a missing font means the system font at 12 points.
    void setFont(std::optional<Font> font);
    Color textColor() const { return textColor_; }
    void setTextColor(const Color& color);
    ns::TextAlignment textAlignment() const { return alignment_; }
    virtual void setTextAlignment(ns::TextAlignment alignment);
    EdgeInsets textContainerInset() const { return inset_; }
    // Non-finite sides are ignored.
    virtual void setTextContainerInset(const EdgeInsets& inset);
    TextContainer& textContainer() { return container_; }
    const TextContainer& textContainer() const { return container_; }

    // ---- editing
    bool isEditable() const { return editable_; }
    // Off also ends editing.
    void setIsEditable(bool editable);
    std::shared_ptr<TextViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<TextViewDelegate>& delegate) { delegate_ = delegate; }

    bool canBecomeFirstResponder() const override { return editable_; }

    // The caret at a UTF-16 offset, in content coordinates.
    cg::Rect caretRect(int64_t offset) const;
    // The UTF-16 offset of the grapheme boundary nearest to a point of the content.
    int64_t offsetNearest(cg::Point point) const;

    void layoutSubviews() override;
    // The view takes its touches itself (a tap edits), so none travel up the chain.
    void touchesBegan(const TouchSet& touches, const Event* event) override;
    void touchesMoved(const TouchSet& touches, const Event* event) override;
    void touchesEnded(const TouchSet& touches, const Event* event) override;
    void touchesCancelled(const TouchSet& touches, const Event* event) override;

protected:
    void init() override;

private:
    class ContentView;
    friend class ContentView;
    friend class TextContainer;

    // ---- TextEditing: the delegate's textView… calls, the text's notifications,
    // and the drawn content following the text and the caret.
    ns::Attributes defaultAttributes() const override;
    bool wordsSpanLines() const override { return false; }
    bool canChangeText() const override { return editable_; }
    bool shouldBeginEditing() override;
    bool shouldEndEditing() override;
    bool shouldChangeText(ns::Range range, const ns::String& replacement) override;
    void editingStateDidChange() override;
    void didBeginEditing() override;
    void didEndEditing() override;
    void didEditText() override;
    void selectionDidChange() override;

    ns::AttributedString effectiveText() const;
    // The wrap width: the container width less twice the padding, at least 1.
    double wrapWidth() const;
    // Lays the text out again and sets the content size and the drawn view.
    void textDidChangeLayout();
    const TextLayout& layout() const;
    void drawContent();
    void scrollCaretToVisible();

    Font font_;
    Color textColor_ = Color::black();
    ns::TextAlignment alignment_ = ns::TextAlignment::left;
    EdgeInsets inset_{8, 0, 8, 0};
    TextContainer container_{*this};
    bool editable_ = true;
    std::weak_ptr<TextViewDelegate> delegate_;
    std::shared_ptr<ContentView> content_;
    mutable std::shared_ptr<const TextLayout> layout_;
    double laidOutWidth_ = -1;
};

} // namespace pellavo::ui
