#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "platform/ui/layout/Solver.hpp"

namespace {

using pellavo::ui::layout::Constraint;
using pellavo::ui::layout::Expression;
using pellavo::ui::layout::Relation;
using pellavo::ui::layout::Solver;
using pellavo::ui::layout::Term;
using pellavo::ui::layout::Variable;
using Status = Solver::Status;

// a·x + b·y + … <relation> constant, written the way a reader states it.
Constraint relate(std::vector<Term> terms, Relation relation, double constant,
                  double priority = Constraint::required) {
    return Constraint(Expression{std::move(terms), -constant}, relation, priority);
}

double valueOf(Solver& solver, Variable v) {
    solver.updateVariables();
    return solver.value(v);
}

TEST(Solver, RequiredEqualitiesAndInequalities) {
    Solver solver;
    Variable x = solver.addVariable(3);
    Variable y = solver.addVariable(40);
    Variable w = solver.addVariable(0);
    // A free variable keeps the value it came in with.
    EXPECT_DOUBLE_EQ(valueOf(solver, x), 3);

    EXPECT_EQ(solver.addConstraint(relate({{x, 1}}, Relation::equal, 10)), Status::ok);
    // y ≥ x + 50 pushes y up from 40; y ≤ 200 does not bind.
    EXPECT_EQ(solver.addConstraint(relate({{y, 1}, {x, -1}}, Relation::greaterThanOrEqual, 50)), Status::ok);
    EXPECT_EQ(solver.addConstraint(relate({{y, 1}}, Relation::lessThanOrEqual, 200)), Status::ok);
    // x + w == y: the only free degree is taken by w.
    EXPECT_EQ(solver.addConstraint(relate({{x, 1}, {w, 1}, {y, -1}}, Relation::equal, 0)), Status::ok);
    solver.updateVariables();
    EXPECT_NEAR(solver.value(x), 10, 1e-9);
    EXPECT_NEAR(solver.value(y), 60, 1e-9);
    EXPECT_NEAR(solver.value(w), 50, 1e-9);
    EXPECT_EQ(solver.constraintCount(), 4u);

    // Redundant but consistent equalities are accepted.
    EXPECT_EQ(solver.addConstraint(relate({{x, 2}}, Relation::equal, 20)), Status::ok);
    EXPECT_NEAR(valueOf(solver, x), 10, 1e-9);
}

TEST(Solver, ErrorsLeaveTheSolutionIntact) {
    Solver solver;
    Variable x = solver.addVariable(0);
    Variable y = solver.addVariable(0);
    Constraint xIs10 = relate({{x, 1}}, Relation::equal, 10);
    Constraint yAboveX = relate({{y, 1}, {x, -1}}, Relation::greaterThanOrEqual, 5);
    Constraint yNear = relate({{y, 1}}, Relation::equal, 12, 500);
    ASSERT_EQ(solver.addConstraint(xIs10), Status::ok);
    ASSERT_EQ(solver.addConstraint(yAboveX), Status::ok);
    ASSERT_EQ(solver.addConstraint(yNear), Status::ok);
    solver.updateVariables();
    ASSERT_NEAR(solver.value(y), 15, 1e-9);

    struct Case {
        const char* name;
        Constraint constraint;
    } conflicts[] = {
        {"equality against equality", relate({{x, 1}}, Relation::equal, 11)},
        {"inequality against a chain", relate({{y, 1}}, Relation::lessThanOrEqual, 14)},
        {"zero-variable contradiction", relate({}, Relation::equal, 1)},
        {"sum against both", relate({{x, 1}, {y, 1}}, Relation::lessThanOrEqual, 20)},
    };
    for (const Case& c : conflicts) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(solver.addConstraint(c.constraint), Status::unsatisfiable);
        EXPECT_FALSE(solver.hasConstraint(c.constraint));
        solver.updateVariables();
        EXPECT_NEAR(solver.value(x), 10, 1e-9);
        EXPECT_NEAR(solver.value(y), 15, 1e-9);
        EXPECT_EQ(solver.constraintCount(), 3u);
    }
    EXPECT_EQ(solver.addConstraint(xIs10), Status::duplicate);
    EXPECT_EQ(solver.removeConstraint(relate({{x, 1}}, Relation::equal, 10)), Status::unknown);
    EXPECT_EQ(solver.setConstant(relate({{x, 1}}, Relation::equal, 10), 3), Status::unknown);
    EXPECT_EQ(solver.setConstant(xIs10, std::nan("")), Status::invalid);
    EXPECT_EQ(solver.addConstraint(relate({{x, INFINITY}}, Relation::equal, 0)), Status::invalid);
    EXPECT_EQ(solver.addConstraint(relate({{Variable{999}, 1}}, Relation::equal, 0)), Status::invalid);
    EXPECT_EQ(solver.removeVariable(x), Status::inUse);

