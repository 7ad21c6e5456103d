#pragma once

#include "platform/ns/Export.hpp"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace pellavo::ui::layout {

// A variable of one solver. Handles compare by id; id 0 is the null variable.
struct PELLAVO_EXPORT Variable {
    std::uint64_t id = 0;
    explicit operator bool() const { return id != 0; }
    friend bool operator==(Variable, Variable) = default;
};

struct PELLAVO_EXPORT Term {
    Variable variable;
    double coefficient = 1;
};

// Σ coefficient × variable + constant.
struct PELLAVO_EXPORT Expression {
    std::vector<Term> terms;
    double constant = 0;
};

enum class Relation { lessThanOrEqual, equal, greaterThanOrEqual };

// A linear relation `expression <relation> 0` at a priority (1000 is required).
// Handles share identity: copies refer to the same constraint, and the solver edits
// the shared constant and priority when they change.
class PELLAVO_EXPORT Constraint {
public:
    static constexpr double required = 1000;

    Constraint() = default;
    Constraint(Expression expression, Relation relation, double priority = required);

    const Expression& expression() const { return data_->expression; }
    Relation relation() const { return data_->relation; }
    double priority() const { return data_->priority; }
    double constant() const { return data_->expression.constant; }
    bool isRequired() const { return data_->priority >= required; }

    explicit operator bool() const { return data_ != nullptr; }
    friend bool operator==(const Constraint& a, const Constraint& b) { return a.data_ == b.data_; }

private:
    friend class Solver;
    struct Data {
        Expression expression;
        Relation relation;
        double priority;
    };
    std::shared_ptr<Data> data_;
};

// An incremental simplex over doubles in the manner of Cassowary. Required
// constraints are hard; every other one adds its weighted error (10^(priority/125))
// to a single objective, so errors at one priority add up. Every variable carries a
// stay of weight 0.001 at the value it entered with, so a variable the constraints
// leave free keeps that value and a solution depends only on the constraint set.
// A failing operation leaves the tableau exactly as it was.
class PELLAVO_EXPORT Solver {
public:
    enum class Status {
        ok,
        unsatisfiable,     // a required constraint cannot hold together with the others
        duplicate,         // the constraint is already in the solver
        unknown,           // the constraint or variable is not in the solver
        invalid,           // a non-finite value, or a variable of no solver
        inUse,             // a variable that constraints still refer to
    };

    static constexpr double stayWeight = 0.001;
    // The weight of an optional priority; priorities at or above 1000 are required.
    static double weight(double priority);

    Solver();
    ~Solver();
    Solver(const Solver&) = delete;
    Solver& operator=(const Solver&) = delete;

    // A new variable with its stay at `value` (a non-finite value is taken as 0).
    Variable addVariable(double value = 0);
    Status removeVariable(Variable variable);
    bool hasVariable(Variable variable) const;
    // The value as of the last updateVariables().
    double value(Variable variable) const;
    // Reads the current solution into the values of every variable.
    void updateVariables();

    Status addConstraint(const Constraint& constraint);
    Status removeConstraint(const Constraint& constraint);
    bool hasConstraint(const Constraint& constraint) const;
    // Moves the expression's constant to `constant` in place and restores feasibility
    // with the dual simplex. The constraint is never taken out of the tableau.
    Status setConstant(const Constraint& constraint, double constant);
    // Reweighs an optional constraint in place; a switch between required and optional
    // removes the constraint and adds it again.
    Status setPriority(const Constraint& constraint, double priority);

    std::size_t constraintCount() const;
    std::size_t variableCount() const { return variables_.size(); }

private:
    enum class Kind : std::uint8_t { invalid, external, slack, error, dummy };
    struct Symbol {
        std::uint64_t id = 0;
        Kind kind = Kind::invalid;
        explicit operator bool() const { return kind != Kind::invalid; }
        friend bool operator==(Symbol a, Symbol b) { return a.id == b.id; }
        friend bool operator<(Symbol a, Symbol b) { return a.id < b.id; }
    };
    // basic = constant + Σ coefficient × symbol, cells sorted by symbol id. Before a
    // subject is chosen the same storage reads as 0 = constant + Σ ….
    using Cells = std::vector<std::pair<Symbol, double>>;
    struct Row {
        double constant = 0;
        Cells cells;
        std::uint64_t journalEpoch = 0;

        double coefficient(Symbol s) const;
        void insert(Symbol s, double coefficient);
        void insert(const Row& other, double coefficient);
        // this += factor × other, with the cell of `skip` (if any) dropped first;
        // `scratch` trades places with the cells.
        void merge(const Row& other, double factor, Symbol skip, Cells& scratch);
        void remove(Symbol s);
        void negate();
        // Solves 0 = this for s; afterwards the row reads s = ….
        void solveFor(Symbol s);
        // Reads basic = this, and becomes entering = … .
        void solveFor(Symbol basic, Symbol entering);
        // Replaces s by its row; false when s was absent.
        bool substitute(Symbol s, const Row& row, Cells& scratch);
    };
    struct Tag {
        Constraint constraint;  // keeps the key alive while the constraint is in
        Symbol marker;
        Symbol other;
        double weight = 0;  // 0 for a required constraint
    };
    struct VariableInfo {
        Symbol symbol;
        Constraint stay;
        double value = 0;
        int uses = 0;
    };
    using Rows = std::map<Symbol, Row>;

    static bool isPivotable(Symbol s) { return s.kind == Kind::slack || s.kind == Kind::error; }
    static bool isRestricted(Symbol s) { return s.kind != Kind::external; }

    Symbol newSymbol(Kind kind);
    // Neither opens the journal; the public operations do.
    Status addInternal(const Constraint& constraint, double weight);
    void removeInternal(const Constraint& constraint);
    Status finish(Status status);
    bool validExpression(const Expression& expression) const;
    Row createRow(const Constraint& constraint, Tag& tag, double weight);
    Symbol chooseSubject(const Row& row, const Tag& tag) const;
    bool addWithArtificialVariable(const Row& row);
    // Primal simplex on the objective; false only when it is unbounded.
    bool optimize(Row& objective);
    // Dual simplex over the rows made infeasible by a constant edit.
    bool dualOptimize();
    void pivot(Symbol entering, Symbol leaving);
    void substitute(Symbol s, const Row& row);
    Symbol markerLeavingRow(Symbol marker) const;
    void removeErrorWeights(const Tag& tag);
    // False when a redundant required equality can no longer hold.
    bool moveConstant(const Tag& tag, Relation relation, double delta);

    // Undo journal: while open, the first change to each row (and to the objective)
    // records the previous state, so a failing operation puts everything back.
    void beginJournal();
    void commitJournal();
    void rollbackJournal();
    Row& touch(Rows::iterator it);
    void touchObjective();
    Rows::iterator insertRow(Symbol s, Row row);
    Row takeRow(Rows::iterator it);

    Rows rows_;
    Row objective_;
    std::optional<Row> artificial_;
    std::unordered_map<const void*, Tag> constraints_;
    std::unordered_map<std::uint64_t, VariableInfo> variables_;
    std::vector<Symbol> infeasible_;
    Cells scratch_;
    std::uint64_t nextSymbol_ = 1;
    std::uint64_t nextVariable_ = 1;

    bool journalOpen_ = false;
    std::uint64_t journalEpoch_ = 0;
    std::vector<std::pair<Symbol, std::optional<Row>>> journal_;
    std::optional<Row> savedObjective_;
};

} // namespace pellavo::ui::layout
