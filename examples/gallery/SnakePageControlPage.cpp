// The snake page control: a row per progress, a custom look, a row placed by its
// intrinsic size, and a live row driven by a paging scroll view.
#include <memory>
#include <string>
#include <utility>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/SnakePageControl.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/layout/LayoutConstraint.hpp"
#include "platform/ui/scroll/ScrollView.hpp"
#include "platform/ui/scroll/ScrollViewDelegate.hpp"

namespace pellavo::gallery {

namespace {

constexpr double headingWhite = 0.7;

std::shared_ptr<SnakePageControl> control(ui::View& content, cg::Point origin, int pages, double progress) {
    auto made = ns::make<SnakePageControl>(cg::Rect{origin.x, origin.y, 200, 20});
    made->setPageCount(pages);
    made->setProgress(progress);
    content.addSubview(made);
    return made;
}

// Centred under `top` by constraints, sized by its intrinsic size.
void centre(ui::View& content, SnakePageControl& made, double top) {
    made.setTranslatesAutoresizingMaskIntoConstraints(false);
    ui::LayoutConstraint::activate({made.centerXAnchor().constraintEqualTo(content.centerXAnchor()),
                                    made.topAnchor().constraintEqualTo(content.topAnchor(), top)});
}

void caption(ui::View& content, cg::Point origin, const std::string& text) {
    auto label = ns::make<ui::Label>(cg::Rect{origin.x, origin.y, 120, 14});
    label->setText(ns::String(text));
    label->setFont(ui::Font::systemFont(11));
    label->setTextColor(ui::Color(headingWhite, 1));
    content.addSubview(label);
}

// Five coloured pages over a control: scrolling sets the control's progress. The row
// is the scroll view's delegate (held weakly there), alive as long as it is shown.
class LiveRow : public ui::View, public ui::ScrollViewDelegate {
public:
    using View::View;
    std::string_view className() const override { return "GallerySnakePageControlLiveRow"; }

    void scrollViewDidScroll(ui::ScrollView& scrollView) override {
        const double width = scrollView.bounds().width();
        if (width > 0) pages_->setProgress(scrollView.contentOffset().x / width);
    }

protected:
    void init() override {
        View::init();
        constexpr int count = 5;
        const cg::Size page{300, 120};
        auto scroll = ns::make<ui::ScrollView>(cg::Rect{(bounds().width() - page.width) / 2, 0, page.width, page.height});
        scroll->setIsPagingEnabled(true);
        scroll->setShowsHorizontalScrollIndicator(false);
        scroll->setContentSize({page.width * count, page.height});
        const ui::Color colours[count] = {ui::Color(0.86, 0.33, 0.3, 1), ui::Color(0.95, 0.6, 0.2, 1),
                                          ui::Color(0.3, 0.7, 0.45, 1), ui::Color(0.25, 0.5, 0.85, 1),
                                          ui::Color(0.55, 0.35, 0.75, 1)};
        for (int i = 0; i < count; ++i) {
            auto pane = ns::make<ui::Label>(cg::Rect{page.width * i, 0, page.width, page.height});
            pane->setBackgroundColor(colours[i]);
            pane->setText(ns::String("Page " + std::to_string(i + 1)));
            pane->setFont(ui::Font::systemFont(22, ui::Font::Weight::semibold));
            pane->setTextColor(ui::Color::white());
            pane->setTextAlignment(ns::TextAlignment::center);
            scroll->addSubview(pane);
        }
        addSubview(scroll);
        scroll->setDelegate(std::static_pointer_cast<ui::ScrollViewDelegate>(sharedFromThis<LiveRow>()));

        pages_ = ns::make<SnakePageControl>(cg::Rect{0, 0, 0, 0});
        pages_->setPageCount(count);
        addSubview(pages_);
        centre(*this, *pages_, page.height + 14);
    }

private:
    std::shared_ptr<SnakePageControl> pages_;
};

void build(ui::View& content) {
    content.setBackgroundColor(ui::Color(0.17, 1));

    addHeading(content, 12, "THREE PAGES · progress 0, 0.5, 1.25, 2", headingWhite);
    double y = 40;
    for (const auto& [progress, text] : {std::pair{0.0, "0"}, {0.5, "0.5"}, {1.25, "1.25"}, {2.0, "2"}}) {
        control(content, {16, y}, 3, progress);
        caption(content, {90, y - 2}, text);
        y += 24;
    }

    addHeading(content, 140, "FIVE PAGES · radius 8, padding 6, orange, 2.5", headingWhite);
    auto custom = control(content, {16, 166}, 5, 0);
    custom->setIndicatorRadius(8);
    custom->setIndicatorPadding(6);
    custom->setActiveTint(ui::Color(1, 0.5, 0, 1));
    custom->setInactiveTint(ui::Color(1, 0.5));
    custom->setProgress(2.5);

    addHeading(content, 200, "CENTRED · seven pages, radius 3, padding 4, 3.7", headingWhite);
    auto centred = control(content, {0, 0}, 7, 0);
    centred->setIndicatorRadius(3);
    centred->setIndicatorPadding(4);
    centred->setProgress(3.7);
    centre(content, *centred, 228);

    addHeading(content, 256, "LIVE · drag the pages", headingWhite);
    content.addSubview(ns::make<LiveRow>(cg::Rect{0, 284, content.bounds().width(), 150}));
}

const PageRegistration registration{{"SnakePageControl", "Snake page control", build, 0.5}};

} // namespace

} // namespace pellavo::gallery
