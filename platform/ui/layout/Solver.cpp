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

Solver::Cells::const_iterator Solver::Row::find(Symbol s) const {
    // Galloping from the front: older symbols sort first and are the ones most rows share
    // (a pin's marker, the stays), so a walk down a long column touches a cache line or
    // two of each row instead of a binary search's worth. Never worse than twice a
    // binary search.
    std::size_t end = 1;
    while (end < cells.size() && cells[end - 1].first < s)
        end *= 2;
    auto first = cells.begin() + static_cast<std::ptrdiff_t>(end / 2);
    auto last = cells.begin() + static_cast<std::ptrdiff_t>(std::min(end, cells.size()));
    return std::lower_bound(first, last, s, [](const auto& cell, Symbol key) { return cell.first < key; });
}

double Solver::Row::coefficient(Symbol s) const {
    if (head.first && head.first == s)
        return head.second;
    auto it = find(s);
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
    refreshHead();
}

void Solver::Row::insert(const Row& other, double factor) {
    Cells scratch;
    merge(other, factor, Symbol{}, scratch, [](Symbol) {});
}

template <typename Added>
void Solver::Row::merge(const Row& other, double factor, Symbol skip, Cells& merged, Added&& added) {
    constant += other.constant * factor;
    // Merged into a scratch vector that then trades places with the cells, so that
    // steady work reuses capacity instead of allocating. Written through a pointer into
    // room made beforehand: the merge is the solver's innermost loop.
    merged.clear();
    merged.resize(cells.size() + other.cells.size());
    auto out = merged.begin();
    auto a = cells.cbegin();
    auto b = other.cells.cbegin();
    const auto aEnd = cells.cend();
    const auto bEnd = other.cells.cend();
    while (a != aEnd && b != bEnd) {
        if (a->first < b->first) {
            if (!(a->first == skip))
                *out++ = *a;
            ++a;
        } else if (b->first < a->first) {
            double value = b->second * factor;
            if (!nearZero(value)) {
                *out++ = {b->first, value};
                added(b->first);
            }
            ++b;
        } else {
            double value = (a->first == skip ? 0.0 : a->second) + b->second * factor;
            if (!nearZero(value)) {
                *out++ = {a->first, value};
                if (a->first == skip)
                    added(a->first);
            }
            ++a;
            ++b;
        }
    }
    for (; a != aEnd; ++a)
        if (!(a->first == skip))
            *out++ = *a;
    for (; b != bEnd; ++b) {
        double value = b->second * factor;
        if (!nearZero(value)) {
            *out++ = {b->first, value};
            added(b->first);
        }
    }
    merged.erase(out, merged.end());
    cells.swap(merged);
    refreshHead();
}

void Solver::Row::remove(Symbol s) {
    auto it = std::lower_bound(cells.begin(), cells.end(), s,
                               [](const auto& cell, Symbol key) { return cell.first < key; });
    if (it != cells.end() && it->first == s)
        cells.erase(it);
    refreshHead();
}

void Solver::Row::negate() {
    constant = -constant;
    for (auto& cell : cells)
        cell.second = -cell.second;
    refreshHead();
}

void Solver::Row::solveFor(Symbol s) {
    double factor = -1.0 / coefficient(s);
    remove(s);
    constant *= factor;
    for (auto& cell : cells)
        cell.second *= factor;
    refreshHead();
}

void Solver::Row::solveFor(Symbol basic, Symbol entering) {
    insert(basic, -1.0);
    solveFor(entering);
}

// ---------------------------------------------------------------- Solver

double Solver::weight(double priority) {
    if (priority >= Constraint::required)
        return 0;
    return std::pow(10.0, priority / 125.0);
}

Solver::Solver() : symbols_(1) { objective_.coefficients.resize(1); }
Solver::~Solver() = default;

Solver::Symbol Solver::newSymbol(Kind kind) {
    symbols_.emplace_back();
    objective_.coefficients.push_back(0.0);
    return Symbol{symbols_.size() - 1, kind};
}

