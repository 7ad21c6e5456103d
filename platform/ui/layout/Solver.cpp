#include "platform/ui/layout/Solver.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pellavo::ui::layout {

namespace {

constexpr double epsilon = 1e-8;

bool nearZero(double value) { return std::fabs(value) < epsilon; }

// A bound on simplex iterations far beyond any real layout: numerical noise must never
// turn a pivot loop into a hang.
constexpr std::size_t pivotLimit(std::size_t rows) { return 10000 + 50 * rows; }

} // namespace

// ---------------------------------------------------------------- Constraint

Constraint::Constraint(Expression expression, Relation relation, double priority)
    : data_(std::make_shared<Data>(Data{std::move(expression), relation, priority})) {}

// ---------------------------------------------------------------- Row

double Solver::Row::coefficient(Symbol s) const {
    auto it = std::lower_bound(cells.begin(), cells.end(), s,
                               [](const auto& cell, Symbol key) { return cell.first < key; });
    return it != cells.end() && it->first == s ? it->second : 0.0;
}

void Solver::Row::insert(Symbol s, double value) {
    auto it = std::lower_bound(cells.begin(), cells.end(), s,
                               [](const auto& cell, Symbol key) { return cell.first < key; });
    if (it != cells.end() && it->first == s) {
        it->second += value;
        if (nearZero(it->second))
            cells.erase(it);
    } else if (!nearZero(value)) {
        cells.insert(it, {s, value});
    }
}

void Solver::Row::insert(const Row& other, double factor) {
    Cells scratch;
    merge(other, factor, Symbol{}, scratch);
}

void Solver::Row::merge(const Row& other, double factor, Symbol skip, Cells& merged) {
    constant += other.constant * factor;
    // Merged into a scratch vector that then trades places with the cells, so that
    // steady work reuses capacity instead of allocating.
    merged.clear();
    merged.reserve(cells.size() + other.cells.size());
    auto a = cells.begin();
    auto b = other.cells.begin();
    while (a != cells.end() || b != other.cells.end()) {
        if (b == other.cells.end() || (a != cells.end() && a->first < b->first)) {
            if (!(a->first == skip))
                merged.push_back(*a);
            ++a;
        } else if (a == cells.end() || b->first < a->first) {
            double value = b->second * factor;
            if (!nearZero(value))
                merged.push_back({b->first, value});
            ++b;
        } else {
            double value = (a->first == skip ? 0.0 : a->second) + b->second * factor;
            if (!nearZero(value))
                merged.push_back({a->first, value});
            ++a;
            ++b;
        }
    }
    cells.swap(merged);
}

void Solver::Row::remove(Symbol s) {
    auto it = std::lower_bound(cells.begin(), cells.end(), s,
                               [](const auto& cell, Symbol key) { return cell.first < key; });
    if (it != cells.end() && it->first == s)
        cells.erase(it);
}

void Solver::Row::negate() {
    constant = -constant;
    for (auto& cell : cells)
        cell.second = -cell.second;
}

void Solver::Row::solveFor(Symbol s) {
    double factor = -1.0 / coefficient(s);
    remove(s);
    constant *= factor;
    for (auto& cell : cells)
        cell.second *= factor;
}

void Solver::Row::solveFor(Symbol basic, Symbol entering) {
    insert(basic, -1.0);
    solveFor(entering);
}

bool Solver::Row::substitute(Symbol s, const Row& row, Cells& scratch) {
    double factor = coefficient(s);
    if (factor == 0.0)
        return false;
    merge(row, factor, s, scratch);
    return true;
}

// ---------------------------------------------------------------- Solver

double Solver::weight(double priority) {
    if (priority >= Constraint::required)
        return 0;
    return std::pow(10.0, priority / 125.0);
}

Solver::Solver() = default;
Solver::~Solver() = default;

Solver::Symbol Solver::newSymbol(Kind kind) { return Symbol{nextSymbol_++, kind}; }

Variable Solver::addVariable(double value) {
    if (!std::isfinite(value))
        value = 0;
    Variable variable{nextVariable_++};
    VariableInfo info;
    info.symbol = newSymbol(Kind::external);
    info.value = value;
    info.stay = Constraint(Expression{{Term{variable, 1.0}}, -value}, Relation::equal, 0);
    variables_.emplace(variable.id, info);
    // A stay is optional, so adding it cannot fail.
    addInternal(info.stay, stayWeight);
    infeasible_.clear();
    return variable;
}

