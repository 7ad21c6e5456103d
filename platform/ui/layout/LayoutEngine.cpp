#include "platform/ui/layout/LayoutEngine.hpp"

#include <algorithm>
#include <cmath>

#include "platform/ns/Console.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ui::layout {

namespace {

using Attribute = LayoutConstraint::Attribute;

enum class Axis { x, y, size, none };

Axis axisOf(Attribute attribute) {
    switch (attribute) {
    case Attribute::left:
    case Attribute::right:
    case Attribute::leading:
    case Attribute::trailing:
    case Attribute::centerX:
    case Attribute::leftMargin:
    case Attribute::rightMargin:
    case Attribute::leadingMargin:
    case Attribute::trailingMargin: return Axis::x;
    case Attribute::top:
    case Attribute::bottom:
    case Attribute::centerY:
    case Attribute::topMargin:
    case Attribute::bottomMargin: return Axis::y;
    case Attribute::width:
    case Attribute::height: return Axis::size;
    case Attribute::notAnAttribute: return Axis::none;
    }
    return Axis::none;
}

// Layout runs left to right: leading is left and trailing is right.
Attribute normalised(Attribute attribute) {
    switch (attribute) {
    case Attribute::leading: return Attribute::left;
    case Attribute::trailing: return Attribute::right;
    case Attribute::leadingMargin: return Attribute::leftMargin;
    case Attribute::trailingMargin: return Attribute::rightMargin;
    default: return attribute;
    }
}

bool isFarEdge(Attribute attribute) {
    switch (normalised(attribute)) {
    case Attribute::right:
    case Attribute::rightMargin:
    case Attribute::bottom:
    case Attribute::bottomMargin: return true;
    default: return false;
    }
}

// The margin an attribute adds to its edge.
double marginOffset(const View& item, Attribute attribute) {
    const EdgeInsets margins = item.layoutMargins();
    switch (normalised(attribute)) {
    case Attribute::leftMargin: return margins.left;
    case Attribute::rightMargin: return -margins.right;
    case Attribute::topMargin: return margins.top;
    case Attribute::bottomMargin: return -margins.bottom;
    default: return 0;
    }
}

std::shared_ptr<View> commonAncestor(const std::shared_ptr<View>& a, const std::shared_ptr<View>& b) {
    for (auto candidate = a; candidate; candidate = candidate->superview())
        if (b->isDescendant(candidate.get()))
            return candidate;
    return nullptr;
}

// The attributes make sense together; otherwise the reason.
bool validAttributes(const LayoutConstraint& constraint, std::string& reason) {
    Axis first = axisOf(constraint.firstAttribute());
    if (first == Axis::none) {
        reason = "its first attribute is notAnAttribute";
        return false;
    }
    if (constraint.secondAttribute() == Attribute::notAnAttribute) {
        if (first != Axis::size) {
            reason = "a position cannot be related to a constant alone";
            return false;
        }
        return true;
    }
    if (axisOf(constraint.secondAttribute()) != first) {
        reason = "its attributes lie on different axes";
        return false;
    }
    return true;
}

// A position of an item inside a scrolled content area cannot be related to anything
// outside that area.
bool crossesContent(const View& item, Attribute attribute, const View& ancestor) {
    if (axisOf(attribute) == Axis::size || &item == &ancestor)
        return false;
    for (auto view = item.superview(); view && view.get() != &ancestor; view = view->superview())
        if (view->layoutContentSize())
            return true;
    return false;
}

// The items of a constraint, or false when one of them has been freed.
bool itemsOf(const LayoutConstraint& constraint, std::shared_ptr<View>& first, std::shared_ptr<View>& second) {
    first = constraint.firstItem();
    if (!first)
        return false;
    second = nullptr;
    if (constraint.secondAttribute() != Attribute::notAnAttribute) {
        second = constraint.secondItem();
        if (!second)
            return false;
    }
    return true;
}

Relation solverRelation(LayoutConstraint::Relation relation) {
    switch (relation) {
    case LayoutConstraint::Relation::lessThanOrEqual: return Relation::lessThanOrEqual;
    case LayoutConstraint::Relation::equal: return Relation::equal;
    case LayoutConstraint::Relation::greaterThanOrEqual: return Relation::greaterThanOrEqual;
    }
    return Relation::equal;
}

float clampedPriority(float priority) {
    return std::isnan(priority) ? LayoutPriority::required : std::clamp(priority, 1.0f, LayoutPriority::required);
}

} // namespace

