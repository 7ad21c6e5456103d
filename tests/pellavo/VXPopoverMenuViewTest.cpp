#include "pellavo/VXPopoverMenuView.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>

#include "pellavo/Pellavo.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ns/Bundle.hpp"
#include "platform/ns/Coder.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"

namespace pellavo {
namespace {

using detail::VXPopOverMenuArrowDirection;
using detail::VXPopOverMenuCell;
using detail::VXPopOverMenuView;
using Elements = std::vector<cg::PathElement>;

cg::RGBA8 pixelAt(const cg::Image& image, double x, double y) {
    return image.pixel(static_cast<int>(x * 2), static_cast<int>(y * 2));
}

bool isFinite(const cg::Rect& r) {
    return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) &&
           std::isfinite(r.size.height);
}

// The first arc after element `from` (the arc's start may add a hair-thin line first).
cg::PathElement firstCurve(const Elements& elements, std::size_t from) {
    for (std::size_t i = from; i < elements.size(); ++i) {
        if (elements[i].type == cg::PathElementType::curveTo) return elements[i];
    }
    return {};
}

bool passesThrough(const Elements& elements, cg::Point p) {
    for (const auto& e : elements) {
        if (e.type != cg::PathElementType::closeSubpath && e.endPoint() == p) return true;
    }
    return false;
}

class VXPopoverMenuViewTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        savedResources = ns::Bundle::main().resourcePath();
        ns::Bundle::main().setResourcePath(std::filesystem::path(PELLAVO_SOURCE_DIR) / "tests/pellavo/data");
        resetConfiguration();
        window()->setBackgroundColor(ui::Color(0, 1, 0, 1));
        view = ns::make<VXPopOverMenuView>();
        window()->addSubview(view);
    }
    void TearDown() override {
        view.reset();
        resetConfiguration();
        ns::Bundle::main().setResourcePath(savedResources);
        AppTest::TearDown();
    }

    static void resetConfiguration() {
        auto fresh = ns::make<VXConfiguration>();
        auto& c = *VXConfiguration::shared();
        c.setMenuRowHeight(fresh->menuRowHeight());
        c.setMenuWidth(fresh->menuWidth());
        c.setTextColor(fresh->textColor());
        c.setTextFont(fresh->textFont());
        c.setBorderColor(fresh->borderColor());
        c.setBorderWidth(fresh->borderWidth());
        c.setBackgoundTintColor(fresh->backgoundTintColor());
        c.setCornerRadius(fresh->cornerRadius());
        c.setTextAlignment(fresh->textAlignment());
        c.setIgnoreImageOriginalColor(fresh->ignoreImageOriginalColor());
        c.setMenuSeparatorColor(fresh->menuSeparatorColor());
        c.setMenuSeparatorInset(fresh->menuSeparatorInset());
    }
    VXConfiguration& config() { return *VXConfiguration::shared(); }

    // The presenter's sequence at a show.
    void show(const std::shared_ptr<VXPopOverMenuView>& v, cg::Rect frame, VXPopOverMenuArrowDirection direction,
              double arrowX, std::vector<ns::String> names = {"One", "Two", "Three"},
              std::optional<std::vector<ns::String>> images = std::vector<ns::String>{"menu-star"}) {
        v->setFrame(frame);
        v->setMenuNameArray(std::move(names));
        v->setMenuImageArray(std::move(images));
        v->setArrowDirection(direction);
        v->repositionMenuTableView();
        v->drawBackgroundLayerWithArrowPoint({arrowX, 0});
        v->layoutIfNeeded();
    }
    std::shared_ptr<VXPopOverMenuCell> cell(int row) {
        return std::dynamic_pointer_cast<VXPopOverMenuCell>(view->menuTableView()->cellForRow({0, row}));
    }
    Elements outline() { return view->backgroundLayer()->path()->elements(); }

    std::filesystem::path savedResources;
    std::shared_ptr<VXPopOverMenuView> view;
};

// ------------------------------------------------------------------ configuration

TEST(VXConfigurationTest, SharedIsOneObjectAcrossThreads) {
    const VXConfiguration* seen[2] = {};
    std::thread a([&] { seen[0] = VXConfiguration::shared().get(); });
    std::thread b([&] { seen[1] = VXConfiguration::shared().get(); });
    a.join();
    b.join();
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(seen[0], VXConfiguration::shared().get());
}