    // A constant edit that breaks a required constraint is refused and undone too.
    EXPECT_EQ(solver.setConstant(yAboveX, -30), Status::ok);  // y ≥ x + 30
    EXPECT_NEAR(valueOf(solver, y), 40, 1e-9);
    Constraint yCap = relate({{y, 1}}, Relation::lessThanOrEqual, 50);
    ASSERT_EQ(solver.addConstraint(yCap), Status::ok);
    EXPECT_EQ(solver.setConstant(yAboveX, -45), Status::unsatisfiable);  // y ≥ 55 > 50
    EXPECT_DOUBLE_EQ(yAboveX.constant(), -30);
    EXPECT_NEAR(valueOf(solver, y), 40, 1e-9);

    // Everything still works afterwards, including removal of what was there.
    EXPECT_EQ(solver.removeConstraint(yCap), Status::ok);
    EXPECT_EQ(solver.removeConstraint(yAboveX), Status::ok);
    EXPECT_NEAR(valueOf(solver, y), 12, 1e-9);
    EXPECT_EQ(solver.removeConstraint(yAboveX), Status::unknown);
}

TEST(Solver, PrioritiesWeighAndAddUp) {
    EXPECT_NEAR(Solver::weight(250), 100, 1e-9);
    EXPECT_NEAR(Solver::weight(750), 1e6, 1e-3);
    EXPECT_NEAR(Solver::weight(999) / 1e8, 0.98175, 1e-4);
    EXPECT_EQ(Solver::weight(1000), 0);

    Solver solver;
    Variable x = solver.addVariable(0);
    ASSERT_EQ(solver.addConstraint(relate({{x, 1}}, Relation::equal, 10, 300)), Status::ok);
    // Two pulls at 250 (200 together) lose to one at 300 (about 251)…
    ASSERT_EQ(solver.addConstraint(relate({{x, 1}}, Relation::equal, 0, 250)), Status::ok);
    ASSERT_EQ(solver.addConstraint(relate({{x, 1}}, Relation::equal, 0, 250)), Status::ok);
    EXPECT_NEAR(valueOf(solver, x), 10, 1e-9);
    // …three (300 together) win.
    Constraint third = relate({{x, 1}}, Relation::lessThanOrEqual, 0, 250);
    ASSERT_EQ(solver.addConstraint(third), Status::ok);
    EXPECT_NEAR(valueOf(solver, x), 0, 1e-9);

    // Reweighing in place, and switching to required and back.
    EXPECT_EQ(solver.setPriority(third, 1), Status::ok);
    EXPECT_NEAR(valueOf(solver, x), 10, 1e-9);
    EXPECT_EQ(solver.setPriority(third, 1000), Status::ok);
    EXPECT_NEAR(valueOf(solver, x), 0, 1e-9);
    EXPECT_TRUE(third.isRequired());
    EXPECT_EQ(solver.setPriority(third, 100), Status::ok);
    EXPECT_NEAR(valueOf(solver, x), 10, 1e-9);
    // A switch to required that contradicts is refused with the constraint kept as it was.
    ASSERT_EQ(solver.addConstraint(relate({{x, 1}}, Relation::greaterThanOrEqual, 5)), Status::ok);
    EXPECT_EQ(solver.setPriority(third, 1000), Status::unsatisfiable);
    EXPECT_TRUE(solver.hasConstraint(third));
    EXPECT_DOUBLE_EQ(third.priority(), 100);
    EXPECT_NEAR(valueOf(solver, x), 10, 1e-9);
}