// ---------------------------------------------------------------- records

struct LayoutEngine::ViewRecord {
    std::weak_ptr<View> view;
    Variable x, y, w, h;
    // Autoresizing views: the frame as required values.
    bool pinned = false;
    Constraint pins[4];
    cg::Rect pinnedFrame;
    // Constraint-placed views: the intrinsic size on each axis, read again when the
    // view invalidates it or changes its priorities.
    bool intrinsicDirty = true;
    struct Intrinsic {
        bool present = false;
        double value = 0;
        float hugging = 0;
        float compression = 0;
        Constraint hug, compress;
    } intrinsic[2];
    // Views with a scrolled content area: its extent. While no constraint fixes the
    // far edge of an axis, the extent is pinned to the content size set in code.
    bool content = false;
    Variable extent[2];
    int fixedCount[2] = {0, 0};
    Constraint extentPin[2];
    // The last solution seen, so a change marks the superview once.
    std::optional<cg::Rect> lastSolved;
};

struct LayoutEngine::ConstraintRecord {
    std::shared_ptr<LayoutConstraint> constraint;
    std::vector<Term> terms;
    Constraint solverConstraint;
    bool inSolver = false;
    float appliedPriority = 0;
    // The content area whose far edges this constraint fixes.
    ViewRecord* fixes = nullptr;
    bool fixesAxis[2] = {false, false};
};

// ---------------------------------------------------------------- lookup

LayoutEngine::LayoutEngine(const std::shared_ptr<View>& root) : root_(root), solver_(std::make_unique<Solver>()) {}

LayoutEngine::~LayoutEngine() = default;

View& LayoutEngine::rootOf(View& view) {
    View* root = &view;
    while (root->superview_)
        root = root->superview_;
    return *root;
}

LayoutEngine* LayoutEngine::find(const View& view) { return rootOf(const_cast<View&>(view)).layoutEngine_.get(); }

LayoutEngine& LayoutEngine::ensure(View& view) {
    View& root = rootOf(view);
    if (!root.layoutEngine_)
        root.layoutEngine_ = std::make_shared<LayoutEngine>(root.sharedFromThis<View>());
    return *root.layoutEngine_;
}

LayoutEngine::ViewRecord* LayoutEngine::findRecord(const View& view) const {
    auto found = viewIndex_.find(&view);
    return found == viewIndex_.end() ? nullptr : found->second;
}

cg::Rect LayoutEngine::frameOf(const ViewRecord& record) const {
    // A negative size is applied as 0.
    return {solver_->value(record.x), solver_->value(record.y), std::max(0.0, solver_->value(record.w)),
            std::max(0.0, solver_->value(record.h))};
}

// ---------------------------------------------------------------- installing

std::shared_ptr<View> LayoutEngine::installationView(const LayoutConstraint& constraint, std::string& reason) {
    reason.clear();
    std::shared_ptr<View> first, second;
    if (!itemsOf(constraint, first, second))
        return nullptr;  // a freed item: dropped without a word
    if (!validAttributes(constraint, reason))
        return nullptr;
    auto ancestor = second ? commonAncestor(first, second) : first;
    if (!ancestor) {
        reason = "its items have no common ancestor";
        return nullptr;
    }
    if (crossesContent(*first, constraint.firstAttribute(), *ancestor) ||
        (second && crossesContent(*second, constraint.secondAttribute(), *ancestor))) {
        reason = "a position relation crosses a scroll view's content boundary";
        return nullptr;
    }
    return ancestor;
}

