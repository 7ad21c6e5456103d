#include "platform/ui/scroll/TableView.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "platform/ca/CurrentMediaTime.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ns/Coder.hpp"
#include "platform/ui/graphics/BezierPath.hpp"
#include "platform/ui/gesture/GestureRecognizerDelegate.hpp"
#include "platform/ui/graphics/GraphicsContext.hpp"
#include "platform/ui/control/ImageView.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/nib/Nib.hpp"
#include "platform/ui/gesture/TapGestureRecognizer.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"
#include "tests/support/Pixels.hpp"

namespace pellavo {
namespace {

// Counts what the table asks and records selections.
class Rows : public ui::TableViewDataSource, public ui::TableViewDelegate {
public:
    std::vector<int> counts{100};
    std::function<double(ns::IndexPath)> height;
    std::function<void(ns::IndexPath)> onSelect;
    bool giveNull = false;
    int countAsks = 0;
    int cellAsks = 0;
    std::vector<ns::IndexPath> selections;
    std::vector<std::weak_ptr<ui::TableViewCell>> made;

    int numberOfSections(ui::TableView&) override {
        ++countAsks;
        return static_cast<int>(counts.size());
    }
    int numberOfRowsInSection(ui::TableView&, int section) override { return counts[static_cast<std::size_t>(section)]; }
    std::shared_ptr<ui::TableViewCell> cellForRowAt(ui::TableView&, ns::IndexPath path) override {
        ++cellAsks;
        if (giveNull) return nullptr;
        auto cell = ns::make<ui::TableViewCell>(ui::TableViewCell::Style::defaultStyle, ns::String("row"));
        cell->setTag(path.section * 1000 + path.row);
        made.push_back(cell);
        return cell;
    }
    double heightForRowAt(ui::TableView& table, ns::IndexPath path) override {
        return height ? height(path) : ui::TableViewDelegate::heightForRowAt(table, path);
    }
    void didSelectRowAt(ui::TableView&, ns::IndexPath path) override {
        selections.push_back(path);
        if (onSelect) onSelect(path);
    }
};

class TableViewTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        table = ns::make<ui::TableView>(cg::Rect{0, 0, 320, 300});
        rows = std::make_shared<Rows>();
        table->setDataSource(rows);
        table->setDelegate(rows);
        window()->addSubview(table);
    }

    std::vector<int> visibleRows() const {
        std::vector<int> out;
        for (const auto& p : table->indexPathsForVisibleRows()) out.push_back(p.row);
        return out;
    }

    std::shared_ptr<ui::TableView> table;
    std::shared_ptr<Rows> rows;
};

TEST_F(TableViewTest, ReloadAsksNothingUntilTheNextLayout) {
    EXPECT_EQ(rows->countAsks, 0);
    EXPECT_EQ(rows->cellAsks, 0);
    advance(0.01);
    EXPECT_EQ(rows->countAsks, 1);
    EXPECT_EQ(rows->cellAsks, 7);
    table->reloadData();
    EXPECT_TRUE(table->visibleCells().empty());
    EXPECT_EQ(rows->countAsks, 1);
    EXPECT_EQ(rows->cellAsks, 7);
    advance(0.01);
    EXPECT_EQ(rows->countAsks, 2);
    EXPECT_EQ(rows->cellAsks, 14);
}