TEST(Solver, StaysHoldEntryValuesAfterRemoval) {
    Solver solver;
    Variable left = solver.addVariable(20);
    Variable width = solver.addVariable(100);
    Constraint right = relate({{left, 1}, {width, 1}}, Relation::equal, 300);
    ASSERT_EQ(solver.addConstraint(right), Status::ok);
    Constraint pin = relate({{left, 1}}, Relation::equal, 50);
    ASSERT_EQ(solver.addConstraint(pin), Status::ok);
    solver.updateVariables();
    EXPECT_NEAR(solver.value(width), 250, 1e-9);
    ASSERT_EQ(solver.removeConstraint(pin), Status::ok);
    ASSERT_EQ(solver.removeConstraint(right), Status::ok);
    solver.updateVariables();
    EXPECT_NEAR(solver.value(left), 20, 1e-9);
    EXPECT_NEAR(solver.value(width), 100, 1e-9);
    EXPECT_EQ(solver.removeVariable(left), Status::ok);
    EXPECT_FALSE(solver.hasVariable(left));
    EXPECT_EQ(solver.removeVariable(left), Status::unknown);
    EXPECT_NEAR(valueOf(solver, width), 100, 1e-9);
}

// A label in a field of height H: bottom == field.bottom + k (required), centre on the
// field's centre at 750, hugging 250 and compression resistance 750 around height h.
TEST(Solver, LabelPinnedBelowACentredField) {
    const double H = 44, h = 20;
    Solver solver;
    Variable y = solver.addVariable(0);
    Variable height = solver.addVariable(0);
    Constraint bottom = relate({{y, 1}, {height, 1}}, Relation::equal, H);
    ASSERT_EQ(solver.addConstraint(bottom), Status::ok);
    ASSERT_EQ(solver.addConstraint(relate({{y, 1}, {height, 0.5}}, Relation::equal, H / 2, 750)), Status::ok);
    ASSERT_EQ(solver.addConstraint(relate({{height, 1}}, Relation::lessThanOrEqual, h, 250)), Status::ok);
    ASSERT_EQ(solver.addConstraint(relate({{height, 1}}, Relation::greaterThanOrEqual, h, 750)), Status::ok);
    solver.updateVariables();
    EXPECT_NEAR(solver.value(y), 0, 1e-9);
    EXPECT_NEAR(solver.value(height), H, 1e-9);

    ASSERT_EQ(solver.setConstant(bottom, -(H - H)), Status::ok);  // k = −H
    EXPECT_EQ(solver.constraintCount(), 4u);
    solver.updateVariables();
    EXPECT_NEAR(solver.value(height), h, 1e-9);
    EXPECT_NEAR(solver.value(y), -h, 1e-9);

    ASSERT_EQ(solver.setConstant(bottom, -H), Status::ok);  // back to k = 0
    solver.updateVariables();
    EXPECT_NEAR(solver.value(y), 0, 1e-9);
    EXPECT_NEAR(solver.value(height), H, 1e-9);
}