void LayoutEngine::install(View& view, const std::shared_ptr<LayoutConstraint>& constraint) {
    if (!constraint)
        return;
    auto installed = constraint->installedOn_.lock();
    if (installed.get() == &view)
        return;
    std::shared_ptr<View> first, second;
    if (!itemsOf(*constraint, first, second))
        return;
    std::string reason;
    auto ancestor = installationView(*constraint, reason);
    if (ancestor && !(first->isDescendant(&view) && (!second || second->isDescendant(&view))))
        reason = "the view is not a common ancestor of its items";
    if (!reason.empty()) {
        ns::log("Unable to install constraint " + constraint->description().utf8() + " on " +
                std::string(view.className()) + ": " + reason);
        return;
    }
    if (!ancestor)
        return;
    if (installed)
        uninstall(*installed, constraint);
    view.constraints_.push_back(constraint);
    constraint->installedOn_ = view.sharedFromThis<View>();
    LayoutEngine& engine = ensure(view);
    if (!engine.rebuildPending_)
        engine.pending_.push_back(constraint);
    constraint->markItemsForLayout();
}

void LayoutEngine::uninstall(View& view, const std::shared_ptr<LayoutConstraint>& constraint) {
    if (!constraint)
        return;
    auto& list = view.constraints_;
    auto found = std::find(list.begin(), list.end(), constraint);
    if (found == list.end())
        return;
    // Keeps the constraint alive while it leaves the list that may hold its last reference.
    const auto keep = constraint;
    list.erase(found);
    keep->installedOn_.reset();
    keep->conflictReported_ = false;
    if (LayoutEngine* engine = find(view))
        engine->remove(*keep);
    keep->markItemsForLayout();
}

void LayoutEngine::translatesChanged(View& view) {
    ensure(view).structureChanged();
    if (view.superview_)
        view.superview_->setNeedsLayout();
}

void LayoutEngine::intrinsicContentSizeChanged(View& view) {
    if (view.translatesAutoresizingMask_)
        return;
    LayoutEngine* engine = find(view);
    if (!engine)
        return;
    // Only a real change marks the superview, so a layoutSubviews that sets the same
    // value again settles.
    ViewRecord* record = engine->findRecord(view);
    if (record)
        record->intrinsicDirty = true;
    if (record && !engine->rebuildPending_) {
        const cg::Size size = view.intrinsicContentSize();
        bool same = true;
        for (int axis = 0; axis < 2; ++axis) {
            double value = axis == 0 ? size.width : size.height;
            bool present = std::isfinite(value) && value >= 0;
            const auto& known = record->intrinsic[axis];
            same = same && present == known.present && (!present || value == known.value);
        }
        if (same)
            return;
    }
    if (view.superview_)
        view.superview_->setNeedsLayout();
}

void LayoutEngine::contentPrioritiesChanged(View& view) {
    if (LayoutEngine* engine = find(view))
        if (ViewRecord* record = engine->findRecord(view))
            record->intrinsicDirty = true;
    if (view.superview_)
        view.superview_->setNeedsLayout();
}

bool LayoutEngine::subtreeWillMove(View& view) {
    View* oldSuperview = view.superview_;
    if (!oldSuperview)
        return view.layoutEngine_ != nullptr;
    LayoutEngine* engine = find(*oldSuperview);
    if (!engine)
        return false;
    // Constraints held above the subtree that refer into it leave with it.
    for (View* ancestor = oldSuperview; ancestor; ancestor = ancestor->superview_) {
        const auto held = ancestor->constraints_;
        for (const auto& constraint : held) {
            auto first = constraint->firstItem();
            auto second = constraint->secondItem();
            if ((first && first->isDescendant(&view)) || (second && second->isDescendant(&view)))
                uninstall(*ancestor, constraint);
        }
    }
    engine->structureChanged();
    return true;
}

namespace {

// Whether a tree holds constraints or views placed by them (its engine may be gone with
// a superview that was freed).
bool usesConstraints(const View& view) {
    if (!view.translatesAutoresizingMaskIntoConstraints() || !view.constraints().empty())
        return true;
    for (const auto& child : view.subviews())
        if (usesConstraints(*child))
            return true;
    return false;
}

} // namespace