Solver::Status Solver::removeVariable(Variable variable) {
    auto found = variables_.find(variable.id);
    if (found == variables_.end())
        return Status::unknown;
    if (found->second.uses > 0)
        return Status::inUse;
    Symbol symbol = found->second.symbol;
    removeInternal(found->second.stay);
    // With its last constraint gone the variable is in no equation; drop any trace.
    if (auto row = rows_.find(symbol); row != rows_.end())
        rows_.erase(row);
    for (auto& [basic, row] : rows_)
        row.remove(symbol);
    objective_.remove(symbol);
    variables_.erase(found);
    infeasible_.clear();
    return Status::ok;
}

bool Solver::hasVariable(Variable variable) const { return variables_.count(variable.id) != 0; }

double Solver::value(Variable variable) const {
    auto found = variables_.find(variable.id);
    return found == variables_.end() ? 0.0 : found->second.value;
}

void Solver::updateVariables() {
    for (auto& [id, info] : variables_) {
        auto row = rows_.find(info.symbol);
        info.value = row == rows_.end() ? 0.0 : row->second.constant;
    }
}

std::size_t Solver::constraintCount() const { return constraints_.size() - variables_.size(); }

bool Solver::hasConstraint(const Constraint& constraint) const {
    return constraint && constraints_.count(constraint.data_.get()) != 0;
}

bool Solver::validExpression(const Expression& expression) const {
    if (!std::isfinite(expression.constant))
        return false;
    for (const Term& term : expression.terms)
        if (!std::isfinite(term.coefficient) || !hasVariable(term.variable))
            return false;
    return true;
}

Solver::Status Solver::finish(Status status) {
    if (status == Status::ok)
        commitJournal();
    else
        rollbackJournal();
    infeasible_.clear();
    return status;
}

Solver::Status Solver::addConstraint(const Constraint& constraint) {
    if (!constraint || !validExpression(constraint.expression()) || std::isnan(constraint.priority()))
        return Status::invalid;
    if (hasConstraint(constraint))
        return Status::duplicate;
    beginJournal();
    Status status = finish(addInternal(constraint, weight(constraint.priority())));
    if (status == Status::ok)
        for (const Term& term : constraint.expression().terms)
            ++variables_[term.variable.id].uses;
    return status;
}

Solver::Status Solver::removeConstraint(const Constraint& constraint) {
    if (!hasConstraint(constraint))
        return Status::unknown;
    removeInternal(constraint);
    for (const Term& term : constraint.expression().terms)
        if (auto found = variables_.find(term.variable.id); found != variables_.end())
            --found->second.uses;
    infeasible_.clear();
    return Status::ok;
}

Solver::Status Solver::setConstant(const Constraint& constraint, double constant) {
    if (!std::isfinite(constant))
        return Status::invalid;
    auto found = constraints_.find(constraint.data_.get());
    if (!constraint || found == constraints_.end())
        return Status::unknown;
    double delta = constant - constraint.constant();
    if (delta == 0.0)
        return Status::ok;
    beginJournal();
    bool ok = moveConstant(found->second, constraint.relation(), delta) && dualOptimize();
    if (ok)
        optimize(objective_);
    Status status = finish(ok ? Status::ok : Status::unsatisfiable);
    if (status == Status::ok)
        constraint.data_->expression.constant = constant;
    return status;
}

Solver::Status Solver::setPriority(const Constraint& constraint, double priority) {
    if (std::isnan(priority))
        return Status::invalid;
    auto found = constraints_.find(constraint.data_.get());
    if (!constraint || found == constraints_.end())
        return Status::unknown;
    double oldWeight = found->second.weight;
    double newWeight = weight(priority);
    if ((oldWeight == 0) != (newWeight == 0)) {
        // Required and optional rows differ in shape: take the constraint out and put it
        // back, as one undoable step.
        beginJournal();
        Tag saved = found->second;
        removeInternal(constraint);
        Status status = addInternal(constraint, newWeight);
        if (status != Status::ok) {
            finish(status);
            constraints_.emplace(constraint.data_.get(), saved);
            return status;
        }
        finish(status);
    } else if (newWeight != oldWeight) {
        Tag& tag = found->second;
        for (Symbol s : {tag.marker, tag.other}) {
            if (s.kind != Kind::error)
                continue;
            if (auto row = rows_.find(s); row != rows_.end())
                objective_.insert(row->second, newWeight - oldWeight);
            else
                objective_.insert(s, newWeight - oldWeight);
        }
        tag.weight = newWeight;
        optimize(objective_);
        infeasible_.clear();
    }
    constraint.data_->priority = priority;
    return Status::ok;
}

