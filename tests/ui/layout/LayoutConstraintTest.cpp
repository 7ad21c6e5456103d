#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/ui/control/Label.hpp"
#include "platform/ui/layout/LayoutConstraint.hpp"
#include "platform/ui/scroll/ScrollView.hpp"
#include "platform/ui/view/View.hpp"
#include "platform/ui/layout/VisualFormat.hpp"
#include "tests/support/AppTest.hpp"

namespace {

using namespace pellavo;
using ui::LayoutConstraint;
using ui::View;
using Attribute = LayoutConstraint::Attribute;
using Relation = LayoutConstraint::Relation;
using ConstraintList = std::vector<std::shared_ptr<LayoutConstraint>>;

// A view with a settable natural size, standing in for content such as text.
class SizedView : public View {
public:
    cg::Size intrinsicContentSize() const override { return size_; }
    void setSize(cg::Size size) {
        size_ = size;
        invalidateIntrinsicContentSize();
    }

private:
    cg::Size size_{noIntrinsicMetric, noIntrinsicMetric};
};

// Anchors of different axes do not mix.
template <class A, class B>
concept Relatable = requires(A a, B b) { a.constraintEqualTo(b); };
template <class A>
concept ConstantSized = requires(A a) { a.constraintEqualToConstant(5.0); };
static_assert(Relatable<ui::LayoutXAxisAnchor, ui::LayoutXAxisAnchor>);
static_assert(!Relatable<ui::LayoutXAxisAnchor, ui::LayoutYAxisAnchor>);
static_assert(!Relatable<ui::LayoutDimension, ui::LayoutXAxisAnchor>);
static_assert(!Relatable<ui::LayoutYAxisAnchor, ui::LayoutDimension>);
static_assert(ConstantSized<ui::LayoutDimension>);
static_assert(!ConstantSized<ui::LayoutXAxisAnchor>);

std::shared_ptr<View> placed(const std::shared_ptr<View>& superview) {
    auto view = ns::make<View>();
    view->setTranslatesAutoresizingMaskIntoConstraints(false);
    superview->addSubview(view);
    return view;
}

class LayoutConstraintTest : public pellavo::testing::AppTest {
protected:
    std::vector<std::string> logsContaining(const std::string& text) const {
        std::vector<std::string> lines;
        for (const auto& line : loggedLines())
            if (line.find(text) != std::string::npos)
                lines.push_back(line);
        return lines;
    }
};

// A placeholder in a text area: inset by the area's insets plus 5 on each side, made
// with visual formats and a width constraint, and rebuilt when the insets change.
TEST_F(LayoutConstraintTest, PlaceholderFollowsRebuiltConstraints) {
    auto area = ns::make<View>(cg::Rect{10, 100, 300, 100});
    window()->addSubview(area);
    auto placeholder = placed(area);
    ConstraintList installed;
    auto rebuild = [&](ui::EdgeInsets insets) {
        area->removeConstraints(installed);
        const LayoutConstraint::Views views{{"placeholder", placeholder}};
        installed = LayoutConstraint::constraintsWithVisualFormat(
            "H:|-(" + ns::String::describing(insets.left + 5).utf8() + ")-[placeholder]", 0, {}, views);
        for (const auto& c : LayoutConstraint::constraintsWithVisualFormat(
                 "V:|-(" + ns::String::describing(insets.top).utf8() + ")-[placeholder]", 0, {}, views))
            installed.push_back(c);
        installed.push_back(placeholder->widthAnchor().constraintEqualTo(area->widthAnchor(), 1,
                                                                         -(insets.left + insets.right + 10)));
        for (const auto& c : installed)
            EXPECT_FALSE(c->isActive());
        area->addConstraints(installed);
    };

    rebuild({8, 0, 8, 0});
    runUntilIdle();
    EXPECT_EQ(placeholder->frame().origin, (cg::Point{5, 8}));
    EXPECT_EQ(placeholder->frame().size.width, 290);

    rebuild({20, 10, 20, 10});
    EXPECT_EQ(area->constraints().size(), 3u);
    runUntilIdle();
    EXPECT_EQ(placeholder->frame().origin, (cg::Point{15, 20}));
    EXPECT_EQ(placeholder->frame().size.width, 270);
    EXPECT_TRUE(loggedLines().empty());
}

// A label in a field of height 44 with an intrinsic height of 20: bottom pinned to the
// field's bottom + k, centred at 750, default hugging and compression.
TEST_F(LayoutConstraintTest, IntrinsicSizeAgainstPriorities) {
    auto field = ns::make<View>(cg::Rect{0, 200, 375, 44});
    window()->addSubview(field);
    auto label = ns::make<SizedView>();
    label->setSize({120, 20});
    label->setTranslatesAutoresizingMaskIntoConstraints(false);
    field->addSubview(label);
    auto bottom = label->bottomAnchor().constraintEqualTo(field->bottomAnchor());
    auto centre = label->centerYAnchor().constraintEqualTo(field->centerYAnchor());
    centre->setPriority(ui::LayoutPriority::defaultHigh);
    LayoutConstraint::activate({bottom, centre, label->leadingAnchor().constraintEqualTo(field->leadingAnchor())});
    EXPECT_EQ(label->contentHuggingPriority(LayoutConstraint::Axis::vertical), 250);
    EXPECT_EQ(label->contentCompressionResistancePriority(LayoutConstraint::Axis::vertical), 750);

    runUntilIdle();
    EXPECT_EQ(label->frame(), (cg::Rect{0, 0, 120, 44}));

    bottom->setConstant(-44);
    runUntilIdle();
    EXPECT_EQ(label->frame(), (cg::Rect{0, -20, 120, 20}));

    // The natural size follows the content; hugging now wins over a weak centre.
    centre->setPriority(200);
    bottom->setConstant(0);
    label->setSize({60, 30});
    runUntilIdle();
    EXPECT_EQ(label->frame(), (cg::Rect{0, 14, 60, 30}));

    // The same through the hugging priority: above the centre, the label keeps its size.
    centre->setPriority(750);
    runUntilIdle();
    EXPECT_EQ(label->frame(), (cg::Rect{0, 0, 60, 44}));
    label->setContentHuggingPriority(800, LayoutConstraint::Axis::vertical);
    runUntilIdle();
    EXPECT_EQ(label->frame(), (cg::Rect{0, 14, 60, 30}));
}

TEST_F(LayoutConstraintTest, MarginsAndWidthConstant) {
    auto container = ns::make<View>(cg::Rect{0, 0, 375, 200});
    window()->addSubview(container);
    auto box = placed(container);
    auto width = box->widthAnchor().constraintEqualToConstant(100);
    LayoutConstraint::activate({
        ns::make<LayoutConstraint>(box, Attribute::leading, Relation::equal, container, Attribute::leadingMargin, 1, 0),
        ns::make<LayoutConstraint>(box, Attribute::top, Relation::equal, container, Attribute::topMargin, 1, 2),
        ns::make<LayoutConstraint>(container, Attribute::bottomMargin, Relation::equal, box, Attribute::bottom, 1, 0),
        width,
    });
    runUntilIdle();
    EXPECT_EQ(box->frame(), (cg::Rect{8, 10, 100, 182}));

    container->setLayoutMargins({20, 30, 40, 0});
    EXPECT_TRUE(container->layer()->needsLayout());
    width->setConstant(150);
    runUntilIdle();
    EXPECT_EQ(box->frame(), (cg::Rect{30, 22, 150, 160 - 22}));

    // Trailing margin against a width: the box is pushed left of the margin.
    auto trailing = ns::make<LayoutConstraint>(box, Attribute::trailing, Relation::equal, container,
                                               Attribute::trailingMargin, 1, 0);
    trailing->setPriority(999);
    trailing->setActive(true);
    runUntilIdle();
    EXPECT_EQ(box->frame().size.width, 150);  // the required leading wins over 999
    width->setPriority(500);
    runUntilIdle();
    EXPECT_EQ(box->frame(), (cg::Rect{30, 22, 375 - 30, 160 - 22}));
}

TEST_F(LayoutConstraintTest, ChangesMarkSuperviewsAndLayOutLater) {
    auto container = ns::make<View>(cg::Rect{0, 0, 200, 200});
    window()->addSubview(container);
    auto box = placed(container);
    auto left = box->leftAnchor().constraintEqualTo(container->leftAnchor(), 10);
    LayoutConstraint::activate({left, box->topAnchor().constraintEqualTo(container->topAnchor()),
                                box->widthAnchor().constraintEqualToConstant(50),
                                box->heightAnchor().constraintEqualTo(box->widthAnchor(), 0.5, 0)});
    runUntilIdle();
    ASSERT_EQ(box->frame(), (cg::Rect{10, 0, 50, 25}));
    // Two arguments on a dimension mean a constant, as on every other anchor.
    auto plus = box->heightAnchor().constraintEqualTo(box->widthAnchor(), 5);
    EXPECT_EQ(std::pair(plus->multiplier(), plus->constant()), std::pair(1.0, 5.0));
    EXPECT_FALSE(container->layer()->needsLayout());

    // Unchanged values mark nothing.
    left->setConstant(10);
    left->setPriority(1000);
    left->setActive(true);
    EXPECT_FALSE(container->layer()->needsLayout());

    left->setConstant(40);
    EXPECT_TRUE(container->layer()->needsLayout());
    EXPECT_EQ(box->frame().origin.x, 10);  // nothing lays out synchronously
    container->layoutIfNeeded();
    EXPECT_EQ(box->frame().origin.x, 40);

    left->setActive(false);
    EXPECT_TRUE(container->layer()->needsLayout());
    EXPECT_EQ(container->constraints().size(), 1u);  // the top
    EXPECT_EQ(box->constraints().size(), 2u);        // its own width and height
}

// A constant changed and laid out inside an animation block animates the frame.
TEST_F(LayoutConstraintTest, ConstantAnimatesThroughLayoutIfNeeded) {
    auto container = ns::make<View>(cg::Rect{0, 100, 375, 200});
    window()->addSubview(container);
    auto box = placed(container);
    auto left = box->leftAnchor().constraintEqualTo(container->leftAnchor());
    LayoutConstraint::activate({left, box->centerYAnchor().constraintEqualTo(container->centerYAnchor()),
                                box->widthAnchor().constraintEqualToConstant(100),
                                box->heightAnchor().constraintEqualToConstant(40)});
    runUntilIdle();
    ASSERT_EQ(box->frame(), (cg::Rect{0, 80, 100, 40}));

    left->setConstant(200);
    View::animate(0.25, [&] { container->layoutIfNeeded(); });
    EXPECT_EQ(box->frame(), (cg::Rect{200, 80, 100, 40}));  // the model is final at once
    advance(0.125);
    EXPECT_NEAR(box->layer()->presentation()->position().x, 150, 1e-6);  // halfway, on the symmetric curve
    advance(0.2);
    EXPECT_NEAR(box->layer()->presentation()->position().x, 250, 1e-9);
}

TEST_F(LayoutConstraintTest, BadValuesAreRefusedOrClamped) {
    auto container = ns::make<View>(cg::Rect{0, 0, 200, 200});
    window()->addSubview(container);
    auto box = placed(container);
    auto width = box->widthAnchor().constraintEqualToConstant(50);
    width->setConstant(NAN);
    width->setConstant(INFINITY);
    width->setPriority(NAN);
    EXPECT_EQ(width->constant(), 50);
    EXPECT_EQ(width->priority(), 1000);
    EXPECT_EQ(logsContaining("Ignoring").size(), 3u);
    width->setPriority(-5);
    EXPECT_EQ(width->priority(), 1);
    width->setPriority(5000);
    EXPECT_EQ(width->priority(), 1000);

    auto odd = ns::make<LayoutConstraint>(box, Attribute::width, Relation::equal, container, Attribute::width, NAN, INFINITY);
    EXPECT_EQ(odd->multiplier(), 1);
    EXPECT_EQ(odd->constant(), 0);

    // A switch between required and optional while active is allowed.
    width->setActive(true);
    runUntilIdle();
    width->setPriority(10);
    runUntilIdle();
    width->setPriority(1000);
    runUntilIdle();
    EXPECT_EQ(box->frame().size.width, 50);
}

TEST_F(LayoutConstraintTest, RefusedActivationStaysInactive) {
    auto a = placed(window());
    auto loose = ns::make<View>();
    auto b = placed(window());
    struct Case {
        const char* name;
        std::shared_ptr<LayoutConstraint> constraint;
        const char* reason;
    } cases[] = {
        {"no common ancestor", a->leadingAnchor().constraintEqualTo(loose->leadingAnchor()),
         "its items have no common ancestor"},
        {"axes mixed through the raw constructor",
         ns::make<LayoutConstraint>(a, Attribute::left, Relation::equal, b, Attribute::top, 1, 0),
         "its attributes lie on different axes"},
        {"a position against a constant",
         ns::make<LayoutConstraint>(a, Attribute::left, Relation::equal, nullptr, Attribute::notAnAttribute, 1, 5),
         "a position cannot be related to a constant alone"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.constraint->setActive(true);
        EXPECT_FALSE(c.constraint->isActive());
        auto lines = logsContaining(c.reason);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], "Unable to activate constraint " + c.constraint->description().utf8() + ": " + c.reason);
    }