void LayoutEngine::subtreeDidMove(View& view, bool usedConstraints) {
    View& root = rootOf(view);
    if (&root != &view && view.layoutEngine_) {
        usedConstraints = true;
        view.layoutEngine_.reset();
    }
    if (!usedConstraints && !find(root))
        usedConstraints = usesConstraints(view);
    if (usedConstraints)
        ensure(root).structureChanged();
    else if (LayoutEngine* engine = find(root))
        engine->structureChanged();
}

void LayoutEngine::updateConstraintsPass(View& view) {
    const auto root = rootOf(view).sharedFromThis<View>();
    root->updateConstraintsIfNeeded();
}

// ---------------------------------------------------------------- the pass

void LayoutEngine::layoutSubviews(View& view) {
    // Kept alive: a frame setter below may run code that rearranges the tree.
    const std::shared_ptr<LayoutEngine> engine = rootOf(view).layoutEngine_;
    if (!engine || engine->syncing_)
        return;
    engine->sync();

    const std::vector<std::shared_ptr<View>> children = view.subviews_;
    for (const auto& child : children) {
        if (child->translatesAutoresizingMask_ || child->superview_ != &view)
            continue;
        ViewRecord* record = engine->findRecord(*child);
        if (!record)
            continue;
        const cg::Rect frame = engine->frameOf(*record);
        record->lastSolved = frame;
        if (child->frame() != frame)
            child->setFrame(frame);
    }
    if (ViewRecord* record = engine->findRecord(view); record && record->content) {
        std::optional<cg::Float> extent[2];
        for (int axis = 0; axis < 2; ++axis)
            if (record->fixedCount[axis] > 0)
                extent[axis] = std::max(0.0, engine->solver_->value(record->extent[axis]));
        view.setLayoutContentSize(extent[0], extent[1]);
    }
    // A solution that moved a view elsewhere in the tree lays out that view's superview.
    for (auto& record : engine->views_) {
        if (record->pinned)
            continue;
        const cg::Rect frame = engine->frameOf(*record);
        if (record->lastSolved == frame)
            continue;
        record->lastSolved = frame;
        if (auto placed = record->view.lock(); placed && placed->superview_ && placed->superview_ != &view)
            placed->superview_->setNeedsLayout();
    }
}

void LayoutEngine::sync() {
    syncing_ = true;
    if (rebuildPending_) {
        rebuild();
    } else {
        auto pending = std::move(pending_);
        pending_.clear();
        for (const auto& constraint : pending)
            if (constraint->isActive())
                add(constraint);
    }
    refresh();
    syncing_ = false;
}

void LayoutEngine::rebuild() {
    solver_ = std::make_unique<Solver>();
    views_.clear();
    viewIndex_.clear();
    constraints_.clear();
    pending_.clear();
    rebuildPending_ = false;
    auto root = root_.lock();
    if (!root)
        return;

    std::vector<std::shared_ptr<View>> placed;
    std::vector<std::shared_ptr<LayoutConstraint>> installed;
    std::vector<std::shared_ptr<View>> stack{root};
    while (!stack.empty()) {
        auto view = std::move(stack.back());
        stack.pop_back();
        if (!view->translatesAutoresizingMask_)
            placed.push_back(view);
        installed.insert(installed.end(), view->constraints_.begin(), view->constraints_.end());
        for (auto child = view->subviews_.rbegin(); child != view->subviews_.rend(); ++child)
            stack.push_back(*child);
    }
    for (const auto& view : placed)
        record(*view);
    for (const auto& constraint : installed)
        add(constraint);
}