// Random systems edited incrementally agree with a solver built from scratch on the
// constraints that remain. Each variable also has an anchor of its own distinct weight,
// so that every system has a single optimum to agree on.
TEST(Solver, IncrementalAgreesWithRebuilt) {
    constexpr int variableCount = 6;
    struct Spec {
        std::vector<std::pair<int, double>> terms;
        Relation relation;
        double constant;
        double priority;
    };
    auto build = [](Solver& solver, std::vector<Variable>& vars, const std::vector<double>& initial) {
        for (int i = 0; i < variableCount; ++i) {
            vars.push_back(solver.addVariable(initial[i]));
            solver.addConstraint(
                relate({{vars[i], 1}}, Relation::equal, initial[i] * 0.5 + 7 * i, 10 + 7.3 * i));
        }
    };
    auto make = [](const Spec& spec, const std::vector<Variable>& vars) {
        std::vector<Term> terms;
        for (auto [index, coefficient] : spec.terms)
            terms.push_back({vars[index], coefficient});
        return relate(terms, spec.relation, spec.constant, spec.priority);
    };

    std::mt19937 random(20240611);
    const double priorities[] = {100, 250, 500, 750, 999, 1000, 1000, 1000};
    const double coefficients[] = {-2, -1, -0.5, 0.5, 1, 2};
    int refusals = 0, edits = 0, removals = 0;
    for (int system = 0; system < 200; ++system) {
        std::vector<double> initial;
        for (int i = 0; i < variableCount; ++i)
            initial.push_back(std::uniform_real_distribution<double>(-100, 100)(random));
        Solver solver;
        std::vector<Variable> vars;
        build(solver, vars, initial);
        std::vector<Spec> specs;
        std::vector<Constraint> live;

        for (int step = 0; step < 20; ++step) {
            int op = std::uniform_int_distribution<int>(0, 9)(random);
            if (op < 6 || live.empty()) {
                Spec spec;
                int termCount = std::uniform_int_distribution<int>(1, 3)(random);
                for (int t = 0; t < termCount; ++t)
                    spec.terms.push_back({std::uniform_int_distribution<int>(0, variableCount - 1)(random),
                                          coefficients[std::uniform_int_distribution<int>(0, 5)(random)]});
                spec.relation = static_cast<Relation>(std::uniform_int_distribution<int>(0, 2)(random));
                spec.constant = std::round(std::uniform_real_distribution<double>(-80, 80)(random));
                spec.priority = priorities[std::uniform_int_distribution<int>(0, 7)(random)];
                Constraint c = make(spec, vars);
                Status status = solver.addConstraint(c);
                if (status == Status::ok) {
                    specs.push_back(spec);
                    live.push_back(c);
                } else {
                    ASSERT_EQ(status, Status::unsatisfiable);
                    ASSERT_TRUE(c.isRequired());
                    ++refusals;
                    // A rebuilt solver refuses it too.
                    Solver check;
                    std::vector<Variable> checkVars;
                    build(check, checkVars, initial);
                    for (const Spec& s : specs)
                        ASSERT_EQ(check.addConstraint(make(s, checkVars)), Status::ok);
                    ASSERT_EQ(check.addConstraint(make(spec, checkVars)), Status::unsatisfiable);
                }
            } else if (op < 8) {
                std::size_t index = std::uniform_int_distribution<std::size_t>(0, live.size() - 1)(random);
                double constant = std::round(std::uniform_real_distribution<double>(-80, 80)(random));
                if (solver.setConstant(live[index], -constant) == Status::ok) {
                    specs[index].constant = constant;
                    ++edits;
                } else {
                    ++refusals;
                    ASSERT_DOUBLE_EQ(live[index].constant(), -specs[index].constant);
                }
            } else {
                std::size_t index = std::uniform_int_distribution<std::size_t>(0, live.size() - 1)(random);
                ASSERT_EQ(solver.removeConstraint(live[index]), Status::ok);
                live.erase(live.begin() + static_cast<std::ptrdiff_t>(index));
                specs.erase(specs.begin() + static_cast<std::ptrdiff_t>(index));
                ++removals;
            }

            Solver rebuilt;
            std::vector<Variable> rebuiltVars;
            build(rebuilt, rebuiltVars, initial);
            for (const Spec& s : specs)
                ASSERT_EQ(rebuilt.addConstraint(make(s, rebuiltVars)), Status::ok);
            solver.updateVariables();
            rebuilt.updateVariables();
            for (int i = 0; i < variableCount; ++i)
                ASSERT_NEAR(solver.value(vars[i]), rebuilt.value(rebuiltVars[i]), 1e-6)
                    << "system " << system << " step " << step << " variable " << i;
        }
    }
    // The mix exercises every path.
    EXPECT_GT(refusals, 20);
    EXPECT_GT(edits, 100);
    EXPECT_GT(removals, 100);
}