    // Installing on a view that is not a common ancestor of the items.
    auto between = a->trailingAnchor().constraintEqualTo(b->leadingAnchor(), 8);
    a->addConstraint(between);
    EXPECT_FALSE(between->isActive());
    EXPECT_EQ(logsContaining("is not a common ancestor").size(), 1u);
    window()->addConstraint(between);
    EXPECT_TRUE(between->isActive());
    EXPECT_EQ(window()->constraints().size(), 1u);

    // A constraint whose item has been freed goes silently.
    std::shared_ptr<LayoutConstraint> orphan;
    {
        auto gone = ns::make<View>();
        orphan = gone->widthAnchor().constraintEqualTo(a->widthAnchor());
    }
    const auto before = loggedLines().size();
    orphan->setActive(true);
    EXPECT_FALSE(orphan->isActive());
    EXPECT_EQ(loggedLines().size(), before);
}

TEST_F(LayoutConstraintTest, ConflictIsLoggedOnceAndRetried) {
    auto box = placed(window());
    auto wide = box->widthAnchor().constraintEqualToConstant(100);
    auto narrow = box->widthAnchor().constraintEqualToConstant(60);
    LayoutConstraint::activate(ConstraintList{wide, box->heightAnchor().constraintEqualToConstant(10)});
    runUntilIdle();
    narrow->setActive(true);
    runUntilIdle();
    EXPECT_TRUE(narrow->isActive());
    EXPECT_EQ(box->frame().size.width, 100);
    const std::string line = "Unable to satisfy constraint " + narrow->description().utf8() + "; it is not enforced";
    EXPECT_EQ(narrow->description().utf8(), "UIView.width == 60.0");
    EXPECT_EQ(logsContaining(line).size(), 1u);

    // Every pass retries it, without logging again; once the other goes, it holds.
    box->setNeedsLayout();
    window()->setNeedsLayout();
    runUntilIdle();
    EXPECT_EQ(logsContaining("Unable to satisfy").size(), 1u);
    wide->setActive(false);
    runUntilIdle();
    EXPECT_EQ(box->frame().size.width, 60);

    // A frame-translated view contradicting a required constraint keeps its frame.
    auto fixed = ns::make<View>(cg::Rect{5, 5, 30, 30});
    window()->addSubview(fixed);
    auto squeeze = fixed->widthAnchor().constraintEqualToConstant(10);
    squeeze->setActive(true);
    runUntilIdle();
    EXPECT_EQ(fixed->frame(), (cg::Rect{5, 5, 30, 30}));
    EXPECT_EQ(logsContaining("Unable to satisfy constraint " + squeeze->description().utf8()).size(), 1u);
}

