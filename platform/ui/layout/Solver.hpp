#pragma once

#include "platform/ns/Export.hpp"

#include <cstdint>
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
// leave free keeps that value and a solution depends only on the constraint set, not
// on the order it was built in (short of exact ties between equally good solutions).
// The stays cost little: a constraint that reaches a variable for the first time
// takes one of its stay errors as subject. A failing operation leaves the tableau
// exactly as it was. Work follows the rows an operation reaches, not the tableau.
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
    // Trivial, so that room for cells is made without writing it: declare one as
    // `Symbol s{}` for the invalid symbol.
    struct Symbol {
        std::uint64_t id;
        Kind kind;
        explicit operator bool() const { return kind != Kind::invalid; }
        friend bool operator==(Symbol a, Symbol b) { return a.id == b.id; }
        friend bool operator<(Symbol a, Symbol b) { return a.id < b.id; }
    };
    struct Cell {
        Symbol first;
        double second;
    };
    // Constructs nothing for a cell made without a value: a merge sizes its output to
    // the most it can hold and writes only the cells it keeps.
    template <typename T>
    struct UninitializedAllocator : std::allocator<T> {
        template <typename U>
        struct rebind {
            using other = UninitializedAllocator<U>;
        };
        UninitializedAllocator() = default;
        template <typename U>
        UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}
        template <typename U>
        void construct(U* p) noexcept {
            ::new (static_cast<void*>(p)) U;
        }
        template <typename U, typename... Args>
        void construct(U* p, Args&&... args) {
            ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
        }
    };
    // basic = constant + Σ coefficient × symbol, cells sorted by symbol id. Before a
    // subject is chosen the same storage reads as 0 = constant + Σ ….
    using Cells = std::vector<Cell, UninitializedAllocator<Cell>>;
    struct Row {
        Symbol basic{};  // in the tableau; invalid while the slot is free
        double constant = 0;
        Cells cells;
        // The epoch whose journal holds a copy of the whole row, and the one that holds
        // its constant alone.
        std::uint64_t journalEpoch = 0;
        std::uint64_t constantEpoch = 0;
        std::uint64_t visit = 0;  // marks the row once per walk down a column
        // A copy of the first cell (none for no cells): the oldest symbols sort first and
        // are the ones most rows share (a pin's marker, the stays), so a walk down their
        // column reads it here, in the row array, instead of in cells all over the heap.
        // Every change to the cells refreshes it.
        Cell head{};
        void refreshHead() { head = cells.empty() ? Cell{} : cells.front(); }

        // The first cell not below s.
        Cells::const_iterator find(Symbol s) const;
        double coefficient(Symbol s) const;
        void insert(Symbol s, double coefficient);
        void insert(const Row& other, double coefficient);
        // this += factor × other, with the cell of `skip` (if any) dropped first;
        // `scratch` trades places with the cells. `added` hears of each symbol that
        // gains a cell.
        template <typename Added>
        void merge(const Row& other, double factor, Symbol skip, Cells& scratch, Added&& added);
        void remove(Symbol s);
        void negate();
        // Solves 0 = this for s; afterwards the row reads s = ….
        void solveFor(Symbol s);
        // Reads basic = this, and becomes entering = … .
        void solveFor(Symbol basic, Symbol entering);
    };
    struct Tag {
        Constraint constraint;  // keeps the key alive while the constraint is in
        Symbol marker{};
        Symbol other{};
        double weight = 0;  // 0 for a required constraint
    };
    struct VariableInfo {
        Symbol symbol{};
        Constraint stay;
        double value = 0;
        int uses = 0;
        std::size_t listed = 0;  // its place in listed_
    };
    using Slot = std::uint32_t;
    static constexpr Slot noRow = ~Slot{0};
    struct SymbolInfo {
        Slot row = noRow;  // where the symbol is basic
        // While indexed, the rows that hold the symbol as a parameter, and maybe some
        // that no longer do or repeat: cleaning drops those. Otherwise rows are searched.
        bool indexed = true;
        std::vector<Slot> column;
        std::size_t cleanAt = 16;
    };

    static bool isPivotable(Symbol s) { return s.kind == Kind::slack || s.kind == Kind::error; }
    static bool isRestricted(Symbol s) { return s.kind != Kind::external; }

    Symbol newSymbol(Kind kind);
    // Neither opens the journal; the public operations do.
    Status addInternal(const Constraint& constraint, double weight);
    void removeInternal(const Constraint& constraint);
    Status finish(Status status);
    bool validExpression(const Expression& expression) const;
    Row createRow(const Constraint& constraint, Tag& tag, double weight);
    Symbol chooseSubject(const Row& row, const Tag& tag);
    bool addWithArtificialVariable(const Row& row);
    // Primal simplex on the objective, or on the artificial row while one is being
    // driven out; false only when it is unbounded.
    bool optimize();
    bool optimize(Row& artificial);
    // Pivots `symbol` in when some row bounds it; false when none does.
    bool enter(Symbol symbol, double coefficient);
    // Dual simplex over the rows made infeasible by a constant edit; counts its pivots.
    bool dualOptimize(std::size_t& pivots);
    void pivot(Symbol entering, Symbol leaving);
    void substitute(Symbol s, const Row& row);
    Symbol markerLeavingRow(Symbol marker);
    void removeErrorWeights(const Tag& tag);
    // False when a redundant required equality can no longer hold.
    bool moveConstant(const Tag& tag, Relation relation, double delta);
    // Removes s from every row and from the objective.
    void dropEverywhere(Symbol s);

    // The objective: the same rounding as a row's cells, held by symbol id.
    double objectiveCoefficient(Symbol s) const { return objective_.coefficients[s.id]; }
    void setObjective(Symbol s, double coefficient);
    void addToObjective(Symbol s, double coefficient);
    // objective += factor × row, with the cell of `skip` (if any) dropped first.
    void mergeIntoObjective(const Row& row, double factor, Symbol skip);
    static bool mayEnter(Symbol s, double coefficient);

    // The tableau: rows in slots, each symbol's row and column.
    Slot rowOf(Symbol s) const { return symbols_[s.id].row; }
    std::size_t rowCount() const { return rows_.size() - freeRows_.size(); }
    // The rows that hold s, each once, with the coefficient of s in each; cleans the
    // column to just those. Valid until the next call.
    const std::vector<std::pair<Slot, double>>& rowsWith(Symbol s);
    void clean(SymbolInfo& info, Symbol s, std::vector<std::pair<Slot, double>>* holders = nullptr);
    void noteCell(Symbol s, Slot slot);
    // For a symbol that has just left every row: indexed again, from an empty column.
    void reindex(Symbol s);
    // Queues the restricted rows whose constant went negative, lowest symbol first.
    void queueInfeasible(std::vector<Symbol>& found);

    // Undo journal: while open, the first change to each row records the previous state,
    // so a failing operation puts everything back. A change of constant alone records the
    // constant alone; each change to the objective records the coefficient it replaced.
    void beginJournal();
    void commitJournal();
    void rollbackJournal();
    Row& touch(Slot slot);
    Row& touchConstant(Slot slot);
    void touchObjectiveConstant();
    Slot insertRow(Symbol s, Row row);
    Row takeRow(Slot slot);

    std::vector<Row> rows_;
    std::vector<Slot> freeRows_;
    std::vector<SymbolInfo> symbols_;
    // Σ weight × error, dense by symbol id: substituting a row into it costs the row,
    // not the objective. `entering` keeps the symbols that could improve it in id order,
    // so an optimal objective is known as one without scanning it.
    struct Objective {
        double constant = 0;
        std::vector<double> coefficients;
        std::vector<Symbol> entering;
    };
    Objective objective_;
    std::optional<Row> artificial_;
    std::unordered_map<const void*, Tag> constraints_;
    std::unordered_map<std::uint64_t, VariableInfo> variables_;
    // Every variable once, in no order: reading the solution walks an array rather than
    // the map's chain of nodes, so the loads of one variable need not wait on the last.
    std::vector<VariableInfo*> listed_;
    std::vector<Symbol> infeasible_;
    std::vector<Symbol> found_;
    std::vector<Symbol> added_;
    std::vector<std::pair<Slot, double>> holders_;
    Cells scratch_;
    std::uint64_t nextVariable_ = 1;
    std::uint64_t visitEpoch_ = 0;

    bool journalOpen_ = false;
    std::uint64_t journalEpoch_ = 0;
    std::vector<std::pair<Slot, std::optional<Row>>> journal_;
    std::vector<std::pair<Slot, double>> constantJournal_;
    std::vector<std::pair<Symbol, double>> objectiveJournal_;
    std::optional<double> savedObjectiveConstant_;
};

} // namespace pellavo::ui::layout