LayoutEngine::ViewRecord& LayoutEngine::record(View& view) {
    if (ViewRecord* existing = findRecord(view))
        return *existing;
    views_.push_back(std::make_unique<ViewRecord>());
    ViewRecord& record = *views_.back();
    viewIndex_.emplace(&view, &record);
    record.view = view.sharedFromThis<View>();
    const cg::Rect frame = view.frame();
    record.x = solver_->addVariable(frame.origin.x);
    record.y = solver_->addVariable(frame.origin.y);
    record.w = solver_->addVariable(frame.size.width);
    record.h = solver_->addVariable(frame.size.height);
    record.pinned = view.translatesAutoresizingMask_;
    if (record.pinned) {
        record.pinnedFrame = frame;
        const Variable variables[4] = {record.x, record.y, record.w, record.h};
        const double values[4] = {frame.origin.x, frame.origin.y, frame.size.width, frame.size.height};
        // Fresh variables: these cannot conflict with anything already in the solver.
        for (int i = 0; i < 4; ++i) {
            record.pins[i] = Constraint(Expression{{Term{variables[i], 1}}, -values[i]}, Relation::equal);
            solver_->addConstraint(record.pins[i]);
        }
    }
    if (auto content = view.layoutContentSize()) {
        record.content = true;
        const double values[2] = {content->width, content->height};
        for (int axis = 0; axis < 2; ++axis) {
            double value = std::isfinite(values[axis]) ? values[axis] : 0;
            record.extent[axis] = solver_->addVariable(value);
            record.extentPin[axis] =
                Constraint(Expression{{Term{record.extent[axis], 1}}, -value}, Relation::equal);
            solver_->addConstraint(record.extentPin[axis]);
        }
    }
    return record;
}

// ---------------------------------------------------------------- constraints

bool LayoutEngine::build(ConstraintRecord& record) {
    const LayoutConstraint& constraint = *record.constraint;
    std::shared_ptr<View> first, second;
    if (!itemsOf(constraint, first, second))
        return false;
    std::string reason;
    if (!validAttributes(constraint, reason))
        return false;
    auto ancestor = second ? commonAncestor(first, second) : first;
    if (!ancestor)
        return false;

    record.terms.clear();
    auto addTerms = [&](View& item, Attribute attribute, double factor) {
        attribute = normalised(attribute);
        ViewRecord& own = this->record(item);
        const bool horizontal = axisOf(attribute) == Axis::x || attribute == Attribute::width;
        if (attribute == Attribute::width || attribute == Attribute::height) {
            record.terms.push_back({horizontal ? own.w : own.h, factor});
            return;
        }
        const bool far = isFarEdge(attribute);
        const bool centre = attribute == Attribute::centerX || attribute == Attribute::centerY;
        if (&item == ancestor.get()) {
            // The ancestor's own edges as its subviews see them: 0 and its extent.
            const int axis = horizontal ? 0 : 1;
            Variable extent = own.content ? own.extent[axis] : (horizontal ? own.w : own.h);
            if (far) {
                record.terms.push_back({extent, factor});
                if (own.content) {
                    record.fixes = &own;
                    record.fixesAxis[axis] = true;
                }
            } else if (centre) {
                record.terms.push_back({extent, 0.5 * factor});
            }
            return;
        }
        for (View* view = &item; view && view != ancestor.get(); view = view->superview_) {
            ViewRecord& link = this->record(*view);
            record.terms.push_back({horizontal ? link.x : link.y, factor});
        }
        if (far)
            record.terms.push_back({horizontal ? own.w : own.h, factor});
        else if (centre)
            record.terms.push_back({horizontal ? own.w : own.h, 0.5 * factor});
    };
    addTerms(*first, constraint.firstAttribute(), 1.0);
    if (second)
        addTerms(*second, constraint.secondAttribute(), -constraint.multiplier());
    if (record.fixes) {
        for (int axis = 0; axis < 2; ++axis) {
            if (!record.fixesAxis[axis])
                continue;
            // The far edge now comes from constraints: the extent is free from here on.
            if (record.fixes->fixedCount[axis]++ == 0 && solver_->hasConstraint(record.fixes->extentPin[axis]))
                solver_->removeConstraint(record.fixes->extentPin[axis]);
        }
    }
    return true;
}

double LayoutEngine::offsetOf(ConstraintRecord& record) const {
    const LayoutConstraint& constraint = *record.constraint;
    double offset = -constraint.constant();
    if (auto first = constraint.firstItem())
        offset += marginOffset(*first, constraint.firstAttribute());
    if (constraint.secondAttribute() != Attribute::notAnAttribute)
        if (auto second = constraint.secondItem())
            offset -= constraint.multiplier() * marginOffset(*second, constraint.secondAttribute());
    return offset;
}