TEST(VXConfigurationTest, DefaultsAndRuntimeRegistration) {
    auto c = ns::make<VXConfiguration>();
    const ui::Color tint(80 / 255.0, 80 / 255.0, 80 / 255.0, 1);
    EXPECT_EQ(c->menuRowHeight(), 40);
    EXPECT_EQ(c->menuWidth(), 120);
    EXPECT_EQ(c->textColor(), ui::Color::white());
    EXPECT_EQ(c->textFont(), ui::Font::systemFont(14));
    EXPECT_EQ(c->borderColor(), tint);
    EXPECT_EQ(c->backgoundTintColor(), tint);
    EXPECT_EQ(c->borderWidth(), 0.5);
    EXPECT_EQ(c->cornerRadius(), 6);
    EXPECT_EQ(c->textAlignment(), ns::TextAlignment::left);
    EXPECT_FALSE(c->ignoreImageOriginalColor());
    EXPECT_EQ(c->menuSeparatorColor(), ui::Color(2.0 / 3.0, 1));
    EXPECT_EQ(c->menuSeparatorInset(), (ui::EdgeInsets{0, 6, 0, 6}));

    auto& runtime = ns::Runtime::shared();
    auto created = runtime.create("VXConfiguration");
    ASSERT_TRUE(std::dynamic_pointer_cast<VXConfiguration>(created));
    EXPECT_NE(created.get(), VXConfiguration::shared().get());
    EXPECT_FALSE(runtime.propertyType("VXConfiguration", "menuRowHeight").has_value());
    EXPECT_TRUE(std::dynamic_pointer_cast<VXPopOverMenuCell>(runtime.create("VXPopOverMenuCell")));
    EXPECT_EQ(runtime.superclassName("VXPopOverMenuCell"), "UITableViewCell");
}

TEST(VXPopOverMenuCellTest, CellComesFromAnInterfaceFileAndTheViewFromACoder) {
    auto nib = ui::Nib::fromData(R"(<interface version="1">
  <object class="VXPopOverMenuCell" frame="0 0 120 40">
    <property name="tintColor" value="red"/>
    <subviews><object class="UIView" frame="4 4 8 8"/></subviews>
  </object>
</interface>)",
                                 "MenuCell");
    const auto objects = nib->instantiate(nullptr);
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_TRUE(nib->lastWarnings().empty());  // UIView's properties reach it through UITableViewCell
    EXPECT_TRUE(ns::Runtime::shared().hasCoderFactory("VXPopOverMenuCell"));
    const auto cell = std::dynamic_pointer_cast<VXPopOverMenuCell>(objects[0]);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->frame(), (cg::Rect{0, 0, 120, 40}));
    EXPECT_EQ(cell->tintColor(), ui::Color::red());
    ASSERT_EQ(cell->contentView()->subviews().size(), 1u);
    EXPECT_EQ(cell->contentView()->subviews()[0]->frame(), (cg::Rect{4, 4, 8, 8}));

    ns::Coder coder;
    coder.encode(ns::Coder::frameKey, cg::Rect{10, 20, 120, 90});
    const auto view = ns::make<VXPopOverMenuView>(coder);
    EXPECT_EQ(view->frame(), (cg::Rect{10, 20, 120, 90}));
    EXPECT_TRUE(view->subviews().empty());  // the table still comes on first use
}

// ------------------------------------------------------------------ table geometry



TEST_F(VXPopoverMenuViewTest, TableLeavesTheArrowStripFreeAndScrollsOnlyWhenRowsOverflow) {
    struct Case {
        VXPopOverMenuArrowDirection direction;
        double height;
        cg::Rect table;
        bool scrolls;
    };
    const Case cases[] = {
        {VXPopOverMenuArrowDirection::Up, 130, {0, 10, 120, 120}, false},
        {VXPopOverMenuArrowDirection::Down, 130, {0, 0, 120, 120}, false},
        {VXPopOverMenuArrowDirection::Down, 100, {0, 0, 120, 90}, true},
        {VXPopOverMenuArrowDirection::Up, 4, {0, 10, 120, 0}, true},
    };
    for (const auto& c : cases) {
        show(view, {20, 40, 120, c.height}, c.direction, 60);
        const auto& table = view->menuTableView();
        EXPECT_EQ(table->frame(), c.table) << c.height;
        EXPECT_EQ(table->isScrollEnabled(), c.scrolls) << c.height;
        EXPECT_EQ(view->subviews().back(), table);
        // Another subview does not stay above the table.
        view->addSubview(ns::make<ui::View>());
    }
}

