#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/ca/Renderer.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/control/PageControl.hpp"
#include "platform/ui/event/TestDriver.hpp"
#include "platform/ui/layout/LayoutConstraint.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "platform/ui/scroll/ScrollView.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/pellavo/VXWalkthrough/VXWalkthroughTestSupport.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"

namespace pellavo::testing {
namespace {

using Pager = VXWalkthroughViewController;
using Events = std::vector<std::string>;
using Attribute = ui::LayoutConstraint::Attribute;

class VXWalkthroughTest : public AppTest {
protected:
    // The pager as the key window's root (375 × 667, viewWillAppear), laid out, with
    // `pages` recording pages and the recording delegate.
    std::shared_ptr<Pager> show(std::shared_ptr<Pager> pager, int pages = 0) {
        for (int i = 0; i < pages; ++i) addPage(*pager);
        pager->setDelegate(delegate);
        window()->setRootViewController(pager);
        pager->view()->layoutIfNeeded();
        return pager;
    }
    std::shared_ptr<Pager> show(int pages = 0) { return show(ns::make<Pager>(), pages); }
    std::shared_ptr<RecordingPage> addPage(Pager& pager) {
        auto page = ns::make<RecordingPage>();
        pager.add(page);
        recorders.push_back(page);
        return page;
    }
    // Outlets are set before the view loads, as an interface file sets them.
    std::shared_ptr<Pager> pagerWithControls(std::shared_ptr<Pager> pager = ns::make<Pager>()) {
        pager->setPageControl(ns::make<ui::PageControl>(cg::Rect{100, 600, 175, 26}));
        pager->setNextButton(ns::make<ui::Button>(cg::Rect{323, 600, 44, 44}));
        pager->setPrevButton(ns::make<ui::Button>(cg::Rect{8, 600, 44, 44}));
        pager->view()->addSubview(pager->pageControl());
        pager->view()->addSubview(pager->nextButton());
        pager->view()->addSubview(pager->prevButton());
        return pager;
    }
    double offset(Pager& pager) { return pager.scrollview()->contentOffset().x; }
    void scrollTo(Pager& pager, int page) {
        pager.scrollview()->setContentOffset({pager.view()->bounds().size.width * page, 0}, true);
        advance(0.35);
    }

    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
    std::vector<std::shared_ptr<RecordingPage>> recorders;
};

TEST_F(VXWalkthroughTest, PagesLieSideBySideAndOnlyTheLastEndsTheContent) {
    for (const bool beforeLoading : {true, false}) {
        for (const int count : {1, 2, 3}) {
            auto pager = ns::make<Pager>();
            if (beforeLoading) {
                for (int i = 0; i < count; ++i) addPage(*pager);
                show(pager);
            } else {
                show(pager, count);
            }
            const auto& scroll = pager->scrollview();
            EXPECT_EQ(pager->view()->subviews().front(), scroll);
            EXPECT_EQ(scroll->frame(), pager->view()->bounds());
            for (int i = 0; i < count; ++i) {
                EXPECT_TRUE(recorders[recorders.size() - count + i]->isViewLoaded());
                EXPECT_EQ(scroll->subviews()[static_cast<std::size_t>(i)]->frame(), (cg::Rect{375.0 * i, 0, 375, 667}))
                    << count << " pages, page " << i << (beforeLoading ? " added before loading" : "");
            }
            // One page ties nothing to the trailing edge.
            EXPECT_EQ(scroll->contentSize(), (cg::Size{count == 1 ? 0 : 375.0 * count, 667})) << count;
            if (count != 3) continue;
            std::vector<std::shared_ptr<ui::View>> trailing;
            for (const auto& c : scroll->constraints()) {
                const bool first = c->firstAttribute() == Attribute::trailing && c->firstItem() == scroll;
                const bool second = c->secondAttribute() == Attribute::trailing && c->secondItem() == scroll;
                if (first) trailing.push_back(c->secondItem());
                if (second) trailing.push_back(c->firstItem());
            }
            ASSERT_EQ(trailing.size(), 1u);
            EXPECT_EQ(trailing[0], recorders.back()->view());
        }
    }
}

TEST_F(VXWalkthroughTest, EveryPageWithinTwoWidthsHearsTheMovementOnce) {
    const auto pager = show(5);
    pager->add(ns::make<ui::ViewController>());  // not a page: it hears nothing
    // A page that adds a page while it hears the report.
    std::shared_ptr<RecordingPage> added;
    recorders[1]->onReport = [&] {
        if (!added) added = addPage(*pager);
    };
    pager->scrollview()->setContentOffset({375, 0});
    const std::vector<std::vector<std::pair<double, double>>> expected = {{}, {{375, 1}}, {{375, 0}}, {{375, -1}}, {}};
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(recorders[i]->reports, expected[i]) << "page " << i;
    ASSERT_NE(added, nullptr);
    EXPECT_TRUE(added->reports.empty());
    // An unchanged offset is no movement.
    pager->scrollview()->setContentOffset({375, 0});
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(recorders[i]->reports, expected[i]) << "page " << i;
}

TEST_F(VXWalkthroughTest, ButtonsHideAtTheEndsOfTheWalkthrough) {
    const struct {
        int pages;
        int page;
        bool prevHidden;
        bool nextHidden;
    } cases[] = {
        {0, 0, true, false}, {1, 0, true, true}, {3, 0, true, false}, {3, 1, false, false}, {3, 2, false, true},
    };
    for (const auto& c : cases) {
        const auto pager = show(pagerWithControls(), c.pages);
        scrollTo(*pager, c.page);
        EXPECT_EQ(pager->prevButton()->isHidden(), c.prevHidden) << c.pages << " pages, on " << c.page;
        EXPECT_EQ(pager->nextButton()->isHidden(), c.nextHidden) << c.pages << " pages, on " << c.page;
        EXPECT_EQ(pager->currentPage(), c.page);
    }
}

TEST_F(VXWalkthroughTest, ActionsTellTheDelegateBeforeTheyScroll) {
    const auto pager = show(pagerWithControls(), 3);
    delegate->events.clear();
    pager->prevPage();  // on the first page
    pager->nextPage();
    EXPECT_EQ(delegate->events, Events{"next"});
    advance(0.35);
    EXPECT_EQ(delegate->events, (Events{"next", "page 1"}));
    EXPECT_EQ(offset(*pager), 375);

    scrollTo(*pager, 2);
    delegate->events.clear();
    pager->nextPage();  // on the last page
    pager->close(nullptr);
    advance(0.35);
    EXPECT_EQ(delegate->events, Events{"close"});
    EXPECT_EQ(offset(*pager), 750);

    // The right half of the page control steps forward from the dot it shows.
    scrollTo(*pager, 0);
    driver().tap({260, 613});
    advance(0.35);
    EXPECT_EQ(offset(*pager), 375);
    EXPECT_EQ(pager->pageControl()->currentPage(), 1);

    // A freed delegate is skipped.
    delegate.reset();
    pager->nextPage();
    advance(0.35);
    EXPECT_EQ(offset(*pager), 750);
}

TEST_F(VXWalkthroughTest, EveryAppearanceResetsThePageControl) {
    const auto pager = show(pagerWithControls(), 3);
    scrollTo(*pager, 2);
    EXPECT_EQ(pager->pageControl()->currentPage(), 2);
    pager->present(ns::make<ui::ViewController>(), false);
    advance(0.1);
    delegate->events.clear();
    pager->dismiss(false);
    advance(0.1);
    EXPECT_EQ(delegate->events, Events{"page 2"});
    EXPECT_EQ(pager->pageControl()->numberOfPages(), 3);
    EXPECT_EQ(pager->pageControl()->currentPage(), 0);
}

TEST_F(VXWalkthroughTest, APagerFromAnInterfaceFilePagesAndOneInCodeDoesNot) {
    const auto coded = ns::make<Pager>();
    EXPECT_FALSE(coded->scrollview()->isPagingEnabled());
    EXPECT_TRUE(coded->scrollview()->showsHorizontalScrollIndicator());

    const auto pager = show(ns::make<Pager>(ns::Coder{}), 3);
    EXPECT_TRUE(pager->scrollview()->isPagingEnabled());
    EXPECT_FALSE(pager->scrollview()->showsHorizontalScrollIndicator());
    EXPECT_FALSE(pager->scrollview()->showsVerticalScrollIndicator());
    delegate->events.clear();
    driver().drag({300, 300}, {100, 300}, 10, 0.2);
    advance(1);
    EXPECT_EQ(offset(*pager), 375);
    EXPECT_EQ(delegate->events, Events{"page 1"});
}

TEST_F(VXWalkthroughTest, ARotationKeepsThePageUnlessThePagerIsGone) {
    const auto pager = show(3);
    scrollTo(*pager, 2);
    delegate->events.clear();
    driver().rotate(ui::InterfaceOrientation::landscapeLeft);
    advance(0.1 + 0.3 + 0.1);
    EXPECT_EQ(offset(*pager), 1334);
    EXPECT_FALSE(delegate->events.empty());
    for (const auto& event : delegate->events) EXPECT_EQ(event, "page 2");

    // Released right after the turn: the late re-scroll finds nobody.
    std::weak_ptr<Pager> weak;
    {
        auto second = show(3);
        scrollTo(*second, 1);
        weak = second;
        delegate->events.clear();
        driver().rotate(ui::InterfaceOrientation::portrait);
        window()->setRootViewController(ns::make<ui::ViewController>());
    }
    EXPECT_TRUE(weak.expired());
    advance(1);
    EXPECT_TRUE(delegate->events.empty());
}

TEST_F(VXWalkthroughTest, CurrentPageTruncatesAndStaysWithinTheInts) {
    const auto pager = show(3);
    const struct {
        double offset;
        double width;
        int page;
    } cases[] = {{1.9 * 375, 375, 1},  {-500, 375, 0}, {375, 0, 0}, {750, -375, 0},
                 {1e300, 375, std::numeric_limits<int>::max()}};
    for (const auto& c : cases) {
        pager->view()->setBounds({0, 0, c.width, 667});
        pager->scrollview()->setContentOffset({c.offset, 0});
        EXPECT_EQ(pager->currentPage(), c.page) << c.offset << " in " << c.width;
    }
    pager->view()->setBounds({0, 0, 375, 667});
    pager->scrollview()->setContentOffset({5 * 375, 0});
    EXPECT_EQ(pager->currentViewController(), nullptr);
    pager->scrollview()->setContentOffset({375, 0});
    EXPECT_EQ(pager->currentViewController(), recorders[1]);
    EXPECT_EQ(show(0)->currentViewController(), nullptr);
}

TEST_F(VXWalkthroughTest, AnInterfaceFileConnectsTheOutletsActionsAndPage) {
    auto nib = ui::Nib::fromData(R"(<interface version="1">
  <object class="VXWalkthroughViewController" id="pager">
    <object key="view" class="UIView" id="root" frame="0 0 375 667">
      <subviews>
        <object class="UIPageControl" id="dots" frame="100 600 175 26"/>
        <object class="UIButton" id="prev" frame="8 600 44 44">
          <action selector="prevPage" destination="pager" event="touchUpInside"/>
        </object>
        <object class="UIButton" id="next" frame="323 600 44 44">
          <action selector="nextPage" destination="pager" event="touchUpInside"/>
        </object>
        <object class="UIButton" id="close" frame="300 20 64 32">
          <action selector="close:" destination="pager" event="touchUpInside"/>
        </object>
      </subviews>
    </object>
    <outlet property="pageControl" destination="dots"/>
    <outlet property="prevButton" destination="prev"/>
    <outlet property="nextButton" destination="next"/>
    <outlet property="closeButton" destination="close"/>
  </object>
  <object class="VXWalkthroughPageViewController" id="page">
    <property name="speed" value="0 0"/>
    <property name="speedVariance" value="10 0"/>
    <property name="animationType" value="Curve"/>
    <object key="view" class="UIView" frame="0 0 375 667">
      <subviews>
        <object class="UIView" frame="0 0 10 10"/>
        <object class="UIView" frame="0 20 10 10"/>
        <object class="UIView" frame="0 40 10 10"/>
      </subviews>
    </object>
  </object>
</interface>)",
                                 "Walkthrough");
    const auto objects = nib->instantiate(nullptr);
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_TRUE(nib->lastWarnings().empty());
    const auto pager = std::dynamic_pointer_cast<Pager>(objects[0]);
    const auto page = std::dynamic_pointer_cast<VXWalkthroughPageViewController>(objects[1]);
    ASSERT_NE(pager, nullptr);
    ASSERT_NE(page, nullptr);
    ASSERT_NE(pager->pageControl(), nullptr);
    ASSERT_NE(pager->closeButton(), nullptr);
    pager->add(page);
    show(pager, 1);
    EXPECT_EQ(pager->pageControl()->numberOfPages(), 2);
    EXPECT_TRUE(pager->prevButton()->isHidden());
    driver().tap({345, 622});
    EXPECT_EQ(delegate->events.back(), "next");
    advance(0.35);
    EXPECT_EQ(offset(*pager), 375);
    driver().tap({332, 36});
    EXPECT_EQ(delegate->events.back(), "close");