void LayoutEngine::add(const std::shared_ptr<LayoutConstraint>& constraint) {
    for (const auto& existing : constraints_)
        if (existing->constraint == constraint)
            return;
    auto record = std::make_unique<ConstraintRecord>();
    record->constraint = constraint;
    if (!build(*record)) {
        // An item has been freed: the constraint goes without a word.
        if (auto holder = constraint->installedOn_.lock()) {
            auto& list = holder->constraints_;
            list.erase(std::remove(list.begin(), list.end(), constraint), list.end());
        }
        constraint->installedOn_.reset();
        return;
    }
    tryEnter(*record);
    constraints_.push_back(std::move(record));
}

void LayoutEngine::tryEnter(ConstraintRecord& record) {
    const LayoutConstraint& constraint = *record.constraint;
    record.appliedPriority = clampedPriority(constraint.priority());
    record.solverConstraint = Constraint(Expression{record.terms, offsetOf(record)},
                                         solverRelation(constraint.relation()), record.appliedPriority);
    if (solver_->addConstraint(record.solverConstraint) == Solver::Status::ok) {
        record.inSolver = true;
        record.constraint->conflictReported_ = false;
        return;
    }
    record.inSolver = false;
    if (!record.constraint->conflictReported_) {
        record.constraint->conflictReported_ = true;
        ns::log("Unable to satisfy constraint " + constraint.description().utf8() + "; it is not enforced");
    }
}

void LayoutEngine::conflict(ConstraintRecord& record) {
    if (record.inSolver)
        solver_->removeConstraint(record.solverConstraint);
    record.inSolver = false;
    if (!record.constraint->conflictReported_) {
        record.constraint->conflictReported_ = true;
        ns::log("Unable to satisfy constraint " + record.constraint->description().utf8() + "; it is not enforced");
    }
}

void LayoutEngine::leave(ConstraintRecord& record) {
    if (record.inSolver)
        solver_->removeConstraint(record.solverConstraint);
    record.inSolver = false;
    if (record.fixes)
        for (int axis = 0; axis < 2; ++axis)
            if (record.fixesAxis[axis])
                --record.fixes->fixedCount[axis];
}

void LayoutEngine::remove(const LayoutConstraint& constraint) {
    pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                  [&](const auto& pending) { return pending.get() == &constraint; }),
                   pending_.end());
    auto found = std::find_if(constraints_.begin(), constraints_.end(),
                              [&](const auto& record) { return record->constraint.get() == &constraint; });
    if (found == constraints_.end())
        return;
    if (!rebuildPending_)
        leave(**found);
    constraints_.erase(found);
}

// ---------------------------------------------------------------- refreshing inputs

void LayoutEngine::refresh() {
    bool pinsFailed = false;
    for (auto& record : views_) {
        auto view = record->view.lock();
        if (!view)
            continue;
        if (record->pinned)
            refreshPins(*record, *view, pinsFailed);
        else if (record->intrinsicDirty)
            refreshIntrinsic(*record, *view);
        if (record->content)
            refreshContent(*record, *view);
    }
    if (pinsFailed) {
        // A frame set in code contradicts a required constraint: start again with the
        // frames first, so the constraint is the one left out.
        rebuild();
        bool ignored = false;
        for (auto& record : views_)
            if (auto view = record->view.lock()) {
                if (record->pinned)
                    refreshPins(*record, *view, ignored);
                else
                    refreshIntrinsic(*record, *view);
                if (record->content)
                    refreshContent(*record, *view);
            }
    }
    for (auto& record : constraints_) {
        if (!record->inSolver) {
            tryEnter(*record);
            continue;
        }
        const double offset = offsetOf(*record);
        if (offset != record->solverConstraint.constant() &&
            solver_->setConstant(record->solverConstraint, offset) != Solver::Status::ok) {
            conflict(*record);
            continue;
        }
        const float priority = clampedPriority(record->constraint->priority());
        if (priority != record->appliedPriority) {
            record->appliedPriority = priority;
            if (solver_->setPriority(record->solverConstraint, priority) != Solver::Status::ok)
                conflict(*record);
        }
    }
    solver_->updateVariables();
}

