#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "platform/ns/Object.hpp"
#include "platform/ui/layout/LayoutConstraint.hpp"
#include "platform/ui/view/View.hpp"
#include "platform/ui/layout/Solver.hpp"
#include "platform/ui/layout/VisualFormat.hpp"

namespace {

using namespace pellavo::ui::layout;
namespace ns = pellavo::ns;
namespace ui = pellavo::ui;

Constraint relate(std::vector<Term> terms, Relation relation, double constant,
                  double priority = Constraint::required) {
    return Constraint(Expression{std::move(terms), -constant}, relation, priority);
}

// A row of boxes in a strip 10 000 pt long, four constraints each: left to the previous
// box's right + 8 (required), width ≥ 20 (required), width == 40 at 250, right edge
// within the strip (required) and the left edge of the first box pinned. 250 boxes give
// 1 000 constraints and do not fit at their preferred width; a strip of 50 pt per box
// fits them.
struct Strip {
    Solver solver;
    std::vector<Variable> left, width;
    std::vector<Constraint> constraints;
    Constraint firstLeft;

    explicit Strip(int boxes, bool add = true, double length = 10000) {
        for (int i = 0; i < boxes; ++i) {
            left.push_back(solver.addVariable(0));
            width.push_back(solver.addVariable(0));
        }
        for (int i = 0; i < boxes; ++i) {
            if (i == 0) {
                firstLeft = relate({{left[0], 1}}, Relation::equal, 16);
                constraints.push_back(firstLeft);
            } else {
                constraints.push_back(relate({{left[i], 1}, {left[i - 1], -1}, {width[i - 1], -1}},
                                             Relation::equal, 8));
            }
            constraints.push_back(relate({{width[i], 1}}, Relation::greaterThanOrEqual, 20));
            constraints.push_back(relate({{width[i], 1}}, Relation::equal, 40, 250));
            constraints.push_back(relate({{left[i], 1}, {width[i], 1}}, Relation::lessThanOrEqual, length));
        }
        if (add)
            for (const Constraint& c : constraints)
                solver.addConstraint(c);
    }
};

// Times building a fresh strip constraint by constraint; making it and tearing it down
// are not part of the measure.
void addStrip(benchmark::State& state, int boxes, double length) {
    for (auto _ : state) {
        state.PauseTiming();
        auto strip = std::make_unique<Strip>(boxes, false, length);
        state.ResumeTiming();
        for (const Constraint& c : strip->constraints)
            strip->solver.addConstraint(c);
        strip->solver.updateVariables();
        benchmark::DoNotOptimize(strip->solver.value(strip->left.back()));
        state.PauseTiming();
        strip.reset();
        state.ResumeTiming();
    }
}

// Times moving the first box back and forth, which shifts every box.
void editStrip(benchmark::State& state, Strip& strip) {
    double x = 16;
    for (auto _ : state) {
        x = x == 16 ? 24 : 16;
        strip.solver.setConstant(strip.firstLeft, -x);
        strip.solver.updateVariables();
        benchmark::DoNotOptimize(strip.solver.value(strip.left.back()));
    }
}

void BM_SolverThousandIncrementalAdds(benchmark::State& state) { addStrip(state, 250, 10000); }
BENCHMARK(BM_SolverThousandIncrementalAdds)->Unit(benchmark::kMillisecond);

// Strips that fit, of 100, 1 000 and 8 000 constraints: the time of one add, averaged
// over the chain (bench/kiwi_compare.py builds the same chains for a comparison by hand).
void BM_SolverChainAdd(benchmark::State& state) {
    const int constraints = static_cast<int>(state.range(0));
    addStrip(state, constraints / 4, constraints / 4 * 50.0);
    // Seconds per add, printed with an SI prefix.
    state.counters["per_add"] = benchmark::Counter(static_cast<double>(state.iterations()) * constraints,
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SolverChainAdd)->Arg(100)->Arg(1000)->Arg(8000)->Unit(benchmark::kMillisecond);

// One constant edit and the dual simplex that moves all 250 boxes.
void BM_SolverConstantEdit(benchmark::State& state) {
    Strip strip(250);
    editStrip(state, strip);
}
BENCHMARK(BM_SolverConstantEdit)->Unit(benchmark::kMicrosecond);

// The same edit in strips of 1 000 and 2 000 boxes that fit: no constraint changes
// sides, so the cost should follow the rows that hold the pin.
void BM_SolverChainConstantEdit(benchmark::State& state) {
    const int boxes = static_cast<int>(state.range(0));
    Strip strip(boxes, true, boxes * 50.0);
    editStrip(state, strip);
}
BENCHMARK(BM_SolverChainConstantEdit)->Arg(1000)->Arg(2000)->Unit(benchmark::kMicrosecond);

void BM_SolverRemoveAll(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto strip = std::make_unique<Strip>(250);
        state.ResumeTiming();
        for (const Constraint& c : strip->constraints)
            strip->solver.removeConstraint(c);
        state.PauseTiming();
        strip.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SolverRemoveAll)->Unit(benchmark::kMillisecond);

// A pager of 100 full-screen pages chained edge to edge: 400 constraints, built and laid
// out from scratch.
std::shared_ptr<ui::View> makePager(int pages) {
    auto root = ns::make<ui::View>(pellavo::cg::Rect{0, 0, 375, 667});
    auto strip = ns::make<ui::View>();
    strip->setTranslatesAutoresizingMaskIntoConstraints(false);
    root->addSubview(strip);
    std::vector<std::shared_ptr<ui::LayoutConstraint>> constraints = {
        strip->leadingAnchor().constraintEqualTo(root->leadingAnchor()),
        strip->topAnchor().constraintEqualTo(root->topAnchor()),
        strip->widthAnchor().constraintEqualTo(root->widthAnchor()),
        strip->heightAnchor().constraintEqualTo(root->heightAnchor()),
    };
    std::shared_ptr<ui::View> previous;
    for (int i = 0; i < pages; ++i) {
        auto page = ns::make<ui::View>();
        page->setTranslatesAutoresizingMaskIntoConstraints(false);
        strip->addSubview(page);
        constraints.push_back(page->widthAnchor().constraintEqualTo(strip->widthAnchor()));
        constraints.push_back(page->heightAnchor().constraintEqualTo(strip->heightAnchor()));
        constraints.push_back(page->topAnchor().constraintEqualTo(strip->topAnchor()));
        constraints.push_back(previous ? page->leadingAnchor().constraintEqualTo(previous->trailingAnchor())
                                       : page->leadingAnchor().constraintEqualTo(strip->leadingAnchor()));
        previous = page;
    }
    ui::LayoutConstraint::activate(constraints);
    return root;
}

void BM_LayoutHundredPagePager(benchmark::State& state) {
    for (auto _ : state) {
        auto root = makePager(100);
        root->layoutIfNeeded();
        benchmark::DoNotOptimize(root->subviews()[0]->subviews().back()->frame());
    }
}
BENCHMARK(BM_LayoutHundredPagePager)->Unit(benchmark::kMillisecond);

// The same pager turned to landscape: every page moves, through constant edits only.
void BM_LayoutHundredPagePagerResize(benchmark::State& state) {
    auto root = makePager(100);
    root->layoutIfNeeded();
    bool landscape = false;
    for (auto _ : state) {
        landscape = !landscape;
        root->setFrame(landscape ? pellavo::cg::Rect{0, 0, 667, 375} : pellavo::cg::Rect{0, 0, 375, 667});
        root->layoutIfNeeded();
        benchmark::DoNotOptimize(root->subviews()[0]->subviews().back()->frame());
    }
}
BENCHMARK(BM_LayoutHundredPagePagerResize)->Unit(benchmark::kMillisecond);

void BM_VisualFormatParse(benchmark::State& state) {
    const ui::LayoutConstraint::Metrics metrics{{"margin", 16}, {"gap", 8}};
    const auto isView = [](const ns::String& name) { return name == "a" || name == "b" || name == "c"; };
    const ns::String format("H:|-margin-[a(>=44@750,<=200)]-gap-[b(==a)]-(>=gap,<=20@250)-[c(==b)]-margin-|");
    for (auto _ : state) {
        auto description = ui::VisualFormat::describe(format, metrics, isView);
        benchmark::DoNotOptimize(description.constraints.size());
    }
}
BENCHMARK(BM_VisualFormatParse);

} // namespace