TEST_F(TableViewTest, TilesOnlyTheVisibleRowsAndSwapsThemWhenScrolled) {
    advance(0.01);
    EXPECT_EQ(table->contentSize(), (cg::Size{320, 4400}));
    EXPECT_EQ(visibleRows(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    const auto first = table->cellForRow({0, 0});
    ASSERT_TRUE(first);
    EXPECT_EQ(first->frame(), (cg::Rect{0, 0, 320, 44}));
    EXPECT_EQ(table->cellForRow({0, 6})->frame(), (cg::Rect{0, 264, 320, 44}));
    EXPECT_EQ(first->superview(), table);

    table->setContentOffset({0, 100});
    advance(0.01);
    EXPECT_EQ(visibleRows(), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(table->cellForRow({0, 0}), nullptr);
    EXPECT_EQ(first->superview(), nullptr);
    // Cells that left are released; the ones on screen are held by the table.
    int alive = 0;
    for (const auto& w : rows->made) alive += !w.expired();
    EXPECT_EQ(alive, 8 + 1); // `first` is still held here
    EXPECT_EQ(table->cellForRow({0, 9})->frame(), (cg::Rect{0, 396, 320, 44}));

    // Coming back asks again.
    const int asks = rows->cellAsks;
    table->setContentOffset({0, 0});
    advance(0.01);
    EXPECT_EQ(rows->cellAsks, asks + 2);
    EXPECT_NE(table->cellForRow({0, 0}), first);
    EXPECT_EQ(table->cellForRow({0, 50}), nullptr) << "off screen";
    EXPECT_EQ(table->cellForRow({3, 0}), nullptr) << "no such row";
}

TEST_F(TableViewTest, SectionsAndVariableHeights) {
    rows->counts = {2, 0, 3};
    rows->height = [](ns::IndexPath p) { return p.section == 0 ? 100.0 : 30.0; };
    table->reloadData();
    advance(0.01);
    EXPECT_EQ(table->numberOfSections(), 3);
    EXPECT_EQ(table->numberOfRows(1), 0);
    EXPECT_EQ(table->numberOfRows(2), 3);
    EXPECT_EQ(table->numberOfRows(7), 0);
    EXPECT_EQ(table->contentSize().height, 290);
    EXPECT_EQ(table->rectForRow({2, 1}), (cg::Rect{0, 230, 320, 30}));
    EXPECT_EQ(table->indexPathForRow({10, 235}), (ns::IndexPath{2, 1}));
    EXPECT_EQ(table->indexPathForRow({10, 290}), std::nullopt);
    EXPECT_TRUE(table->rectForRow({1, 0}).isNull());
    EXPECT_EQ(table->indexPathsForVisibleRows(),
              (std::vector<ns::IndexPath>{{0, 0}, {0, 1}, {2, 0}, {2, 1}, {2, 2}}));
}

TEST_F(TableViewTest, BadCountsHeightsAndCellsAreMadeSound) {
    rows->counts = {-4, 3};
    rows->height = [](ns::IndexPath p) { return p.row == 0 ? -10.0 : p.row == 1 ? std::nan("") : 50.0; };
    rows->giveNull = true;
    table->reloadData();
    advance(0.01);
    EXPECT_EQ(table->numberOfRows(0), 0);
    EXPECT_EQ(table->contentSize().height, 50);
    ASSERT_EQ(table->visibleCells().size(), 1u) << "zero-height rows meet no area";
    EXPECT_EQ(table->visibleCells()[0]->className(), "UITableViewCell");
    ASSERT_EQ(loggedLines().size(), 1u);
    EXPECT_EQ(loggedLines()[0], "TableView: the data source gave no cell for section 1 row 2; using an empty cell");
    table->setRowHeight(std::nan(""));
    EXPECT_EQ(table->rowHeight(), 0);
    table->setRowHeight(-3);
    EXPECT_EQ(table->rowHeight(), 0);
    // Out-of-range paths are ignored.
    table->selectRow({0, 0}, false);
    table->selectRow({5, 5}, false);
    table->deselectRow({-1, 2}, true);
    EXPECT_EQ(table->indexPathForSelectedRow(), std::nullopt);
}

TEST_F(TableViewTest, TapSelectsTheRowAndHitsTheContentView) {
    advance(0.01);
    const auto cell = table->cellForRow({0, 2});
    const auto hit = window()->hitTest({100, 110}, nullptr);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit, cell->contentView());
    EXPECT_EQ(hit->className(), "UITableViewCellContentView");

    const auto id = driver().touchDown({100, 110});
    EXPECT_TRUE(cell->isHighlighted());
    EXPECT_FALSE(cell->isSelected());
    driver().up(id);
    EXPECT_FALSE(cell->isHighlighted());
    EXPECT_TRUE(cell->isSelected());
    EXPECT_EQ(rows->selections, (std::vector<ns::IndexPath>{{0, 2}}));
    EXPECT_EQ(table->indexPathForSelectedRow(), (ns::IndexPath{0, 2}));

    // Another row takes the selection over.
    driver().tap({100, 10});
    EXPECT_FALSE(cell->isSelected());
    EXPECT_TRUE(table->cellForRow({0, 0})->isSelected());
    // Lifting on another row selects nothing.
    const auto moved = driver().touchDown({100, 200});
    driver().up(moved, {100, 250});
    EXPECT_EQ(rows->selections.size(), 2u);
}

TEST_F(TableViewTest, DragRemovesTheHighlightAndSelectsNothing) {
    advance(0.01);
    const auto cell = table->cellForRow({0, 3});
    const auto id = driver().touchDown({100, 150});
    EXPECT_TRUE(cell->isHighlighted());
    driver().move(id, {100, 135});
    EXPECT_FALSE(cell->isHighlighted()) << "the pan began and took the touch";
    EXPECT_EQ(table->contentOffset().y, 15);
    driver().up(id);
    EXPECT_TRUE(rows->selections.empty());
    EXPECT_FALSE(cell->isSelected());
}

TEST_F(TableViewTest, SelectionWorksWithScrollingDisabledAndWithoutAHighlightStyle) {
    table->setIsScrollEnabled(false);
    advance(0.01);
    table->cellForRow({0, 1})->setSelectionStyle(ui::TableViewCell::SelectionStyle::none);
    const auto id = driver().touchDown({50, 60});
    EXPECT_FALSE(table->cellForRow({0, 1})->isHighlighted());
    // With scrolling off the finger may wander within the row.
    driver().move(id, {90, 80});
    driver().up(id);
    EXPECT_EQ(rows->selections, (std::vector<ns::IndexPath>{{0, 1}}));
    EXPECT_EQ(table->contentOffset().y, 0);
}

TEST_F(TableViewTest, AncestorTapThatRefusesTheTouchLeavesSelectionToTheTable) {
    struct Refuser : ui::GestureRecognizerDelegate {
        bool receive = false;
        bool gestureRecognizerShouldReceive(ui::GestureRecognizer&, ui::Touch&) override { return receive; }
    };
    struct Target : ns::Object {
        int taps = 0;
        void tap() { ++taps; }
    };
    auto refuser = std::make_shared<Refuser>();
    auto target = std::make_shared<Target>();
    auto tap = ns::make<ui::TapGestureRecognizer>();
    tap->addTarget(target, &Target::tap);
    tap->setDelegate(refuser);
    window()->addGestureRecognizer(tap);
    advance(0.01);
    driver().tap({100, 100});
    EXPECT_EQ(target->taps, 0);
    EXPECT_EQ(rows->selections, (std::vector<ns::IndexPath>{{0, 2}}));
    // One that takes the touch recognises and cancels it in the table.
    refuser->receive = true;
    driver().tap({100, 150});
    EXPECT_EQ(target->taps, 1);
    EXPECT_EQ(rows->selections.size(), 1u);
    EXPECT_FALSE(table->cellForRow({0, 3})->isHighlighted());
}

TEST_F(TableViewTest, ReloadInsideDidSelectIsSafe) {
    advance(0.01);
    rows->onSelect = [&](ns::IndexPath) {
        rows->counts = {3};
        table->reloadData();
    };
    driver().tap({100, 100});
    EXPECT_EQ(rows->selections.size(), 1u);
    advance(0.01);
    EXPECT_EQ(table->visibleCells().size(), 3u);
    EXPECT_EQ(table->indexPathForSelectedRow(), std::nullopt);
}

TEST_F(TableViewTest, SetSelectedAfterTheCellIsReleasedIsHarmless) {
    advance(0.01);
    const auto id = driver().touchDown({100, 20});
    table->setContentOffset({0, 1000});
    advance(0.01);
    driver().up(id);
    EXPECT_TRUE(rows->selections.empty()) << "the table scrolled under the finger";
}

using testing::pixelAt;

TEST_F(TableViewTest, SeparatorsAreDrawnBetweenRowsOverTheCells) {
    rows->counts = {3};
    table->reloadData();
    advance(0.01);
    ca::Renderer renderer;
    const cg::Image& image = renderer.render(*window()->layer());
    const cg::RGBA8 separator{0xC8, 0xC7, 0xCC, 255};
    const cg::RGBA8 white{255, 255, 255, 255};
    // The last device pixel of row 0 (y 43.5…44) from x = 15 on.
    EXPECT_EQ(pixelAt(image, 100, 43.75), separator);
    EXPECT_EQ(pixelAt(image, 16, 87.75), separator);
    EXPECT_EQ(pixelAt(image, 14, 43.75), white) << "left inset";
    EXPECT_EQ(pixelAt(image, 100, 43.25), white);
    EXPECT_EQ(pixelAt(image, 100, 131.75), white) << "nothing below the last row";

    table->setSeparatorInset({0, 320, 0, 0});
    advance(0.01);
    const cg::Image& hidden = renderer.render(*window()->layer());
    EXPECT_EQ(pixelAt(hidden, 100, 43.75), white);
    // A cell's own inset wins over the table's.
    table->cellForRow({0, 1})->setSeparatorInset({0, 0, 0, 0});
    advance(0.01);
    const cg::Image& own = renderer.render(*window()->layer());
    EXPECT_EQ(pixelAt(own, 1, 87.75), separator);
    EXPECT_EQ(pixelAt(own, 1, 43.75), white);
}

TEST_F(TableViewTest, AnimatedDeselectClearsAtOnceAndFades) {
    advance(0.01);
    driver().tap({100, 20});
    advance(0.01);
    ca::Renderer renderer;
    const cg::RGBA8 grey{0xD9, 0xD9, 0xD9, 255};
    EXPECT_EQ(pixelAt(renderer.render(*window()->layer()), 200, 20), grey);
    table->deselectRow({0, 0}, true);
    EXPECT_EQ(table->indexPathForSelectedRow(), std::nullopt);
    EXPECT_FALSE(table->cellForRow({0, 0})->isSelected());
    advance(0.12);
    const auto mid = pixelAt(renderer.render(*window()->layer(), ca::RenderMode::presentation(ca::currentMediaTime())), 200, 20);
    EXPECT_GT(mid.r, 0xD9);
    EXPECT_LT(mid.r, 255);
    advance(0.2);
    EXPECT_EQ(pixelAt(renderer.render(*window()->layer(), ca::RenderMode::presentation(ca::currentMediaTime())), 200, 20),
              (cg::RGBA8{255, 255, 255, 255}));
}

ui::Image dot(ui::Color color, double side) {
    ui::graphicsBeginImageContextWithOptions({side, side}, false, 2);
    color.setFill();
    ui::BezierPath::ovalIn({0, 0, side, side}).fill();
    ui::Image image = ui::graphicsGetImageFromCurrentImageContext();
    ui::graphicsEndImageContext();
    return image;
}

TEST_F(TableViewTest, CellLabelAndImageAreLazyAndPlacedInTheContentView) {
    auto cell = ns::make<ui::TableViewCell>();
    EXPECT_EQ(cell->contentView()->className(), "UITableViewCellContentView");
    EXPECT_TRUE(cell->contentView()->subviews().empty());
    EXPECT_EQ(cell->backgroundColor(), ui::Color::white());
    cell->setFrame({0, 0, 320, 44});
    auto label = cell->textLabel();
    EXPECT_EQ(label, cell->textLabel());
    EXPECT_EQ(label->superview(), cell->contentView());
    cell->layoutIfNeeded();
    EXPECT_EQ(cell->contentView()->frame(), (cg::Rect{0, 0, 320, 44}));
    EXPECT_EQ(label->frame(), (cg::Rect{15, 0, 290, 44}));
    cell->imageView()->setImage(dot(ui::Color::red(), 20));
    cell->setNeedsLayout();
    cell->layoutIfNeeded();
    EXPECT_EQ(cell->imageView()->frame(), (cg::Rect{15, 12, 20, 20}));
    EXPECT_EQ(label->frame(), (cg::Rect{50, 0, 255, 44}));
    // A taller row centres the image again.
    cell->setFrame({0, 0, 320, 60});
    cell->layoutIfNeeded();
    EXPECT_EQ(cell->imageView()->frame(), (cg::Rect{15, 20, 20, 20}));
    EXPECT_EQ(label->frame(), (cg::Rect{50, 0, 255, 60}));
}

TEST_F(TableViewTest, CellFromAnInterfaceFilePutsItsSubviewsInTheContentView) {
    auto nib = ui::Nib::fromData(R"(<interface version="1">
  <object class="UITableViewCell" frame="0 0 300 60">
    <property name="backgroundColor" value="red"/>
    <subviews><object class="UILabel" frame="10 5 100 20"><property name="text" value="Row"/></object></subviews>
  </object>
  <object class="UITableViewCell"/>
</interface>)",
                                 "Cells");
    const auto objects = nib->instantiate(nullptr);
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_TRUE(nib->lastWarnings().empty());
    const auto cell = std::dynamic_pointer_cast<ui::TableViewCell>(objects[0]);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->frame(), (cg::Rect{0, 0, 300, 60}));
    EXPECT_EQ(cell->backgroundColor(), ui::Color::red());
    ASSERT_EQ(cell->contentView()->subviews().size(), 1u);
    EXPECT_EQ(cell->subviews(), (std::vector<std::shared_ptr<ui::View>>{cell->contentView()}));
    const auto label = std::dynamic_pointer_cast<ui::Label>(cell->contentView()->subviews()[0]);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), ns::String("Row"));
    cell->layoutIfNeeded();
    EXPECT_EQ(cell->contentView()->frame(), (cg::Rect{0, 0, 300, 60}));
    EXPECT_EQ(label->frame(), (cg::Rect{10, 5, 100, 20}));  // not the lazy text label's place
    EXPECT_EQ(std::dynamic_pointer_cast<ui::View>(objects[1])->frame(), (cg::Rect{0, 0, 320, 44}));

    ns::Coder coder;
    coder.encode("reuseIdentifier", ns::String("menu"));
    EXPECT_EQ(ns::make<ui::TableViewCell>(coder)->reuseIdentifier(), ns::String("menu"));
}