// ---------------------------------------------------------------- adding

Solver::Status Solver::addInternal(const Constraint& constraint, double weight) {
    Tag tag;
    tag.constraint = constraint;
    tag.weight = weight;
    Row row = createRow(constraint, tag, weight);
    Symbol subject = chooseSubject(row, tag);
    if (!subject && std::all_of(row.cells.begin(), row.cells.end(),
                                [](const auto& cell) { return cell.first.kind == Kind::dummy; })) {
        // Only required equalities are left: the constraint is redundant when the
        // constant is zero and contradicts the others when it is not.
        if (!nearZero(row.constant))
            return Status::unsatisfiable;
        subject = tag.marker;
    }
    if (!subject) {
        if (!addWithArtificialVariable(row))
            return Status::unsatisfiable;
    } else {
        row.solveFor(subject);
        substitute(subject, row);
        insertRow(subject, std::move(row));
    }
    constraints_.emplace(constraint.data_.get(), tag);
    optimize(objective_);
    return Status::ok;
}

Solver::Row Solver::createRow(const Constraint& constraint, Tag& tag, double weight) {
    const Expression& expression = constraint.expression();
    Row row;
    row.constant = expression.constant;
    for (const Term& term : expression.terms) {
        if (nearZero(term.coefficient))
            continue;
        Symbol symbol = variables_.at(term.variable.id).symbol;
        if (auto basic = rows_.find(symbol); basic != rows_.end())
            row.insert(basic->second, term.coefficient);
        else
            row.insert(symbol, term.coefficient);
    }
    bool required = weight == 0;
    switch (constraint.relation()) {
    case Relation::lessThanOrEqual:
    case Relation::greaterThanOrEqual: {
        double sign = constraint.relation() == Relation::lessThanOrEqual ? 1.0 : -1.0;
        tag.marker = newSymbol(Kind::slack);
        row.insert(tag.marker, sign);
        if (!required) {
            tag.other = newSymbol(Kind::error);
            row.insert(tag.other, -sign);
            touchObjective();
            objective_.insert(tag.other, weight);
        }
        break;
    }
    case Relation::equal:
        if (required) {
            tag.marker = newSymbol(Kind::dummy);
            row.insert(tag.marker, 1.0);
        } else {
            tag.marker = newSymbol(Kind::error);
            tag.other = newSymbol(Kind::error);
            row.insert(tag.marker, -1.0);
            row.insert(tag.other, 1.0);
            touchObjective();
            objective_.insert(tag.marker, weight);
            objective_.insert(tag.other, weight);
        }
        break;
    }
    if (row.constant < 0)
        row.negate();
    return row;
}

Solver::Symbol Solver::chooseSubject(const Row& row, const Tag& tag) const {
    for (const auto& cell : row.cells)
        if (cell.first.kind == Kind::external)
            return cell.first;
    // A fresh slack or error appears in no other row, so solving for it keeps every
    // row feasible as long as its value comes out non-negative.
    if (isPivotable(tag.marker) && row.coefficient(tag.marker) < 0)
        return tag.marker;
    if (tag.other && isPivotable(tag.other) && row.coefficient(tag.other) < 0)
        return tag.other;
    return {};
}

bool Solver::addWithArtificialVariable(const Row& row) {
    Symbol artificial = newSymbol(Kind::slack);
    insertRow(artificial, row);
    artificial_ = row;
    optimize(*artificial_);
    bool satisfied = nearZero(artificial_->constant);
    artificial_.reset();
    if (!satisfied)
        return false;

    if (auto it = rows_.find(artificial); it != rows_.end()) {
        Row basic = takeRow(it);
        if (!basic.cells.empty()) {
            Symbol entering;
            for (const auto& cell : basic.cells)
                if (isPivotable(cell.first)) {
                    entering = cell.first;
                    break;
                }
            // With nothing but required equalities left at zero the row says nothing new.
            if (entering) {
                basic.solveFor(artificial, entering);
                substitute(entering, basic);
                insertRow(entering, std::move(basic));
            }
        }
    }
    for (auto it = rows_.begin(); it != rows_.end(); ++it)
        if (it->second.coefficient(artificial) != 0.0)
            touch(it).remove(artificial);
    if (objective_.coefficient(artificial) != 0.0) {
        touchObjective();
        objective_.remove(artificial);
    }
    return true;
}

// ---------------------------------------------------------------- removing