// The update pass runs bottom-up before the layout pass and inside layoutIfNeeded.
TEST_F(LayoutConstraintTest, UpdateConstraintsPass) {
    static std::vector<std::string>* order = nullptr;
    std::vector<std::string> calls;
    order = &calls;
    class Recording : public View {
    public:
        explicit Recording(std::string name) : name_(std::move(name)) {}
        void updateConstraints() override {
            order->push_back("update " + name_);
            View::updateConstraints();
        }
        void layoutSubviews() override {
            order->push_back("layout " + name_);
            View::layoutSubviews();
        }

    private:
        std::string name_;
    };
    auto parent = ns::make<Recording>("parent");
    auto child = ns::make<Recording>("child");
    auto grandchild = ns::make<Recording>("grandchild");
    window()->addSubview(parent);
    parent->addSubview(child);
    child->addSubview(grandchild);
    EXPECT_TRUE(parent->needsUpdateConstraints());
    runUntilIdle();
    ASSERT_GE(calls.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 3),
              (std::vector<std::string>{"update grandchild", "update child", "update parent"}));
    EXPECT_EQ(calls[3], "layout parent");
    EXPECT_FALSE(child->needsUpdateConstraints());

    calls.clear();
    child->setNeedsUpdateConstraints();
    child->setNeedsLayout();
    parent->layoutIfNeeded();
    EXPECT_EQ(calls, (std::vector<std::string>{"update child", "layout child"}));
    calls.clear();
    runUntilIdle();
    EXPECT_TRUE(calls.empty());
    order = nullptr;
}