TEST_F(VXPopoverMenuViewTest, TableReadsSeparatorColourAndCornerRadiusOnce) {
    show(view, {0, 0, 120, 130}, VXPopOverMenuArrowDirection::Up, 60);
    const auto& table = view->menuTableView();
    EXPECT_EQ(table->separatorColor(), ui::Color::lightGray());
    EXPECT_EQ(table->layer()->cornerRadius(), 6);
    EXPECT_TRUE(table->layer()->masksToBounds());
    config().setMenuSeparatorColor(ui::Color::red());
    config().setCornerRadius(20);
    show(view, {0, 0, 120, 130}, VXPopOverMenuArrowDirection::Up, 60);
    EXPECT_EQ(table->separatorColor(), ui::Color::lightGray());
    EXPECT_EQ(table->layer()->cornerRadius(), 6);
    EXPECT_NEAR(firstCurve(outline(), 4).endPoint().y, 20, 1e-9) << "the outline reads the radius at every draw";
}

// ------------------------------------------------------------------ outline

TEST_F(VXPopoverMenuViewTest, UpOutlineRunsFromTheArrowClockwise) {
    show(view, {0, 0, 120, 130}, VXPopOverMenuArrowDirection::Up, 60);
    const Elements e = outline();
    ASSERT_GE(e.size(), 6u);
    EXPECT_EQ(e[0], cg::PathElement::moveTo({52, 10}));
    EXPECT_EQ(e[1], cg::PathElement::lineTo({60, 0}));
    EXPECT_EQ(e[2], cg::PathElement::lineTo({68, 10}));
    EXPECT_EQ(e[3], cg::PathElement::lineTo({117, 10}));
    const cg::PathElement arc = firstCurve(e, 4);
    EXPECT_EQ(arc.type, cg::PathElementType::curveTo);
    EXPECT_NEAR(arc.endPoint().x, 120, 1e-9);
    EXPECT_NEAR(arc.endPoint().y, 13, 1e-9);
    EXPECT_EQ(e.back().type, cg::PathElementType::closeSubpath);
    EXPECT_EQ(view->backgroundLayer()->path()->pathBoundingBox(), (cg::Rect{0, 0, 120, 130}));
    // Any arrow x the presenter may choose keeps the outline inside the bounds.
    for (double x : {8.0, 12.0, 100.0, 112.0}) {
        EXPECT_EQ(view->getBackgroundPath({x, 0}).cgPath().pathBoundingBox(), (cg::Rect{0, 0, 120, 130})) << x;
    }
}

TEST_F(VXPopoverMenuViewTest, DownOutlineRunsCounterClockwiseFromTheBottomArrow) {
    show(view, {0, 0, 120, 130}, VXPopOverMenuArrowDirection::Down, 60);
    const Elements e = outline();
    ASSERT_GE(e.size(), 6u);
    EXPECT_EQ(e[0], cg::PathElement::moveTo({52, 120}));
    EXPECT_EQ(e[1], cg::PathElement::lineTo({60, 130}));
    EXPECT_EQ(e[2], cg::PathElement::lineTo({68, 120}));
    EXPECT_EQ(e[3], cg::PathElement::lineTo({117, 120}));
    const cg::PathElement arc = firstCurve(e, 4);
    EXPECT_NEAR(arc.endPoint().x, 120, 1e-9);
    EXPECT_NEAR(arc.endPoint().y, 117, 1e-9);
    // Counter-clockwise on screen: the curve leaves (117, 120) heading right, the short way up.
    EXPECT_GT(arc.points[0].x, 117);
    EXPECT_NEAR(arc.points[0].y, 120, 1e-9);
    EXPECT_NEAR(arc.points[1].x, 120, 1e-9);
    EXPECT_EQ(view->backgroundLayer()->path()->pathBoundingBox(), (cg::Rect{0, 0, 120, 130}));
}