Variable Solver::addVariable(double value) {
    if (!std::isfinite(value))
        value = 0;
    Variable variable{nextVariable_++};
    VariableInfo info;
    info.symbol = newSymbol(Kind::external);
    info.value = value;
    info.stay = Constraint(Expression{{Term{variable, 1.0}}, -value}, Relation::equal, 0);
    info.listed = listed_.size();
    listed_.push_back(&variables_.emplace(variable.id, info).first->second);
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
    dropEverywhere(symbol);
    VariableInfo* last = listed_.back();
    listed_[found->second.listed] = last;
    last->listed = found->second.listed;
    listed_.pop_back();
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
    for (VariableInfo* info : listed_) {
        Slot slot = rowOf(info->symbol);
        info->value = slot == noRow ? 0.0 : rows_[slot].constant;
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
    std::size_t pivots = 0;
    bool ok = moveConstant(found->second, constraint.relation(), delta) && dualOptimize(pivots);
    // Only pivots change the objective's cells: without one the basis stays optimal.
    if (ok && pivots > 0)
        optimize();
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
            if (Slot slot = rowOf(s); slot != noRow)
                mergeIntoObjective(rows_[slot], newWeight - oldWeight, Symbol{});
            else
                addToObjective(s, newWeight - oldWeight);
        }
        tag.weight = newWeight;
        optimize();
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
    optimize();
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
        if (Slot slot = rowOf(symbol); slot != noRow)
            row.insert(rows_[slot], term.coefficient);
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
            addToObjective(tag.other, weight);
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
            addToObjective(tag.marker, weight);
            addToObjective(tag.other, weight);
        }
        break;
    }
    if (row.constant < 0)
        row.negate();
    return row;
}