// A layoutSubviews that feeds a width back into an intrinsic size settles; one that
// toggles a constant on every pass stops at the round cap.
TEST_F(LayoutConstraintTest, FeedbackSettlesOrHitsTheCap) {
    class Wrapping : public View {
    public:
        cg::Size intrinsicContentSize() const override {
            // 600 points of text in lines of the preferred width, 20 points a line.
            if (preferredWidth <= 0)
                return {600, 20};
            return {preferredWidth, std::ceil(600 / preferredWidth) * 20};
        }
        void setPreferredWidth(double width) {
            if (width == preferredWidth)
                return;
            preferredWidth = width;
            invalidateIntrinsicContentSize();
        }
        double preferredWidth = 0;
    };
    class Column : public View {
    public:
        void layoutSubviews() override {
            View::layoutSubviews();
            if (text)
                text->setPreferredWidth(text->frame().size.width);
        }
        std::shared_ptr<Wrapping> text;
    };
    auto column = ns::make<Column>();
    column->setFrame({0, 0, 200, 600});
    window()->addSubview(column);
    column->text = ns::make<Wrapping>();
    column->text->setTranslatesAutoresizingMaskIntoConstraints(false);
    column->addSubview(column->text);
    LayoutConstraint::activate(LayoutConstraint::constraintsWithVisualFormat(
        "H:|-[text]-|", 0, {}, {{"text", column->text}}));
    LayoutConstraint::activate(LayoutConstraint::constraintsWithVisualFormat(
        "V:|[text]", 0, {}, {{"text", column->text}}));
    runUntilIdle();
    EXPECT_EQ(column->text->frame(), (cg::Rect{20, 0, 160, 80}));
    EXPECT_TRUE(logsContaining("did not settle").empty());

    class Toggling : public View {
    public:
        void layoutSubviews() override {
            View::layoutSubviews();
            if (constraint)
                constraint->setConstant(constraint->constant() == 0 ? 10 : 0);
        }
        std::shared_ptr<LayoutConstraint> constraint;
    };
    auto restless = ns::make<Toggling>();
    restless->setFrame({0, 0, 100, 100});
    window()->addSubview(restless);
    auto box = placed(restless);
    restless->constraint = box->leftAnchor().constraintEqualTo(restless->leftAnchor());
    LayoutConstraint::activate({restless->constraint, box->topAnchor().constraintEqualTo(restless->topAnchor())});
    runUntilIdle();
    EXPECT_EQ(logsContaining("Layout did not settle after 16 rounds"),
              (std::vector<std::string>{"Layout did not settle after 16 rounds"}));
    restless->constraint = nullptr;
    runUntilIdle();
}