TEST_F(VXPopoverMenuViewTest, ZeroRadiusGivesSquareCornersWithTheSameArrow) {
    config().setCornerRadius(0);
    show(view, {0, 0, 120, 130}, VXPopOverMenuArrowDirection::Up, 60);
    const Elements e = outline();
    EXPECT_TRUE(passesThrough(e, {120, 10}));
    EXPECT_TRUE(passesThrough(e, {120, 130}));
    EXPECT_TRUE(passesThrough(e, {0, 130}));
    EXPECT_EQ(e[0].endPoint(), (cg::Point{52, 10}));
    EXPECT_EQ(e[2].endPoint(), (cg::Point{68, 10}));
}

TEST_F(VXPopoverMenuViewTest, OutlineLayerTakesTheConfiguredLookWithoutAnimating) {
    config().setBackgoundTintColor(ui::Color::red());
    config().setBorderColor(ui::Color::blue());
    config().setBorderWidth(2);
    for (int i = 0; i < 3; ++i) show(view, {100, 100, 120, 130}, VXPopOverMenuArrowDirection::Up, 60);
    const auto& shape = view->backgroundLayer();
    EXPECT_EQ(shape->fillColor(), ui::Color::red().cgColor());
    EXPECT_EQ(shape->strokeColor(), ui::Color::blue().cgColor());
    EXPECT_EQ(shape->lineWidth(), 2);
    ASSERT_FALSE(view->layer()->sublayers().empty());
    EXPECT_EQ(view->layer()->sublayers()[0], shape);
    int count = 0;
    for (const auto& l : view->layer()->sublayers()) count += l == shape ? 1 : 0;
    EXPECT_EQ(count, 1);
    show(view, {100, 100, 120, 130}, VXPopOverMenuArrowDirection::Down, 90);
    EXPECT_TRUE(shape->animationKeys().empty());

    show(view, {100, 100, 120, 130}, VXPopOverMenuArrowDirection::Up, 60);
    view->menuTableView()->setIsHidden(true);
    ca::Renderer renderer;
    const cg::Image& image = renderer.render(*window()->layer());
    EXPECT_EQ(pixelAt(image, 160, 165), (cg::RGBA8{255, 0, 0, 255})) << "panel centre";
    EXPECT_EQ(pixelAt(image, 160, 104), (cg::RGBA8{255, 0, 0, 255})) << "just inside the tip";
    EXPECT_EQ(pixelAt(image, 152, 102), (cg::RGBA8{0, 255, 0, 255})) << "beside the arrow";
}

// ------------------------------------------------------------------ rows

TEST_F(VXPopoverMenuViewTest, RowsPlaceIconAndLabelFromTheConfiguration) {
    config().setTextColor(ui::Color::blue());
    config().setTextFont(ui::Font::systemFont(17));
    config().setTextAlignment(ns::TextAlignment::center);
    show(view, {0, 0, 120, 130}, VXPopOverMenuArrowDirection::Up, 60);
    auto row0 = cell(0);
    ASSERT_TRUE(row0);
    EXPECT_EQ(row0->reuseIdentifier(), ns::String("VXPopOverMenuTableViewCellIndentifier"));
    EXPECT_EQ(row0->contentView()->subviews().size(), 2u);
    EXPECT_EQ(row0->iconImageView()->frame(), (cg::Rect{6, 8, 24, 24}));
    EXPECT_EQ(row0->iconImageView()->image()->scale(), 2);
    EXPECT_EQ(row0->nameLabel()->frame(), (cg::Rect{36, 8, 78, 24}));
    EXPECT_EQ(row0->backgroundColor(), ui::Color::clear());
    for (int row : {1, 2}) {
        auto c = cell(row);
        ASSERT_TRUE(c);
        EXPECT_EQ(c->contentView()->subviews().size(), 1u) << "no icon view for a row without an image";
        EXPECT_EQ(c->nameLabel()->frame(), (cg::Rect{6, 0, 108, 40}));
    }
    const auto& label = cell(1)->nameLabel();
    EXPECT_EQ(label->text(), ns::String("Two"));
    EXPECT_EQ(label->font(), ui::Font::systemFont(17));
    EXPECT_EQ(label->textColor(), ui::Color::blue());
    EXPECT_EQ(label->textAlignment(), ns::TextAlignment::center);

    // Unknown and empty image names span the label across the row.
    show(view, {0, 0, 120, 130}, VXPopOverMenuArrowDirection::Up, 60, {"A", "B"},
         std::vector<ns::String>{"no-such-icon", ""});
    for (int row : {0, 1}) {
        EXPECT_EQ(cell(row)->contentView()->subviews().size(), 1u);
        EXPECT_EQ(cell(row)->nameLabel()->frame(), (cg::Rect{6, 0, 108, 40}));
    }

    auto loose = ns::make<VXPopOverMenuCell>();
    loose->setupCellWith("x", std::nullopt);
    EXPECT_EQ(loose->nameLabel()->frame(), cg::Rect{});
    EXPECT_EQ(loose->nameLabel()->text(), ns::String("x"));
}