    // The page read its speeds from the file: the curve at offset 0 moves them 750 × s.x.
    EXPECT_EQ(page->speed(), (cg::Point{30, 0}));
    EXPECT_EQ(page->animationType().utf8(), "Curve");
    page->walkthroughDidScroll(0, 0);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_DOUBLE_EQ(page->view()->subviews()[i]->layer()->transform().m41, 7500.0 * static_cast<double>(i + 1));

    auto& runtime = ns::Runtime::shared();
    for (const char* selector : {"nextPage", "prevPage", "close:", "pageControlDidTouch"})
        EXPECT_TRUE(runtime.instancesRespondToSelector("VXWalkthroughViewController", ns::Selector(selector)));
    for (const char* key : {"speed", "speedVariance", "animateAlpha", "animationType", "staticTags"})
        EXPECT_TRUE(runtime.propertyType("VXWalkthroughPageViewController", key)) << key;
}

TEST_F(VXWalkthroughTest, GoldenMidScroll) {
    const auto pager = pagerWithControls(ns::make<Pager>(ns::Coder{}));
    const ui::Color backgrounds[] = {ui::Color(0.2, 0.45, 0.85, 1), ui::Color(0.55, 0.3, 0.75, 1),
                                     ui::Color(0.9, 0.42, 0.3, 1)};
    const WalkthroughAnimationType styles[] = {WalkthroughAnimationType::Linear, WalkthroughAnimationType::Curve,
                                               WalkthroughAnimationType::Zoom};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto page = pageWithSubviews(3, backgrounds[i]);
        page->setAnimationType(ns::String(rawValue(styles[i])));
        page->setSpeedVariance(i == 0 ? cg::Point{0.3, 0} : cg::Point{0.5, 0.5});
        page->setAnimateAlpha(i == 2);
        pager->add(page);
    }
    show(pager);
    pager->scrollview()->setContentOffset({187.5, 0});
    window()->layoutIfNeeded();
    ca::Renderer renderer({375, 667}, 1);
    expectMatchesGolden(renderer.render(*window()->layer()), "pellavo_walkthrough");
}

} // namespace
} // namespace pellavo::testing