// A multi-line label whose superview feeds its laid-out width back as the preferred
// wrapping width settles in one turn, as tall as its wrapped text.
TEST_F(LayoutConstraintTest, LabelWrapsAtItsLaidOutWidth) {
    class Column : public View {
    public:
        void layoutSubviews() override {
            View::layoutSubviews();
            if (label)
                label->setPreferredMaxLayoutWidth(label->frame().size.width);
        }
        std::shared_ptr<ui::Label> label;
    };
    auto column = ns::make<Column>();
    column->setFrame({0, 60, 240, 500});
    window()->addSubview(column);
    auto label = ns::make<ui::Label>();
    label->setNumberOfLines(0);
    label->setText(ns::String("Constraints place this label and its text wraps at the width they give it, "
                              "line after line, until every word has found its place."));
    const double oneLine = label->intrinsicContentSize().height;
    label->setTranslatesAutoresizingMaskIntoConstraints(false);
    column->label = label;
    column->addSubview(label);
    const LayoutConstraint::Views views{{"label", label}};
    LayoutConstraint::activate(LayoutConstraint::constraintsWithVisualFormat("H:|-[label]-|", 0, {}, views));
    LayoutConstraint::activate(LayoutConstraint::constraintsWithVisualFormat("V:|-[label]", 0, {}, views));
    runUntilIdle();
    EXPECT_TRUE(logsContaining("did not settle").empty());
    EXPECT_EQ(label->preferredMaxLayoutWidth(), 200);
    EXPECT_EQ(label->frame().size.width, 200);
    EXPECT_EQ(label->frame().size.height, label->intrinsicContentSize().height);
    EXPECT_GT(label->frame().size.height, 3 * oneLine);

    // New text is measured again at the same width.
    label->setText(ns::String("Short"));
    runUntilIdle();
    EXPECT_EQ(label->frame(), (cg::Rect{20, 20, 200, oneLine}));
}