// Rows of text, with and without icons, a selected row and the separators.
class MenuRows : public ui::TableViewDataSource {
public:
    int numberOfRowsInSection(ui::TableView&, int) override { return 5; }
    std::shared_ptr<ui::TableViewCell> cellForRowAt(ui::TableView&, ns::IndexPath path) override {
        static const char* titles[] = {"Share", "Favourite", "Delete", "Settings", "About"};
        auto cell = ns::make<ui::TableViewCell>();
        cell->textLabel()->setText(ns::String(titles[path.row]));
        cell->textLabel()->setFont(ui::Font::systemFont(15));
        if (path.row % 2 == 0) {
            const ui::Color colors[] = {{0.2, 0.5, 0.9, 1}, {0.9, 0.3, 0.2, 1}, {0.3, 0.7, 0.3, 1}};
            cell->imageView()->setImage(dot(colors[path.row / 2], 24));
        }
        return cell;
    }
};

TEST_F(TableViewTest, GoldenMenuTable) {
    table->removeFromSuperview();
    auto menu = ns::make<ui::TableView>(cg::Rect{20, 40, 240, 220});
    auto source = std::make_shared<MenuRows>();
    menu->setDataSource(source);
    window()->setBackgroundColor(ui::Color(0.55, 0.65, 0.8, 1));
    window()->addSubview(menu);
    advance(0.01);
    menu->selectRow({0, 2}, false);
    advance(0.01);
    ca::Renderer renderer({280, 280}, 2);
    testing::expectMatchesGolden(renderer.render(*window()->layer()), "ui_table");
}

} // namespace
} // namespace pellavo