void LayoutEngine::refreshPins(ViewRecord& record, View& view, bool& failed) {
    const cg::Rect frame = view.frame();
    if (frame == record.pinnedFrame)
        return;
    record.pinnedFrame = frame;
    const double values[4] = {frame.origin.x, frame.origin.y, frame.size.width, frame.size.height};
    for (int i = 0; i < 4; ++i)
        if (-values[i] != record.pins[i].constant() && solver_->setConstant(record.pins[i], -values[i]) != Solver::Status::ok)
            failed = true;
}

void LayoutEngine::refreshIntrinsic(ViewRecord& record, View& view) {
    record.intrinsicDirty = false;
    const cg::Size size = view.intrinsicContentSize();
    for (int axis = 0; axis < 2; ++axis) {
        const auto layoutAxis = axis == 0 ? LayoutConstraint::Axis::horizontal : LayoutConstraint::Axis::vertical;
        const double value = axis == 0 ? size.width : size.height;
        const bool present = std::isfinite(value) && value >= 0;
        const float hugging = clampedPriority(view.contentHuggingPriority(layoutAxis));
        const float compression = clampedPriority(view.contentCompressionResistancePriority(layoutAxis));
        auto& intrinsic = record.intrinsic[axis];
        const Variable dimension = axis == 0 ? record.w : record.h;
        if (present != intrinsic.present) {
            if (intrinsic.present) {
                solver_->removeConstraint(intrinsic.hug);
                solver_->removeConstraint(intrinsic.compress);
            }
            intrinsic.present = present;
            if (present) {
                intrinsic.value = value;
                intrinsic.hugging = hugging;
                intrinsic.compression = compression;
                intrinsic.hug = Constraint(Expression{{Term{dimension, 1}}, -value}, Relation::lessThanOrEqual, hugging);
                intrinsic.compress =
                    Constraint(Expression{{Term{dimension, 1}}, -value}, Relation::greaterThanOrEqual, compression);
                // A required hugging or compression that contradicts is left out.
                solver_->addConstraint(intrinsic.hug);
                solver_->addConstraint(intrinsic.compress);
            }
            continue;
        }
        if (!present)
            continue;
        if (value != intrinsic.value) {
            intrinsic.value = value;
            for (Constraint* c : {&intrinsic.hug, &intrinsic.compress}) {
                if (solver_->hasConstraint(*c)) {
                    if (solver_->setConstant(*c, -value) != Solver::Status::ok)
                        solver_->removeConstraint(*c);
                } else {
                    *c = Constraint(Expression{{Term{dimension, 1}}, -value}, c->relation(), c->priority());
                    solver_->addConstraint(*c);
                }
            }
        }
        if (hugging != intrinsic.hugging) {
            intrinsic.hugging = hugging;
            if (solver_->setPriority(intrinsic.hug, hugging) != Solver::Status::ok)
                solver_->removeConstraint(intrinsic.hug);
        }
        if (compression != intrinsic.compression) {
            intrinsic.compression = compression;
            if (solver_->setPriority(intrinsic.compress, compression) != Solver::Status::ok)
                solver_->removeConstraint(intrinsic.compress);
        }
    }
}

void LayoutEngine::refreshContent(ViewRecord& record, View& view) {
    const cg::Size content = view.layoutContentSize().value_or(cg::Size{});
    const double values[2] = {content.width, content.height};
    for (int axis = 0; axis < 2; ++axis) {
        const double value = std::isfinite(values[axis]) ? values[axis] : 0;
        Constraint& pin = record.extentPin[axis];
        const bool pinnedNow = solver_->hasConstraint(pin);
        if (record.fixedCount[axis] > 0) {
            if (pinnedNow)
                solver_->removeConstraint(pin);
            continue;
        }
        if (!pinnedNow) {
            pin = Constraint(Expression{{Term{record.extent[axis], 1}}, -value}, Relation::equal);
            solver_->addConstraint(pin);
        } else if (-value != pin.constant()) {
            solver_->setConstant(pin, -value);
        }
    }
}

} // namespace pellavo::ui::layout