TEST_F(VXPopoverMenuViewTest, IconsKeepTheirColoursUnlessDrawnAsTemplates) {
    config().setTextColor(ui::Color::white());
    config().setBackgoundTintColor(ui::Color::black());
    ca::Renderer renderer;
    for (bool ignore : {false, true}) {
        config().setIgnoreImageOriginalColor(ignore);
        show(view, {0, 0, 120, 130}, VXPopOverMenuArrowDirection::Up, 60);
        // The star's centre in row 0: (6 + 12, 10 + 8 + 12).
        const cg::RGBA8 p = pixelAt(renderer.render(*window()->layer()), 18, 30);
        EXPECT_EQ(p, ignore ? (cg::RGBA8{255, 255, 255, 255}) : (cg::RGBA8{255, 0, 0, 255})) << ignore;
    }
}

TEST_F(VXPopoverMenuViewTest, LastRowHidesItsSeparator) {
    config().setMenuSeparatorColor(ui::Color::red());
    config().setBackgoundTintColor(ui::Color::black());
    show(view, {0, 0, 120, 130}, VXPopOverMenuArrowDirection::Up, 60);
    EXPECT_EQ(cell(0)->separatorInset(), (ui::EdgeInsets{0, 6, 0, 6}));
    EXPECT_EQ(cell(1)->separatorInset(), (ui::EdgeInsets{0, 6, 0, 6}));
    EXPECT_EQ(cell(2)->separatorInset(), (ui::EdgeInsets{0, 120, 0, 0}));
    ca::Renderer renderer;
    const cg::Image& image = renderer.render(*window()->layer());
    const cg::RGBA8 red{255, 0, 0, 255};
    EXPECT_EQ(pixelAt(image, 60, 10 + 40 - 0.25), red) << "separator under row 0";
    EXPECT_NE(pixelAt(image, 60, 10 + 120 - 0.25), red) << "no separator under the last row";
}

// ------------------------------------------------------------------ selection and bad input

TEST_F(VXPopoverMenuViewTest, TapOnARowLabelCallsDoneOnceAndLeavesNoSelection) {
    std::vector<int> calls;
    view->done = [&calls](int row) { calls.push_back(row); };
    show(view, {20, 100, 120, 130}, VXPopOverMenuArrowDirection::Up, 60);
    // Row 1's label, in window space.
    driver().tap({20 + 50, 100 + 10 + 40 + 20});
    advance(0.01);
    EXPECT_EQ(calls, std::vector<int>{1});
    EXPECT_FALSE(view->menuTableView()->indexPathForSelectedRow().has_value());

    view->done = nullptr;
    driver().tap({70, 170});
    advance(0.01);
    EXPECT_EQ(calls.size(), 1u);

    // A done that ends the menu runs safely.
    std::weak_ptr<VXPopOverMenuView> weak = view;
    view->done = [weak, &calls](int row) {
        if (auto v = weak.lock()) v->removeFromSuperview();
        calls.push_back(row);
    };
    view.reset();
    driver().tap({70, 210});
    advance(0.5);
    EXPECT_EQ(calls.back(), 2);
    EXPECT_TRUE(weak.expired());
}

