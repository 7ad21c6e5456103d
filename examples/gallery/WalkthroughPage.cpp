// Walkthrough: a pager of three parallax pages (slide, curve, zoom with fade) with its
// dots, arrows and close button — held half-way between the first two pages, and at
// rest on the second after a press of the next arrow.
#include <memory>
#include <string>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/VXWalkthrough/VXWalkthroughPageViewController.hpp"
#include "pellavo/VXWalkthrough/VXWalkthroughViewController.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ns/Coder.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/control/PageControl.hpp"
#include "platform/ui/scroll/ScrollView.hpp"

namespace pellavo::gallery {

namespace {

// A view does not own its controller: this one keeps the pager alive with the page.
class HostBoard : public ui::View {
public:
    using View::View;
    std::string_view className() const override { return "GalleryWalkthroughHost"; }
    std::shared_ptr<VXWalkthroughViewController> pager;
};

struct PageLook {
    const char* title;
    const char* caption;
    ui::Color background;
    ui::Color shape;
    double shapeRadius;
};

std::shared_ptr<ui::Label> label(cg::Rect frame, const char* text, ui::Font font) {
    auto made = ns::make<ui::Label>(frame);
    made->setText(ns::String(text));
    made->setFont(std::move(font));
    made->setTextColor(ui::Color::white());
    made->setTextAlignment(ns::TextAlignment::center);
    made->setNumberOfLines(0);
    return made;
}

// A page whose three subviews (title, shape, caption) exist before it loads, as they
// would from an interface file: the loading pass gives each its speed.
std::shared_ptr<VXWalkthroughPageViewController> makePage(cg::Size size, const PageLook& look) {
    auto root = ns::make<ui::View>(cg::Rect{{0, 0}, size});
    root->setBackgroundColor(look.background);
    const ui::Font titleFont = ui::Font::systemFont(28, ui::Font::Weight::bold);
    root->addSubview(label({24, 96, size.width - 48, 36}, look.title, titleFont));
    auto shape = ns::make<ui::View>(cg::Rect{size.width / 2 - 70, 190, 140, 140});
    shape->setBackgroundColor(look.shape);
    shape->layer()->setCornerRadius(look.shapeRadius);
    root->addSubview(shape);
    root->addSubview(label({40, 370, size.width - 80, 60}, look.caption, ui::Font::systemFont(16)));
    ns::Coder coder;
    coder.encode(ns::Coder::viewKey, std::static_pointer_cast<ns::Object>(root));
    return ns::make<VXWalkthroughPageViewController>(coder);
}

std::shared_ptr<ui::Button> button(cg::Rect frame, const char* title, double size) {
    auto made = ns::make<ui::Button>(frame);
    made->setTitle(ns::String(title), ui::Control::State::normal);
    made->setTitleColor(ui::Color::white(), ui::Control::State::normal);
    made->setTitleColor(ui::Color(1, 0.5), ui::Control::State::highlighted);
    made->titleLabel()->setFont(ui::Font::systemFont(size, ui::Font::Weight::semibold));
    return made;
}

std::shared_ptr<VXWalkthroughViewController> buildPager(ui::View& content) {
    auto board = ns::make<HostBoard>(content.bounds());
    content.addSubview(board);
    const cg::Size size = board->bounds().size;

    // As an interface file would: paging on, indicators off, outlets set before loading.
    auto pager = ns::make<VXWalkthroughViewController>(ns::Coder{});
    board->pager = pager;
    pager->setPageControl(ns::make<ui::PageControl>(cg::Rect{size.width / 2 - 60, size.height - 56, 120, 26}));
    pager->setPrevButton(button({8, size.height - 66, 48, 48}, "\u2039", 34));
    pager->setNextButton(button({size.width - 56, size.height - 66, 48, 48}, "\u203A", 34));
    pager->setCloseButton(button({size.width - 76, 12, 64, 32}, "Close", 15));
    pager->prevButton()->addTarget(pager, &VXWalkthroughViewController::prevPage, ui::Control::Event::touchUpInside);
    pager->nextButton()->addTarget(pager, &VXWalkthroughViewController::nextPage, ui::Control::Event::touchUpInside);

    const auto view = pager->view();
    view->setFrame(board->bounds());
    for (const auto& control : std::initializer_list<std::shared_ptr<ui::View>>{
             pager->pageControl(), pager->prevButton(), pager->nextButton(), pager->closeButton()})
        view->addSubview(control);
    board->addSubview(view);

    const PageLook looks[] = {
        {"Welcome", "Swipe to look around: everything slides in at its own pace.", ui::Color(0.2, 0.45, 0.85, 1),
         ui::Color(0.98, 0.8, 0.3, 1), 70},
        {"Curves", "The second page moves its content along a curve.", ui::Color(0.55, 0.3, 0.75, 1),
         ui::Color(0.35, 0.9, 0.75, 1), 24},
        {"Zoom", "The last page grows into place and fades in.", ui::Color(0.9, 0.42, 0.3, 1),
         ui::Color(1, 1, 1, 0.9), 8},
    };
    const auto first = makePage(size, looks[0]);
    first->setSpeedVariance({1.5, 0});
    const auto second = makePage(size, looks[1]);
    second->setAnimationType("Curve");
    second->setSpeedVariance({0.5, 0.5});
    const auto third = makePage(size, looks[2]);
    third->setAnimationType("Zoom");
    third->setAnimateAlpha(true);
    for (const auto& page : {first, second, third}) pager->add(page);

    // An embedding host appears the pager itself.
    pager->viewWillAppear(false);
    view->layoutIfNeeded();
    return pager;
}

void buildMidScroll(ui::View& content) {
    const auto pager = buildPager(content);
    pager->scrollview()->setContentOffset({pager->view()->bounds().width() / 2, 0});
}

void buildRest(ui::View& content) { buildPager(content)->nextPage(); }

const PageRegistration midScroll{{"VXWalkthrough", "Walkthrough", buildMidScroll, 0.5}};
const PageRegistration rest{{"VXWalkthroughRest", "Walkthrough, at rest", buildRest, 0.5}};

} // namespace

} // namespace pellavo::gallery
