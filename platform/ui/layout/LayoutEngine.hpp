#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ui/layout/LayoutConstraint.hpp"
#include "platform/ui/layout/Solver.hpp"

namespace pellavo::ui {
class View;
}

namespace pellavo::ui::layout {

// The constraint layout of one view tree: one solver, kept by the root of the tree (a
// window, or the top of a tree outside any window).
//
// Every view the constraints touch has four variables, x, y, w and h, in its
// superview's content coordinates. An attribute of an item is summed along the chain of
// superviews up to the nearest common ancestor of the constraint's items; that ancestor's
// own edges, as its subviews see them, are 0 and its width (or its content width, for a
// view with a scrolled content area). A view that translates its autoresizing mask
// into constraints enters with its frame as required values; a view placed by
// constraints adds its intrinsic size at its hugging and compression priorities.
//
// Hierarchy changes and switches of translatesAutoresizingMaskIntoConstraints rebuild
// the solver at the next pass; activation adds incrementally; constants, priorities,
// margins, frames and intrinsic sizes are refreshed in place on every pass.
class PELLAVO_EXPORT LayoutEngine {
public:
    explicit LayoutEngine(const std::shared_ptr<View>& root);
    ~LayoutEngine();
    LayoutEngine(const LayoutEngine&) = delete;
    LayoutEngine& operator=(const LayoutEngine&) = delete;

    // ---- entry points for views and constraints
    // Installs on `view` when it is a common ancestor of the items and the relation is
    // sound; logs and refuses otherwise.
    static void install(View& view, const std::shared_ptr<LayoutConstraint>& constraint);
    static void uninstall(View& view, const std::shared_ptr<LayoutConstraint>& constraint);
    // Where activation installs the constraint, or null with the reason.
    static std::shared_ptr<View> installationView(const LayoutConstraint& constraint, std::string& reason);
    static void translatesChanged(View& view);
    // Intrinsic sizes are read when a view enters and again after these.
    static void intrinsicContentSizeChanged(View& view);
    static void contentPrioritiesChanged(View& view);
    // The base layoutSubviews: refreshes the inputs, solves, and sets the frames of the
    // view's constraint-placed subviews through the normal setter.
    static void layoutSubviews(View& view);
    // Runs updateConstraintsIfNeeded over the whole tree the view is in.
    static void updateConstraintsPass(View& view);
    // Around a change of superview: the first deactivates constraints outside the
    // moving subtree that refer into it and answers whether constraints were in play;
    // the second hands that on to the tree the view ends up in.
    static bool subtreeWillMove(View& view);
    static void subtreeDidMove(View& view, bool usedConstraints);

private:
    struct ViewRecord;
    struct ConstraintRecord;
    struct Chain;

    static LayoutEngine* find(const View& view);
    static LayoutEngine& ensure(View& view);
    static View& rootOf(View& view);

    void structureChanged() { rebuildPending_ = true; }
    void sync();
    void rebuild();
    void refresh();
    ViewRecord& record(View& view);
    ViewRecord* findRecord(const View& view) const;
    void addPins(ViewRecord& record);
    void refreshPins(ViewRecord& record, View& view, bool& failed);
    void refreshIntrinsic(ViewRecord& record, View& view);
    void refreshContent(ViewRecord& record, View& view);
    void add(const std::shared_ptr<LayoutConstraint>& constraint);
    bool build(ConstraintRecord& record);
    double offsetOf(ConstraintRecord& record) const;
    void tryEnter(ConstraintRecord& record);
    void leave(ConstraintRecord& record);
    void conflict(ConstraintRecord& record);
    void remove(const LayoutConstraint& constraint);
    cg::Rect frameOf(const ViewRecord& record) const;

    std::weak_ptr<View> root_;
    std::unique_ptr<Solver> solver_;
    // In the order they entered, so every pass walks them the same way.
    std::vector<std::unique_ptr<ViewRecord>> views_;
    std::unordered_map<const View*, ViewRecord*> viewIndex_;
    std::vector<std::unique_ptr<ConstraintRecord>> constraints_;
    std::vector<std::shared_ptr<LayoutConstraint>> pending_;
    bool rebuildPending_ = true;
    bool syncing_ = false;
};

} // namespace pellavo::ui::layout