// Every variable keeps a stay at its entry value, so the solution is the same whatever
// order the constraints come in, also for variables that constraints mention without
// pinning them: a sum, a lower bound alone, a bound on another variable.
TEST(Solver, SolutionDoesNotDependOnOrder) {
    enum { a, b, c, d, e, f, g, count };
    const double entry[count] = {30, 70, 50, 0, 45, 0, 0};
    // a + b shares 100 as entered until f pulls a down; c keeps 50 above its bound; d
    // rises to its bound; e yields to c rather than the other way round.
    const double expected[count] = {25, 75, 50, 20, 15, 50, 80};
    auto constraints = [](const std::vector<Variable>& v) {
        return std::vector<Constraint>{
            relate({{v[a], 1}, {v[b], 1}}, Relation::equal, 100),
            relate({{v[c], 1}}, Relation::greaterThanOrEqual, 20),
            relate({{v[d], 1}}, Relation::greaterThanOrEqual, 20),
            relate({{v[e], 1}, {v[c], -0.5}}, Relation::lessThanOrEqual, -10),
            relate({{v[f], 1}, {v[a], -2}}, Relation::equal, 0, 250),
            relate({{v[f], 1}}, Relation::lessThanOrEqual, 50),
            relate({{v[g], 1}, {v[b], -1}}, Relation::equal, 5),
        };
    };
    std::mt19937 random(20261207);
    for (int order = 0; order < 8; ++order) {
        Solver solver;
        std::vector<Variable> v;
        for (double value : entry)
            v.push_back(solver.addVariable(value));
        std::vector<Constraint> list = constraints(v);
        if (order == 1)
            std::reverse(list.begin(), list.end());
        else if (order > 1)
            std::shuffle(list.begin(), list.end(), random);
        for (const Constraint& constraint : list)
            ASSERT_EQ(solver.addConstraint(constraint), Status::ok);
        solver.updateVariables();
        for (int i = 0; i < count; ++i)
            EXPECT_NEAR(solver.value(v[i]), expected[i], 1e-9) << "order " << order << " variable " << i;
    }
}

// A variable that loses its last constraint falls back to the value its stay holds,
// however the pivots carried it, and edits elsewhere no longer move it.
TEST(Solver, FreedVariableKeepsItsStayValue) {
    for (bool pinFirst : {false, true}) {
        SCOPED_TRACE(pinFirst ? "pin removed first" : "sum removed first");
        Solver solver;
        Variable x = solver.addVariable(20);
        Variable y = solver.addVariable(0);
        Constraint sum = relate({{x, 1}, {y, 1}}, Relation::equal, 300);
        Constraint ratio = relate({{y, 1}, {x, -2}}, Relation::greaterThanOrEqual, 0);
        Constraint pull = relate({{y, 1}}, Relation::equal, 250, 500);
        Constraint floor = relate({{y, 1}}, Relation::greaterThanOrEqual, 10);
        for (const Constraint& constraint : {sum, ratio, pull, floor})
            ASSERT_EQ(solver.addConstraint(constraint), Status::ok);
        ASSERT_EQ(solver.setConstant(pull, -260), Status::ok);
        solver.updateVariables();
        EXPECT_NEAR(solver.value(x), 40, 1e-9);
        EXPECT_NEAR(solver.value(y), 260, 1e-9);

        const Constraint& firstOut = pinFirst ? ratio : sum;
        const Constraint& lastOut = pinFirst ? sum : ratio;
        ASSERT_EQ(solver.removeConstraint(firstOut), Status::ok);
        ASSERT_EQ(solver.removeConstraint(lastOut), Status::ok);
        EXPECT_NEAR(valueOf(solver, x), 20, 1e-9);
        ASSERT_EQ(solver.setConstant(pull, -5), Status::ok);
        ASSERT_EQ(solver.setConstant(floor, -30), Status::ok);
        solver.updateVariables();
        EXPECT_NEAR(solver.value(x), 20, 1e-9);
        EXPECT_NEAR(solver.value(y), 30, 1e-9);
        EXPECT_EQ(solver.removeVariable(x), Status::ok);
        EXPECT_NEAR(valueOf(solver, y), 30, 1e-9);
    }
}

} // namespace