TEST_F(VXPopoverMenuViewTest, BadConfigurationAndInputStayFiniteAndQuiet) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {nan, inf, -inf, -5.0}) {
        config().setMenuRowHeight(bad);
        config().setMenuWidth(bad);
        config().setCornerRadius(bad);
        config().setBorderWidth(bad);
        auto v = ns::make<VXPopOverMenuView>();
        window()->addSubview(v);
        show(v, {0, 0, 120, 130}, VXPopOverMenuArrowDirection::Up, nan);
        EXPECT_EQ(v->menuTableView()->layer()->cornerRadius(), 0) << bad;
        EXPECT_EQ(v->backgroundLayer()->lineWidth(), 0) << bad;
        EXPECT_EQ(v->backgroundLayer()->path()->elements()[1].endPoint(), (cg::Point{60, 0})) << "arrow at W/2";
        EXPECT_EQ(v->backgroundLayer()->path()->pathBoundingBox(), (cg::Rect{0, 0, 120, 130}));
        EXPECT_TRUE(isFinite(v->menuTableView()->frame()));
        EXPECT_EQ(v->heightForRowAt(*v->menuTableView(), {0, 0}), 0);
        auto c = std::dynamic_pointer_cast<VXPopOverMenuCell>(v->cellForRowAt(*v->menuTableView(), {0, 0}));
        ASSERT_TRUE(c);
        EXPECT_TRUE(isFinite(c->nameLabel()->frame())) << bad;
        EXPECT_GE(c->nameLabel()->frame().size.width, 0) << bad;
        EXPECT_TRUE(isFinite(c->iconImageView()->frame())) << bad;
        v->removeFromSuperview();
    }
    resetConfiguration();
    auto bare = ns::make<VXPopOverMenuView>();
    EXPECT_EQ(bare->numberOfRowsInSection(*bare->menuTableView(), 0), 0);
    auto empty = std::dynamic_pointer_cast<VXPopOverMenuCell>(bare->cellForRowAt(*bare->menuTableView(), {0, 7}));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->contentView()->subviews().empty());
    ca::Renderer renderer;
    const cg::Image& image = renderer.render(*window()->layer());
    EXPECT_EQ(pixelAt(image, 300, 600), (cg::RGBA8{0, 255, 0, 255})) << "the frame still renders";
    EXPECT_TRUE(loggedLines().empty());
}

// ------------------------------------------------------------------ golden

TEST_F(VXPopoverMenuViewTest, GoldenPanels) {
    window()->setBackgroundColor(ui::Color(0.93, 1));
    const std::vector<ns::String> names{"Share", "Favourite", "Delete"};
    auto panel = [&](cg::Rect frame, VXPopOverMenuArrowDirection direction, double arrowX,
                     std::vector<ns::String> images) {
        auto v = ns::make<VXPopOverMenuView>();
        window()->addSubview(v);
        show(v, frame, direction, arrowX, names, std::move(images));
        return v;
    };
    auto up = panel({20, 20, 120, 130}, VXPopOverMenuArrowDirection::Up, 60, {"menu-star"});
    auto down = panel({200, 20, 120, 100}, VXPopOverMenuArrowDirection::Down, 120 - 12, {});
    config().setCornerRadius(0);
    auto square = panel({20, 200, 120, 130}, VXPopOverMenuArrowDirection::Up, 30, {});
    resetConfiguration();
    config().setBorderColor(ui::Color::white());
    config().setBorderWidth(1.5);
    config().setBackgoundTintColor(ui::Color(0.05, 0.1, 0.4, 1));
    config().setTextAlignment(ns::TextAlignment::center);
    auto bordered = panel({200, 200, 120, 130}, VXPopOverMenuArrowDirection::Down, 60, {});
    resetConfiguration();
    config().setTextColor(ui::Color(1, 0.85, 0, 1));
    config().setIgnoreImageOriginalColor(true);
    config().setMenuWidth(160);
    auto templated = panel({20, 380, 160, 130}, VXPopOverMenuArrowDirection::Up, 40,
                           {"menu-star", "menu-star", "menu-star"});
    ca::Renderer renderer;
    testing::expectMatchesGolden(renderer.render(*window()->layer()), "pellavo_popover_panels");
}

} // namespace
} // namespace pellavo