void Solver::removeErrorWeights(const Tag& tag) {
    for (Symbol s : {tag.marker, tag.other}) {
        if (s.kind != Kind::error)
            continue;
        touchObjective();
        if (auto row = rows_.find(s); row != rows_.end())
            objective_.insert(row->second, -tag.weight);
        else
            objective_.insert(s, -tag.weight);
    }
}

void Solver::removeInternal(const Constraint& constraint) {
    auto found = constraints_.find(constraint.data_.get());
    Tag tag = found->second;
    constraints_.erase(found);
    removeErrorWeights(tag);
    if (auto row = rows_.find(tag.marker); row != rows_.end()) {
        takeRow(row);
    } else if (Symbol leaving = markerLeavingRow(tag.marker)) {
        Row row = takeRow(rows_.find(leaving));
        row.solveFor(leaving, tag.marker);
        substitute(tag.marker, row);
        // The marker's row is the removed constraint; it is dropped.
    }
    // Both symbols are gone from every equation; clear what rounding left behind.
    for (Symbol s : {tag.marker, tag.other}) {
        if (!s)
            continue;
        if (auto row = rows_.find(s); row != rows_.end())
            takeRow(row);
        for (auto it = rows_.begin(); it != rows_.end(); ++it)
            if (it->second.coefficient(s) != 0.0)
                touch(it).remove(s);
        if (objective_.coefficient(s) != 0.0) {
            touchObjective();
            objective_.remove(s);
        }
    }
    optimize(objective_);
}

Solver::Symbol Solver::markerLeavingRow(Symbol marker) const {
    constexpr double infinity = std::numeric_limits<double>::infinity();
    double firstRatio = infinity;
    double secondRatio = infinity;
    Symbol first, second, third;
    for (const auto& [basic, row] : rows_) {
        double c = row.coefficient(marker);
        if (c == 0.0)
            continue;
        if (basic.kind == Kind::external) {
            if (!third)
                third = basic;
        } else if (c < 0) {
            double ratio = -row.constant / c;
            if (ratio < firstRatio) {
                firstRatio = ratio;
                first = basic;
            }
        } else {
            double ratio = row.constant / c;
            if (ratio < secondRatio) {
                secondRatio = ratio;
                second = basic;
            }
        }
    }
    return first ? first : second ? second : third;
}

// ---------------------------------------------------------------- constants

bool Solver::moveConstant(const Tag& tag, Relation relation, double delta) {
    // The coefficient each marker had in the constraint's own equation. Moving the
    // constant by δ is the same system with that symbol renamed to symbol + δ/a, so
    // only row constants change.
    auto coefficientOf = [&](Symbol s) {
        bool isMarker = s == tag.marker;
        switch (relation) {
        case Relation::lessThanOrEqual: return isMarker ? 1.0 : -1.0;
        case Relation::greaterThanOrEqual: return isMarker ? -1.0 : 1.0;
        case Relation::equal: return tag.weight == 0 ? 1.0 : (isMarker ? -1.0 : 1.0);
        }
        return 1.0;
    };
    auto check = [&](Symbol basic, const Row& row) {
        if (basic.kind == Kind::dummy)
            return nearZero(row.constant);
        if (isRestricted(basic) && row.constant < 0)
            infeasible_.push_back(basic);
        return true;
    };

    Symbol symbol = tag.marker;
    if (rows_.find(tag.marker) == rows_.end() && tag.other && rows_.find(tag.other) != rows_.end())
        symbol = tag.other;
    double a = coefficientOf(symbol);

    if (auto it = rows_.find(symbol); it != rows_.end()) {
        Row& row = touch(it);
        row.constant -= delta * a;
        return check(symbol, row);
    }
    bool ok = true;
    for (auto it = rows_.begin(); it != rows_.end(); ++it) {
        double b = it->second.coefficient(symbol);
        if (b == 0.0)
            continue;
        Row& row = touch(it);
        row.constant += b * delta * a;
        ok = check(it->first, row) && ok;
    }
    if (double b = objective_.coefficient(symbol); b != 0.0) {
        touchObjective();
        objective_.constant += b * delta * a;
    }
    return ok;
}

// ---------------------------------------------------------------- simplex