// A pager: pages in a scroll view pinned to its root. The scroll view's edges, as the
// pages see them, are its content, and a fixed far edge writes the content size.
TEST_F(LayoutConstraintTest, ScrollViewContentSizeFollowsConstraints) {
    for (int pages : {1, 2, 3}) {
        SCOPED_TRACE(pages);
        auto root = ns::make<View>(window()->bounds());
        window()->addSubview(root);
        auto scroll = ns::make<ui::ScrollView>();
        scroll->setTranslatesAutoresizingMaskIntoConstraints(false);
        root->addSubview(scroll);
        const LayoutConstraint::Views views{{"scroll", scroll}};
        LayoutConstraint::activate(LayoutConstraint::constraintsWithVisualFormat("H:|-0-[scroll]-0-|", 0, {}, views));
        LayoutConstraint::activate(LayoutConstraint::constraintsWithVisualFormat("V:|-0-[scroll]-0-|", 0, {}, views));
        std::vector<std::shared_ptr<View>> pageViews;
        for (int i = 0; i < pages; ++i) {
            auto page = placed(scroll);
            LayoutConstraint::activate({
                page->widthAnchor().constraintEqualTo(scroll->widthAnchor()),
                page->heightAnchor().constraintEqualTo(scroll->heightAnchor()),
                page->topAnchor().constraintEqualTo(scroll->topAnchor()),
                i == 0 ? page->leadingAnchor().constraintEqualTo(scroll->leadingAnchor())
                       : page->leadingAnchor().constraintEqualTo(pageViews.back()->trailingAnchor()),
            });
            pageViews.push_back(page);
        }
        std::shared_ptr<LayoutConstraint> last;
        if (pages >= 2) {
            last = pageViews.back()->trailingAnchor().constraintEqualTo(scroll->trailingAnchor());
            auto bottom = pageViews.back()->bottomAnchor().constraintEqualTo(scroll->bottomAnchor());
            LayoutConstraint::activate({last, bottom});
        }
        runUntilIdle();
        EXPECT_EQ(scroll->frame(), (cg::Rect{0, 0, 375, 667}));
        for (int i = 0; i < pages; ++i)
            EXPECT_EQ(pageViews[i]->frame(), (cg::Rect{375.0 * i, 0, 375, 667}));
        EXPECT_EQ(scroll->contentSize(), (pages == 1 ? cg::Size{0, 0} : cg::Size{375.0 * pages, 667}));

        // Replacing the trailing constraint moves the content edge with it.
        if (last) {
            last->setActive(false);
            pageViews.back()->trailingAnchor().constraintEqualTo(scroll->trailingAnchor(), -25)->setActive(true);
            runUntilIdle();
            EXPECT_EQ(scroll->contentSize().width, 375.0 * pages + 25);
        }
        // A position inside the content cannot be tied to a view outside it.
        auto outside = pageViews[0]->leadingAnchor().constraintEqualTo(root->leadingAnchor());
        outside->setActive(true);
        EXPECT_FALSE(outside->isActive());
        EXPECT_FALSE(logsContaining("crosses a scroll view's content boundary").empty());
        root->removeFromSuperview();
    }
}

