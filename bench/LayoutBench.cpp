#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "platform/ui/layout/Solver.hpp"

namespace {

using namespace pellavo::ui::layout;

Constraint relate(std::vector<Term> terms, Relation relation, double constant,
                  double priority = Constraint::required) {
    return Constraint(Expression{std::move(terms), -constant}, relation, priority);
}

// A row of boxes in a 10 000 pt strip, four constraints each: left to the previous
// box's right + 8 (required), width ≥ 20 (required), width == 40 at 250 and the left
// edge of the first box pinned. 250 boxes give 1 000 constraints.
struct Strip {
    Solver solver;
    std::vector<Variable> left, width;
    std::vector<Constraint> constraints;
    Constraint firstLeft;

    explicit Strip(int boxes, bool add = true) {
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
            constraints.push_back(relate({{left[i], 1}, {width[i], 1}}, Relation::lessThanOrEqual, 10000));
        }
        if (add)
            for (const Constraint& c : constraints)
                solver.addConstraint(c);
    }
};

void BM_SolverThousandIncrementalAdds(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto strip = std::make_unique<Strip>(250, false);
        state.ResumeTiming();
        for (const Constraint& c : strip->constraints)
            strip->solver.addConstraint(c);
        strip->solver.updateVariables();
        benchmark::DoNotOptimize(strip->solver.value(strip->left.back()));
        state.PauseTiming();
        strip.reset();  // tear-down is not part of the measure
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SolverThousandIncrementalAdds)->Unit(benchmark::kMillisecond);

// Moving the first box shifts all 250: one constant edit and the dual simplex.
void BM_SolverConstantEdit(benchmark::State& state) {
    Strip strip(250);
    double x = 16;
    for (auto _ : state) {
        x = x == 16 ? 24 : 16;
        strip.solver.setConstant(strip.firstLeft, -x);
        strip.solver.updateVariables();
        benchmark::DoNotOptimize(strip.solver.value(strip.left.back()));
    }
}
BENCHMARK(BM_SolverConstantEdit)->Unit(benchmark::kMicrosecond);

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

} // namespace