bool Solver::optimize(Row& objective) {
    for (std::size_t step = 0, limit = pivotLimit(rows_.size()); step < limit; ++step) {
        // Bland's rule: the lowest entering symbol, then the lowest leaving row on a tie.
        // A candidate that no row bounds is rounding residue (the objective is a sum of
        // non-negative errors) and is passed over.
        bool pivoted = false;
        for (const auto& [symbol, c] : objective.cells) {
            double direction;
            if (symbol.kind == Kind::external && !nearZero(c))
                direction = c < 0 ? 1 : -1;  // a free variable may move either way
            else if (isPivotable(symbol) && c < -epsilon)
                direction = 1;
            else
                continue;
            Symbol entering = symbol;
            Symbol leaving;
            double best = std::numeric_limits<double>::infinity();
            for (const auto& [basic, row] : rows_) {
                if (!isRestricted(basic))
                    continue;
                double a = row.coefficient(entering) * direction;
                if (a < -epsilon) {
                    double ratio = row.constant / -a;
                    if (ratio < best) {
                        best = ratio;
                        leaving = basic;
                    }
                }
            }
            if (leaving) {
                pivot(entering, leaving);
                pivoted = true;
                break;
            }
        }
        if (!pivoted)
            return true;
    }
    return false;
}

bool Solver::dualOptimize() {
    std::size_t steps = 0;
    const std::size_t limit = pivotLimit(rows_.size());
    while (!infeasible_.empty()) {
        Symbol leaving = infeasible_.back();
        infeasible_.pop_back();
        auto it = rows_.find(leaving);
        if (it == rows_.end() || !isRestricted(leaving) || it->second.constant >= -epsilon)
            continue;
        if (leaving.kind == Kind::dummy || ++steps > limit)
            return false;
        Symbol entering;
        double best = std::numeric_limits<double>::infinity();
        for (const auto& [symbol, c] : it->second.cells) {
            double ratio;
            if (isPivotable(symbol) && c > epsilon)
                ratio = objective_.coefficient(symbol) / c;
            else if (symbol.kind == Kind::external && !nearZero(c))
                ratio = std::fabs(objective_.coefficient(symbol) / c);
            else
                continue;
            if (ratio < best) {
                best = ratio;
                entering = symbol;
            }
        }
        // Nothing can raise the row to zero: the required constraints contradict.
        if (!entering)
            return false;
        pivot(entering, leaving);
    }
    return true;
}

void Solver::pivot(Symbol entering, Symbol leaving) {
    Row row = takeRow(rows_.find(leaving));
    row.solveFor(leaving, entering);
    substitute(entering, row);
    insertRow(entering, std::move(row));
}

void Solver::substitute(Symbol s, const Row& row) {
    for (auto it = rows_.begin(); it != rows_.end(); ++it) {
        if (it->second.coefficient(s) == 0.0)
            continue;
        Row& target = touch(it);
        target.substitute(s, row, scratch_);
        if (isRestricted(it->first) && target.constant < 0)
            infeasible_.push_back(it->first);
    }
    if (objective_.coefficient(s) != 0.0) {
        touchObjective();
        objective_.substitute(s, row, scratch_);
    }
    if (artificial_)
        artificial_->substitute(s, row, scratch_);
}

// ---------------------------------------------------------------- journal

void Solver::beginJournal() {
    journalOpen_ = true;
    ++journalEpoch_;
    journal_.clear();
    savedObjective_.reset();
}

void Solver::commitJournal() {
    journalOpen_ = false;
    journal_.clear();
    savedObjective_.reset();
}

void Solver::rollbackJournal() {
    if (!journalOpen_)
        return;
    // Newest first, so the oldest record of a row is the one that stays.
    for (auto entry = journal_.rbegin(); entry != journal_.rend(); ++entry) {
        if (entry->second)
            rows_[entry->first] = std::move(*entry->second);
        else
            rows_.erase(entry->first);
    }
    if (savedObjective_)
        objective_ = std::move(*savedObjective_);
    artificial_.reset();
    commitJournal();
}

Solver::Row& Solver::touch(Rows::iterator it) {
    if (journalOpen_ && it->second.journalEpoch != journalEpoch_) {
        journal_.emplace_back(it->first, it->second);
        it->second.journalEpoch = journalEpoch_;
    }
    return it->second;
}

void Solver::touchObjective() {
    if (journalOpen_ && !savedObjective_)
        savedObjective_ = objective_;
}

Solver::Rows::iterator Solver::insertRow(Symbol s, Row row) {
    if (journalOpen_) {
        journal_.emplace_back(s, std::nullopt);
        row.journalEpoch = journalEpoch_;
    }
    return rows_.insert_or_assign(s, std::move(row)).first;
}

Solver::Row Solver::takeRow(Rows::iterator it) {
    touch(it);
    Row row = std::move(it->second);
    rows_.erase(it);
    return row;
}

} // namespace pellavo::ui::layout