TEST_F(LayoutConstraintTest, HierarchyChangesCarryOrDropConstraints) {
    auto a = placed(window());
    auto holder = ns::make<View>(cg::Rect{50, 50, 100, 100});
    window()->addSubview(holder);
    auto inner = placed(holder);
    auto between = inner->leadingAnchor().constraintEqualTo(a->trailingAnchor());
    auto own = LayoutConstraint::constraintsWithVisualFormat("H:|-10-[inner(==30)]", 0, {}, {{"inner", inner}});
    LayoutConstraint::activate(own);
    between->setActive(true);
    EXPECT_EQ(between->firstItem(), inner);
    runUntilIdle();
    EXPECT_EQ(inner->frame().origin.x, 10);

    // Leaving the window takes the constraints held above with it…
    holder->removeFromSuperview();
    EXPECT_FALSE(between->isActive());
    for (const auto& c : own)
        EXPECT_TRUE(c->isActive());
    // …and the subtree keeps laying out with its own, in its new home.
    auto other = ns::make<View>(cg::Rect{0, 0, 300, 300});
    window()->addSubview(other);
    other->addSubview(holder);
    own[0]->setConstant(40);
    runUntilIdle();
    EXPECT_EQ(inner->frame(), (cg::Rect{40, 0, 30, 0}));

    // A subtree whose superview was freed still lays out when it joins a tree again.
    std::weak_ptr<View> gone;
    {
        auto parent = ns::make<View>(cg::Rect{0, 0, 100, 100});
        gone = parent;
        other->removeFromSuperview();
        parent->addSubview(other);
    }
    ASSERT_TRUE(gone.expired());
    EXPECT_EQ(other->superview(), nullptr);
    auto fresh = ns::make<View>(cg::Rect{0, 0, 375, 667});
    fresh->addSubview(other);
    own[0]->setConstant(12);
    fresh->layoutIfNeeded();
    EXPECT_EQ(inner->frame().origin.x, 12);
}

TEST_F(LayoutConstraintTest, VisualFormatNeedsASuperviewForBars) {
    auto loose = ns::make<View>();
    auto in = placed(window());
    const LayoutConstraint::Views views{{"loose", loose}, {"in", in}};  // NOLINT
    ui::VisualFormat::Result result = ui::VisualFormat::parse("H:[in]-[loose]-|", 0, {}, views);
    EXPECT_TRUE(result.constraints.empty());
    EXPECT_EQ(result.errorOffset, 15);
    EXPECT_EQ(result.error, ns::String("view 'loose' has no superview for '|'"));
    EXPECT_EQ(loggedLines().back(),
              "Unable to parse constraint format \"H:[in]-[loose]-|\" at offset 15: view 'loose' has no superview for '|'");
    EXPECT_TRUE(LayoutConstraint::constraintsWithVisualFormat("[in]", 1, {}, views).empty());
    EXPECT_EQ(loggedLines().back(), "Unable to parse constraint format \"[in]\" at offset 0: format options are not supported");

    result = ui::VisualFormat::parse("V:|-m-[in(==h@750)]", 0, {{"m", 12}, {"h", 44}}, views);
    ASSERT_EQ(result.constraints.size(), 2u);
    EXPECT_EQ(result.constraints[0]->firstItem(), in);
    EXPECT_EQ(result.constraints[0]->secondItem(), window());
    EXPECT_EQ(result.constraints[0]->firstAttribute(), Attribute::top);
    EXPECT_EQ(result.constraints[0]->constant(), 12);
    EXPECT_EQ(result.constraints[1]->secondItem(), nullptr);
    EXPECT_EQ(result.constraints[1]->priority(), 750);
    EXPECT_EQ(result.constraints[1]->constant(), 44);
}

} // namespace