Solver::Symbol Solver::chooseSubject(const Row& row, const Tag& tag) {
    for (const auto& cell : row.cells)
        if (cell.first.kind == Kind::external)
            return cell.first;
    // A fresh slack or error appears in no other row, so solving for it keeps every
    // row feasible as long as its value comes out non-negative.
    if (isPivotable(tag.marker) && row.coefficient(tag.marker) < 0)
        return tag.marker;
    if (tag.other && isPivotable(tag.other) && row.coefficient(tag.other) < 0)
        return tag.other;
    // So does one held only by rows of unrestricted variables, such as the stay errors
    // of a variable no other constraint has reached yet: no feasible row can turn
    // negative, and the optimisation that follows finds the same optimum.
    for (const auto& [symbol, coefficient] : row.cells) {
        if (!isPivotable(symbol) || coefficient >= 0)
            continue;
        const auto& holders = rowsWith(symbol);
        if (std::none_of(holders.begin(), holders.end(),
                         [&](const auto& holder) { return isRestricted(rows_[holder.first].basic); }))
            return symbol;
    }
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

    if (Slot slot = rowOf(artificial); slot != noRow) {
        Row basic = takeRow(slot);
        if (!basic.cells.empty()) {
            Symbol entering{};
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
    dropEverywhere(artificial);
    return true;
}

// ---------------------------------------------------------------- removing

void Solver::removeErrorWeights(const Tag& tag) {
    for (Symbol s : {tag.marker, tag.other}) {
        if (s.kind != Kind::error)
            continue;
        if (Slot slot = rowOf(s); slot != noRow)
            mergeIntoObjective(rows_[slot], -tag.weight, Symbol{});
        else
            addToObjective(s, -tag.weight);
    }
}

void Solver::removeInternal(const Constraint& constraint) {
    auto found = constraints_.find(constraint.data_.get());
    Tag tag = found->second;
    constraints_.erase(found);
    removeErrorWeights(tag);
    if (Slot slot = rowOf(tag.marker); slot != noRow) {
        takeRow(slot);
    } else if (Symbol leaving = markerLeavingRow(tag.marker)) {
        Row row = takeRow(rowOf(leaving));
        row.solveFor(leaving, tag.marker);
        substitute(tag.marker, row);
        // The marker's row is the removed constraint; it is dropped.
    }
    // Both symbols are gone from every equation; clear what rounding left behind.
    for (Symbol s : {tag.marker, tag.other}) {
        if (!s)
            continue;
        if (Slot slot = rowOf(s); slot != noRow)
            takeRow(slot);
        dropEverywhere(s);
    }
    optimize();
}

void Solver::dropEverywhere(Symbol s) {
    for (const auto& [slot, coefficient] : rowsWith(s))
        touch(slot).remove(s);
    reindex(s);
    symbols_[s.id].column.shrink_to_fit();
    if (objectiveCoefficient(s) != 0.0)
        setObjective(s, 0.0);
}

Solver::Symbol Solver::markerLeavingRow(Symbol marker) {
    constexpr double infinity = std::numeric_limits<double>::infinity();
    double firstRatio = infinity;
    double secondRatio = infinity;
    Symbol first{}, second{}, third{};
    // Ties go to the lowest symbol, whatever the order of the column.
    auto better = [](double ratio, Symbol basic, double best, Symbol chosen) {
        return ratio < best || (ratio == best && chosen && basic < chosen);
    };
    for (const auto& [slot, c] : rowsWith(marker)) {
        const Row& row = rows_[slot];
        Symbol basic = row.basic;
        if (basic.kind == Kind::external) {
            if (!third || basic < third)
                third = basic;
        } else if (c < 0) {
            double ratio = -row.constant / c;
            if (better(ratio, basic, firstRatio, first)) {
                firstRatio = ratio;
                first = basic;
            }
        } else {
            double ratio = row.constant / c;
            if (better(ratio, basic, secondRatio, second)) {
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
    found_.clear();
    auto check = [&](const Row& row) {
        if (row.basic.kind == Kind::dummy)
            return nearZero(row.constant);
        if (isRestricted(row.basic) && row.constant < 0)
            found_.push_back(row.basic);
        return true;
    };

    Symbol symbol = tag.marker;
    if (rowOf(tag.marker) == noRow && tag.other && rowOf(tag.other) != noRow)
        symbol = tag.other;
    double a = coefficientOf(symbol);

    bool ok = true;
    if (Slot slot = rowOf(symbol); slot != noRow) {
        Row& row = touchConstant(slot);
        row.constant -= delta * a;
        ok = check(row);
    } else {
        for (const auto& [slot, b] : rowsWith(symbol)) {
            Row& row = touchConstant(slot);
            row.constant += b * delta * a;
            ok = check(row) && ok;
        }
        if (double b = objectiveCoefficient(symbol); b != 0.0) {
            touchObjectiveConstant();
            objective_.constant += b * delta * a;
        }
    }
    queueInfeasible(found_);
    return ok;
}

// ---------------------------------------------------------------- simplex

// Bland's rule: the lowest entering symbol, then the lowest leaving row on a tie. A
// candidate that no row bounds is rounding residue (the objective is a sum of
// non-negative errors) and is passed over.
bool Solver::optimize() {
    for (std::size_t step = 0, limit = pivotLimit(rowCount()); step < limit; ++step) {
        bool pivoted = false;
        // Entering changes the list: it is read afresh after every pivot.
        for (std::size_t i = 0; i < objective_.entering.size() && !pivoted; ++i) {
            Symbol symbol = objective_.entering[i];
            pivoted = enter(symbol, objectiveCoefficient(symbol));
        }
        if (!pivoted)
            return true;
    }
    return false;
}

bool Solver::optimize(Row& artificial) {
    for (std::size_t step = 0, limit = pivotLimit(rowCount()); step < limit; ++step) {
        bool pivoted = false;
        for (const auto& [symbol, c] : artificial.cells)
            if (mayEnter(symbol, c) && enter(symbol, c)) {
                pivoted = true;
                break;
            }
        if (!pivoted)
            return true;
    }
    return false;
}

bool Solver::mayEnter(Symbol symbol, double c) {
    return (symbol.kind == Kind::external && !nearZero(c)) || (isPivotable(symbol) && c < -epsilon);
}

bool Solver::enter(Symbol entering, double c) {
    // A free variable may move either way; a slack or error only up.
    const double direction = entering.kind == Kind::external && c > 0 ? -1.0 : 1.0;
    Symbol leaving{};
    double best = std::numeric_limits<double>::infinity();
    for (const auto& [slot, coefficient] : rowsWith(entering)) {
        const Row& row = rows_[slot];
        if (!isRestricted(row.basic))
            continue;
        double a = coefficient * direction;
        if (a < -epsilon) {
            // Ties go to the lowest symbol, whatever the order of the column.
            double ratio = row.constant / -a;
            if (ratio < best || (ratio == best && row.basic < leaving)) {
                best = ratio;
                leaving = row.basic;
            }
        }
    }
    if (!leaving)
        return false;
    pivot(entering, leaving);
    return true;
}

bool Solver::dualOptimize(std::size_t& steps) {
    const std::size_t limit = pivotLimit(rowCount());
    while (!infeasible_.empty()) {
        Symbol leaving = infeasible_.back();
        infeasible_.pop_back();
        Slot slot = rowOf(leaving);
        if (slot == noRow || !isRestricted(leaving) || rows_[slot].constant >= -epsilon)
            continue;
        if (leaving.kind == Kind::dummy || ++steps > limit)
            return false;
        Symbol entering{};
        double best = std::numeric_limits<double>::infinity();
        for (const auto& [symbol, c] : rows_[slot].cells) {
            double ratio;
            if (isPivotable(symbol) && c > epsilon)
                ratio = objectiveCoefficient(symbol) / c;
            else if (symbol.kind == Kind::external && !nearZero(c))
                ratio = std::fabs(objectiveCoefficient(symbol) / c);
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
    Row row = takeRow(rowOf(leaving));
    row.solveFor(leaving, entering);
    substitute(entering, row);
    insertRow(entering, std::move(row));
}

void Solver::substitute(Symbol s, const Row& row) {
    found_.clear();
    for (const auto& [slot, factor] : rowsWith(s)) {
        Row& target = touch(slot);
        // Noted once the merge is done: a column cleaned halfway would miss the row.
        added_.clear();
        target.merge(row, factor, s, scratch_, [&](Symbol added) {
            if (symbols_[added.id].indexed)
                added_.push_back(added);
        });
        for (Symbol added : added_)
            noteCell(added, slot);
        if (isRestricted(target.basic) && target.constant < 0)
            found_.push_back(target.basic);
    }
    reindex(s);  // in no row now
    queueInfeasible(found_);
    if (double factor = objectiveCoefficient(s); factor != 0.0)
        mergeIntoObjective(row, factor, s);
    if (artificial_)
        if (double factor = artificial_->coefficient(s); factor != 0.0)
            artificial_->merge(row, factor, s, scratch_, [](Symbol) {});
}

// ---------------------------------------------------------------- objective

void Solver::setObjective(Symbol s, double value) {
    double& c = objective_.coefficients[s.id];
    if (journalOpen_)
        objectiveJournal_.emplace_back(s, c);
    const bool was = mayEnter(s, c);
    const bool is = mayEnter(s, value);
    c = value;
    if (was == is)
        return;
    auto& entering = objective_.entering;
    auto at = std::lower_bound(entering.begin(), entering.end(), s);
    if (is)
        entering.insert(at, s);
    else
        entering.erase(at);
}

void Solver::addToObjective(Symbol s, double value) {
    double sum = objective_.coefficients[s.id] + value;
    setObjective(s, nearZero(sum) ? 0.0 : sum);
}

void Solver::mergeIntoObjective(const Row& row, double factor, Symbol skip) {
    touchObjectiveConstant();
    objective_.constant += row.constant * factor;
    if (skip && objectiveCoefficient(skip) != 0.0)
        setObjective(skip, 0.0);
    for (const auto& [symbol, c] : row.cells)
        addToObjective(symbol, c * factor);
}

// ---------------------------------------------------------------- index

const std::vector<std::pair<Solver::Slot, double>>& Solver::rowsWith(Symbol s) {
    SymbolInfo& info = symbols_[s.id];
    holders_.clear();
    if (!info.indexed) {
        for (Slot slot = 0; slot < rows_.size(); ++slot)
            if (rows_[slot].basic)
                if (double c = rows_[slot].coefficient(s); c != 0.0)
                    holders_.emplace_back(slot, c);
        return holders_;
    }
    clean(info, s, &holders_);
    return holders_;
}

void Solver::clean(SymbolInfo& info, Symbol s, std::vector<std::pair<Slot, double>>* holders) {
    ++visitEpoch_;
    std::size_t kept = 0;
    // The rows' cells lie all over the heap and each row is read once: asking for the
    // head of a row a few steps ahead overlaps the misses instead of waiting on each.
    constexpr std::size_t ahead = 8;
    const std::size_t count = info.column.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (i + ahead < count) {
            const Row& next = rows_[info.column[i + ahead]];
            if (!(next.head.first == s))
                __builtin_prefetch(next.cells.data());
        }
        Slot slot = info.column[i];
        Row& row = rows_[slot];
        if (!row.basic || row.visit == visitEpoch_)
            continue;
        double c = row.coefficient(s);
        if (c == 0.0)
            continue;
        row.visit = visitEpoch_;
        info.column[kept++] = slot;
        if (holders)
            holders->emplace_back(slot, c);
    }
    info.column.resize(kept);
    info.cleanAt = kept + rowCount() + 16;
}

void Solver::noteCell(Symbol s, Slot slot) {
    SymbolInfo& info = symbols_[s.id];
    if (!info.indexed)
        return;
    info.column.push_back(slot);
    if (info.column.size() < info.cleanAt)
        return;
    // A symbol that keeps leaving and rejoining rows costs more to index than to look
    // for: when most of its column has gone stale, it is looked for.
    const std::size_t before = info.column.size();
    clean(info, s);
    if (2 * info.column.size() < before) {
        info.indexed = false;
        info.column = {};
    }
}

void Solver::reindex(Symbol s) {
    SymbolInfo& info = symbols_[s.id];
    info.column.clear();
    info.indexed = true;
}

void Solver::queueInfeasible(std::vector<Symbol>& found) {
    // The order the rows were once kept in: the dual simplex takes the last first.
    std::sort(found.begin(), found.end());
    infeasible_.insert(infeasible_.end(), found.begin(), found.end());
}

// ---------------------------------------------------------------- journal

void Solver::beginJournal() {
    journalOpen_ = true;
    ++journalEpoch_;
    journal_.clear();
    constantJournal_.clear();
    objectiveJournal_.clear();
    savedObjectiveConstant_.reset();
}

void Solver::commitJournal() {
    journalOpen_ = false;
    journal_.clear();
    constantJournal_.clear();
    objectiveJournal_.clear();
    savedObjectiveConstant_.reset();
}

void Solver::rollbackJournal() {
    if (!journalOpen_)
        return;
    // Newest first, so the oldest record of a slot is the one that stays.
    for (auto entry = journal_.rbegin(); entry != journal_.rend(); ++entry) {
        Row& current = rows_[entry->first];
        if (current.basic && rowOf(current.basic) == entry->first)
            symbols_[current.basic.id].row = noRow;
        current = entry->second ? std::move(*entry->second) : Row{};
        if (current.basic)
            symbols_[current.basic.id].row = entry->first;
    }
    // A constant is recorded alone only before any copy of its row, so it goes last.
    for (const auto& [slot, constant] : constantJournal_)
        rows_[slot].constant = constant;
    for (const auto& [slot, previous] : journal_)
        if (previous)
            for (const auto& cell : rows_[slot].cells)
                noteCell(cell.first, slot);
    freeRows_.clear();
    for (Slot slot = 0; slot < rows_.size(); ++slot)
        if (!rows_[slot].basic)
            freeRows_.push_back(slot);
    journalOpen_ = false;  // the undoing itself is not recorded
    for (auto entry = objectiveJournal_.rbegin(); entry != objectiveJournal_.rend(); ++entry)
        setObjective(entry->first, entry->second);
    if (savedObjectiveConstant_)
        objective_.constant = *savedObjectiveConstant_;
    artificial_.reset();
    commitJournal();
}

Solver::Row& Solver::touch(Slot slot) {
    Row& row = rows_[slot];
    if (journalOpen_ && row.journalEpoch != journalEpoch_) {
        journal_.emplace_back(slot, row);
        row.journalEpoch = journalEpoch_;
    }
    return row;
}

Solver::Row& Solver::touchConstant(Slot slot) {
    Row& row = rows_[slot];
    if (journalOpen_ && row.journalEpoch != journalEpoch_ && row.constantEpoch != journalEpoch_) {
        constantJournal_.emplace_back(slot, row.constant);
        row.constantEpoch = journalEpoch_;
    }
    return row;
}

void Solver::touchObjectiveConstant() {
    if (journalOpen_ && !savedObjectiveConstant_)
        savedObjectiveConstant_ = objective_.constant;
}

Solver::Slot Solver::insertRow(Symbol s, Row row) {
    Slot slot;
    if (!freeRows_.empty()) {
        slot = freeRows_.back();
        freeRows_.pop_back();
    } else {
        slot = static_cast<Slot>(rows_.size());
        rows_.emplace_back();
    }
    if (journalOpen_) {
        journal_.emplace_back(slot, std::nullopt);
        row.journalEpoch = journalEpoch_;
    }
    row.basic = s;
    rows_[slot] = std::move(row);
    symbols_[s.id].row = slot;
    for (const auto& cell : rows_[slot].cells)
        noteCell(cell.first, slot);
    return slot;
}

Solver::Row Solver::takeRow(Slot slot) {
    touch(slot);
    Row row = std::exchange(rows_[slot], Row{});
    symbols_[row.basic.id].row = noRow;
    freeRows_.push_back(slot);
    return row;
}

} // namespace pellavo::ui::layout
