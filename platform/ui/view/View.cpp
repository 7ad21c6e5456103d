#include "platform/ui/view/View.hpp"

#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Coder.hpp"

#include <algorithm>
#include <cmath>

#include "platform/ui/view/DisplayCycle.hpp"
#include "platform/ui/gesture/GestureRecognizer.hpp"
#include "platform/ui/graphics/GraphicsContext.hpp"
#include "platform/ui/view/Screen.hpp"
#include "platform/ui/controller/ViewController.hpp"
#include "platform/ui/view/Window.hpp"
#include "platform/ui/layout/LayoutEngine.hpp"

namespace pellavo::ui {

namespace {

ca::ContentsGravity gravityFor(View::ContentMode mode) {
    using G = ca::ContentsGravity;
    switch (mode) {
    case View::ContentMode::scaleToFill: return G::resize;
    case View::ContentMode::scaleAspectFit: return G::resizeAspect;
    case View::ContentMode::scaleAspectFill: return G::resizeAspectFill;
    case View::ContentMode::redraw: return G::resize;
    case View::ContentMode::center: return G::center;
    case View::ContentMode::top: return G::top;
    case View::ContentMode::bottom: return G::bottom;
    case View::ContentMode::left: return G::left;
    case View::ContentMode::right: return G::right;
    case View::ContentMode::topLeft: return G::topLeft;
    case View::ContentMode::topRight: return G::topRight;
    case View::ContentMode::bottomLeft: return G::bottomLeft;
    case View::ContentMode::bottomRight: return G::bottomRight;
    }
    return G::resize;
}

// Runs fn on the view and every view under it, parents first, over snapshots.
template <class Fn>
void forEachInTree(const std::shared_ptr<View>& view, const Fn& fn) {
    fn(*view);
    const std::vector<std::shared_ptr<View>> children = view->subviews();
    for (const auto& child : children) forEachInTree(child, fn);
}

} // namespace

// ---------------------------------------------------------------- life

View::View(const cg::Rect& frame) : layer_(ns::make<ca::Layer>()) {
    DisplayCycle::install();
    applyFrame(frame);
}

View::View(const ns::Coder& coder) : View(coder.decode<cg::Rect>(ns::Coder::frameKey).value_or(cg::Rect{})) {
    decodedSubviews_ = coder.decode<std::vector<std::shared_ptr<View>>>(ns::Coder::subviewsKey).value_or(
        std::vector<std::shared_ptr<View>>{});
}

View::~View() {
    // Subviews that outlive this view no longer have a superview.
    for (const auto& child : subviews_) child->superview_ = nullptr;
}

void View::init() {
    Responder::init();
    auto made = makeLayer();
    if (made && made != layer_) {
        // Whatever a constructor set on the provisional layer carries over.
        const ca::Layer& old = *layer_;
        made->setBounds(old.bounds());
        made->setPosition(old.position());
        made->setAnchorPoint(old.anchorPoint());
        made->setTransform(old.transform());
        made->setOpacity(old.opacity());
        made->setIsHidden(old.isHidden());
        made->setBackgroundColor(old.backgroundColor());
        made->setMasksToBounds(old.masksToBounds());
        made->setCornerRadius(old.cornerRadius());
        made->setBorderWidth(old.borderWidth());
        made->setBorderColor(old.borderColor());
        made->setShadowColor(old.shadowColor());
        made->setShadowOpacity(old.shadowOpacity());
        made->setShadowOffset(old.shadowOffset());
        made->setShadowRadius(old.shadowRadius());
        made->setContentsGravity(old.contentsGravity());
        layer_ = std::move(made);
    }
    layer_->setContentsScale(Screen::main().scale());
    layer_->setDelegate(std::weak_ptr<ca::LayerDelegate>(sharedFromThis<View>()));
    layer_->setNeedsLayout();
    if (drawsContent_) layer_->setNeedsDisplay();
    // addSubview needs this view in its shared pointer, so decoded subviews join here.
    auto decoded = std::move(decodedSubviews_);
    decodedSubviews_.clear();
    for (const auto& subview : decoded) addSubview(subview);
}

std::shared_ptr<ca::Layer> View::makeLayer() { return ns::make<ca::Layer>(); }

// ---------------------------------------------------------------- geometry

void View::applyFrame(const cg::Rect& frame) {
    if (!frame.isFinite()) return;
    const cg::Rect old = layer_->bounds();
    layer_->setFrame(frame.standardized());
    boundsDidChange(old);
}

void View::setFrame(const cg::Rect& frame) { applyFrame(frame); }

void View::setBounds(const cg::Rect& bounds) {
    if (!bounds.isFinite()) return;
    const cg::Rect old = layer_->bounds();
    layer_->setBounds(bounds);
    boundsDidChange(old);
}

void View::boundsDidChange(const cg::Rect& oldBounds) {
    const cg::Size size = layer_->bounds().size;
    if (size == oldBounds.size) return;
    autoresizeSubviews(oldBounds.size, size);
    setNeedsLayout();
    if (contentMode_ == ContentMode::redraw) setNeedsDisplay();
}

void View::setCenter(cg::Point center) {
    if (!center.isFinite()) return;
    layer_->setPosition(center);
}

cg::AffineTransform View::transform() const { return layer_->transform().affineTransform(); }

void View::setTransform(const cg::AffineTransform& transform) {
    if (!transform.isFinite()) return;
    layer_->setTransform(ca::Transform3D::makeAffineTransform(transform));
}

namespace {

// Shares `delta` among the flexible parts of one axis in proportion to their sizes,
// equally when they are all empty. Returns the changes of the leading margin and
// of the size.
std::pair<cg::Float, cg::Float> share(cg::Float delta, cg::Float lead, cg::Float size, cg::Float trail,
                                      bool flexLead, bool flexSize, bool flexTrail) {
    const int count = int(flexLead) + int(flexSize) + int(flexTrail);
    if (count == 0 || delta == 0) return {0, 0};
    const cg::Float wLead = flexLead ? std::max<cg::Float>(lead, 0) : 0;
    const cg::Float wSize = flexSize ? std::max<cg::Float>(size, 0) : 0;
    const cg::Float wTrail = flexTrail ? std::max<cg::Float>(trail, 0) : 0;
    const cg::Float total = wLead + wSize + wTrail;
    if (total > 0) return {delta * wLead / total, delta * wSize / total};
    return {flexLead ? delta / count : 0, flexSize ? delta / count : 0};
}

} // namespace

void View::autoresizeSubviews(cg::Size oldSize, cg::Size newSize) {
    if (!autoresizesSubviews_ || subviews_.empty()) return;
    using M = AutoresizingMask;
    const cg::Float dw = newSize.width - oldSize.width;
    const cg::Float dh = newSize.height - oldSize.height;
    const std::vector<std::shared_ptr<View>> children = subviews_;
    for (const auto& child : children) {
        const M mask = child->autoresizingMask_;
        if (!any(mask) || !child->translatesAutoresizingMask_ || child->superview_ != this) continue;
        const cg::Rect f = child->frame();
        const auto [dx, dWidth] = share(dw, f.origin.x, f.size.width, oldSize.width - f.origin.x - f.size.width,
                                        any(mask & M::flexibleLeftMargin), any(mask & M::flexibleWidth),
                                        any(mask & M::flexibleRightMargin));
        const auto [dy, dHeight] = share(dh, f.origin.y, f.size.height, oldSize.height - f.origin.y - f.size.height,
                                         any(mask & M::flexibleTopMargin), any(mask & M::flexibleHeight),
                                         any(mask & M::flexibleBottomMargin));
        if (dx == 0 && dy == 0 && dWidth == 0 && dHeight == 0) continue;
        // A shrinking parent never turns a child inside out.
        child->setFrame({f.origin.x + dx, f.origin.y + dy, std::max<cg::Float>(f.size.width + dWidth, 0),
                         std::max<cg::Float>(f.size.height + dHeight, 0)});
    }
}

// ---------------------------------------------------------------- appearance

double View::alpha() const {
    // The view keeps the double it was given while the layer still shows it.
    const float opacity = layer_->opacity();
    return static_cast<float>(alpha_) == opacity ? alpha_ : opacity;
}

void View::setAlpha(double alpha) {
    if (std::isnan(alpha)) return;
    alpha_ = std::clamp(alpha, 0.0, 1.0);
    layer_->setOpacity(static_cast<float>(alpha_));
}

void View::setIsHidden(bool hidden) { layer_->setIsHidden(hidden); }

std::optional<Color> View::backgroundColor() const {
    const auto color = layer_->backgroundColor();
    if (!color) return std::nullopt;
    return Color(*color);
}

void View::setBackgroundColor(std::optional<Color> color) {
    layer_->setBackgroundColor(color ? std::optional<cg::Color>(color->cgColor()) : std::nullopt);
}

void View::setContentMode(ContentMode mode) {
    contentMode_ = mode;
    layer_->setContentsGravity(gravityFor(mode));
}

// ---------------------------------------------------------------- tint

Color View::tintColor() const {
    for (const View* view = this; view; view = view->superview_)
        if (view->tintColor_) return *view->tintColor_;
    return defaultTintColor();
}

void View::setTintColor(std::optional<Color> color) {
    const Color before = tintColor();
    tintColor_ = color;
    if (!(tintColor() == before)) notifyTintChange();
}

void View::notifyTintChange() {
    tintColorDidChange();
    const std::vector<std::shared_ptr<View>> children = subviews_;
    for (const auto& child : children)
        if (child->superview_ == this && !child->tintColor_) child->notifyTintChange();
}

// ---------------------------------------------------------------- hierarchy

std::shared_ptr<Window> View::window() const {
    const View* root = rootView();
    if (auto* window = dynamic_cast<const Window*>(root))
        return std::const_pointer_cast<Window>(window->sharedFromThis<Window>());
    return nullptr;
}

const View* View::rootView() const {
    const View* view = this;
    while (view->superview_) view = view->superview_;
    return view;
}

bool View::isDescendant(const View* ancestor) const {
    if (!ancestor) return false;
    for (const View* view = this; view; view = view->superview_)
        if (view == ancestor) return true;
    return false;
}

void View::addSubview(const std::shared_ptr<View>& view) {
    if (!view) return;
    if (view->superview_ == this) {
        reorderSubview(view, subviews_.size());
        return;
    }
    attachSubview(view, subviews_.size());
}

void View::insertSubview(const std::shared_ptr<View>& view, std::ptrdiff_t index) {
    if (!view) return;
    const std::size_t clamped = index <= 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(index), subviews_.size());
    if (view->superview_ == this)
        reorderSubview(view, clamped);
    else
        attachSubview(view, clamped);
}

void View::insertSubviewBelow(const std::shared_ptr<View>& view, const std::shared_ptr<View>& sibling) {
    if (!view) return;
    const auto it = std::find(subviews_.begin(), subviews_.end(), sibling);
    if (it == subviews_.end() || view == sibling) {
        insertSubview(view, 0);
        return;
    }
    std::ptrdiff_t index = it - subviews_.begin();
    // Moving a subview that sits below the sibling shifts the sibling down by one.
    if (view->superview_ == this &&
        std::find(subviews_.begin(), it, view) != it)
        --index;
    insertSubview(view, index);
}

void View::insertSubviewAbove(const std::shared_ptr<View>& view, const std::shared_ptr<View>& sibling) {
    if (!view) return;
    const auto it = std::find(subviews_.begin(), subviews_.end(), sibling);
    if (it == subviews_.end() || view == sibling) {
        addSubview(view);
        return;
    }
    std::ptrdiff_t index = it - subviews_.begin() + 1;
    if (view->superview_ == this && std::find(subviews_.begin(), it, view) != it) --index;
    insertSubview(view, index);
}

void View::bringSubviewToFront(const std::shared_ptr<View>& view) {
    if (view && view->superview_ == this) reorderSubview(view, subviews_.size());
}

void View::sendSubviewToBack(const std::shared_ptr<View>& view) {
    if (view && view->superview_ == this) reorderSubview(view, 0);
}

void View::placeLayer(const std::shared_ptr<View>& view, std::size_t index) {
    // subviews_ already holds the view at `index`; its layer goes below the layer of
    // the next subview, or on top of every sublayer when it is the front view.
    if (index + 1 < subviews_.size())
        layer_->insertSublayerBelow(view->layer_, subviews_[index + 1]->layer_);
    else
        layer_->addSublayer(view->layer_);
}

void View::reorderSubview(const std::shared_ptr<View>& view, std::size_t index) {
    const auto it = std::find(subviews_.begin(), subviews_.end(), view);
    if (it == subviews_.end()) return;
    subviews_.erase(it);
    index = std::min(index, subviews_.size());
    subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), view);
    placeLayer(view, index);
}

void View::attachSubview(const std::shared_ptr<View>& view, std::size_t index) {
    // Refuses the view itself and any ancestor: the tree would close a cycle.
    if (view.get() == this || isDescendant(view.get())) return;
    ns::checkInitialised(*view);
    const auto self = sharedFromThis<View>();
    const auto oldSuperview = view->superview();
    const auto oldWindow = view->window();
    const auto newWindow = window();
    const Color tintBefore = view->tintColor();

    view->willMoveToSuperview(self);
    if (oldWindow != newWindow) {
        resignResponderLeaving(oldWindow, *view);
        forEachInTree(view, [&](View& v) { v.willMoveToWindow(newWindow); });
    }
    // A hook may have rearranged the trees.
    if (isDescendant(view.get())) return;

    const bool usedConstraints = layout::LayoutEngine::subtreeWillMove(*view);
    if (oldSuperview && view->superview_ == oldSuperview.get()) {
        oldSuperview->willRemoveSubview(view);
        auto& siblings = oldSuperview->subviews_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), view), siblings.end());
        oldSuperview->setNeedsLayout();
    }
    if (view->superview_ == this) return; // a hook already put it here
    index = std::min(index, subviews_.size());
    subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), view);
    view->superview_ = this;
    view->superviewRef_ = self;
    placeLayer(view, index);
    layout::LayoutEngine::subtreeDidMove(*view, usedConstraints);

    if (oldWindow != newWindow) forEachInTree(view, [](View& v) { v.didMoveToWindow(); });
    view->didMoveToSuperview();
    didAddSubview(view);
    setNeedsLayout();
    if (!(view->tintColor() == tintBefore)) view->notifyTintChange();
}

// The old window's first responder, when it is in the subtree about to leave,
// resigns while it is still in the window.
void View::resignResponderLeaving(const std::shared_ptr<Window>& oldWindow, View& subtree) {
    if (!oldWindow) return;
    const auto responder = oldWindow->firstResponder();
    const auto* view = dynamic_cast<const View*>(responder.get());
    if (view == nullptr || !view->isDescendant(&subtree)) return;
    responder->leaveWindowAsFirstResponder();
}

void View::removeFromSuperview() {
    const auto superview = this->superview();
    if (!superview || superview_ != superview.get()) return;
    const auto self = sharedFromThis<View>(); // the superview may hold the last reference
    const auto oldWindow = window();
    const Color tintBefore = tintColor();

    superview->willRemoveSubview(self);
    willMoveToSuperview(nullptr);
    if (oldWindow) {
        resignResponderLeaving(oldWindow, *this);
        forEachInTree(self, [](View& v) { v.willMoveToWindow(nullptr); });
    }
    if (superview_ != superview.get()) return; // a hook moved it already

    const bool usedConstraints = layout::LayoutEngine::subtreeWillMove(*this);
    auto& siblings = superview->subviews_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), self), siblings.end());
    if (layer_->superlayer() == superview->layer_) layer_->removeFromSuperlayer();
    superview_ = nullptr;
    superviewRef_.reset();
    layout::LayoutEngine::subtreeDidMove(*this, usedConstraints);

    if (oldWindow) forEachInTree(self, [](View& v) { v.didMoveToWindow(); });
    didMoveToSuperview();
    superview->setNeedsLayout();
    if (!(tintColor() == tintBefore)) notifyTintChange();
}

std::shared_ptr<View> View::viewWithTag(int tag) {
    if (tag_ == tag) return sharedFromThis<View>();
    for (const auto& child : subviews_)
        if (auto found = child->viewWithTag(tag)) return found;
    return nullptr;
}

std::shared_ptr<Responder> View::nextResponder() const {
    if (auto controller = owningViewController_.lock()) return controller;
    return superview();
}

// ---------------------------------------------------------------- recognisers

void View::addGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer) {
    if (!recognizer || std::find(recognizers_.begin(), recognizers_.end(), recognizer) != recognizers_.end()) return;
    ns::checkInitialised(*recognizer);
    // A recogniser belongs to one view: adding it elsewhere moves it.
    if (auto previous = recognizer->view(); previous && previous.get() != this)
        previous->removeGestureRecognizer(recognizer);
    recognizers_.push_back(recognizer);
    recognizer->moveToView(this);
}

void View::removeGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer) {
    if (!recognizer) return;
    const auto found = std::find(recognizers_.begin(), recognizers_.end(), recognizer);
    if (found == recognizers_.end()) return;
    recognizers_.erase(found);
    recognizer->moveToView(nullptr);
}

// ---------------------------------------------------------------- layout and display

void View::layoutIfNeeded() { DisplayCycle::layoutTree(*layer_); }

void View::layoutSublayers(ca::Layer& layer) {
    if (&layer != layer_.get()) return;
    // A root view's controller wraps its layout.
    const auto controller = owningViewController_.lock();
    if (controller) controller->viewWillLayoutSubviews();
    layoutSubviews();
    if (controller) controller->viewDidLayoutSubviews();
}

void View::setNeedsDisplay() { layer_->setNeedsDisplay(); }

void View::invalidate(Invalidate what) {
    const auto has = [what](Invalidate flag) {
        return (static_cast<unsigned>(what) & static_cast<unsigned>(flag)) != 0;
    };
    if (has(Invalidate::display)) setNeedsDisplay();
    if (has(Invalidate::layout)) setNeedsLayout();
    if (has(Invalidate::intrinsicSize)) invalidateIntrinsicContentSize();
}

void View::setNeedsDisplay(const cg::Rect& rect) { layer_->setNeedsDisplay(rect); }

void View::displayIfNeeded() {
    if (!layer_->bounds().isEmpty()) layer_->displayIfNeeded();
}

void View::draw(const ca::Layer& layer, cg::Context& context) {
    if (&layer != layer_.get()) return;
    graphicsPushContext(context);
    draw(layer_->displayRect());
    graphicsPopContext();
}

std::optional<std::shared_ptr<ca::Action>> View::action(ca::Layer& layer, std::string_view key) {
    if (&layer != layer_.get()) return std::nullopt;
    return animationAction(key);
}

// ---------------------------------------------------------------- sizing

cg::Size View::sizeThatFits(cg::Size size) const {
    (void)size;
    return bounds().size;
}

void View::sizeToFit() {
    const cg::Size size = sizeThatFits(bounds().size);
    const cg::Rect old = frame();
    setFrame({old.origin, size});
}

// ---------------------------------------------------------------- hit-testing

bool View::pointInside(cg::Point point, const Event* event) const {
    (void)event;
    return bounds().contains(point);
}

std::shared_ptr<View> View::hitTest(cg::Point point, const Event* event) {
    if (isHidden() || layer_->opacity() < 0.01f || !userInteractionEnabled_) return nullptr;
    if (!(std::fabs(layer_->transform().flattened().determinant()) >= 1e-12)) return nullptr;
    if (isInteractionBlockedByAnimation()) return nullptr;
    if (!pointInside(point, event)) return nullptr;
    // Front to back; by index, so a hit-test override that rearranges stays in range.
    for (std::size_t i = subviews_.size(); i-- > 0;) {
        if (i >= subviews_.size()) continue;
        const std::shared_ptr<View> child = subviews_[i];
        if (auto hit = child->hitTest(child->pointFromSuperview(point), event)) return hit;
    }
    return std::static_pointer_cast<View>(shared_from_this());
}

// ---------------------------------------------------------------- conversion

cg::Point View::pointToSuperview(cg::Point point) const { return point.applying(layer_->transformToSuperlayer()); }

cg::Point View::pointFromSuperview(cg::Point point) const {
    const ca::Layer& l = *layer_;
    cg::AffineTransform f = l.transform().flattened();
    f = f.isInvertible() ? f.inverted() : cg::AffineTransform::identity();
    const cg::Rect b = l.bounds();
    const cg::Point a = l.anchorPoint();
    const cg::Point local = (point - l.position()).applying(f);
    return {local.x + b.origin.x + a.x * b.size.width, local.y + b.origin.y + a.y * b.size.height};
}

cg::Point View::convertToScreen(cg::Point point) const {
    const View* view = this;
    for (; view->superview_; view = view->superview_) point = view->pointToSuperview(point);
    return view->pointToSuperview(point);
}

cg::Point View::convertFromScreen(cg::Point point) const {
    std::vector<const View*> chain;
    for (const View* view = this; view; view = view->superview_) chain.push_back(view);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) point = (*it)->pointFromSuperview(point);
    return point;
}

cg::Point View::convertTo(cg::Point point, const View* view) const {
    if (!view) view = rootView();
    if (view == this) return point;
    // Up from here to the nearest common ancestor, then down to the target.
    std::vector<const View*> targetChain; // the target and its ancestors, nearest first
    for (const View* v = view; v; v = v->superview_) targetChain.push_back(v);
    const View* v = this;
    for (; v; v = v->superview_) {
        const auto it = std::find(targetChain.begin(), targetChain.end(), v);
        if (it != targetChain.end()) {
            for (auto down = std::make_reverse_iterator(it); down != targetChain.rend(); ++down)
                point = (*down)->pointFromSuperview(point);
            return point;
        }
        if (!v->superview_) break;
        point = v->pointToSuperview(point);
    }
    // Different trees: through the screen.
    point = v->pointToSuperview(point);
    for (auto down = targetChain.rbegin(); down != targetChain.rend(); ++down) point = (*down)->pointFromSuperview(point);
    return point;
}

cg::Point View::convertFrom(cg::Point point, const View* view) const {
    if (!view) view = rootView();
    return view->convertTo(point, this);
}

namespace {

template <class Map>
cg::Rect convertCorners(const cg::Rect& rect, const Map& map) {
    if (rect.isNull()) return rect;
    return rect.mappedBounds(map);
}

} // namespace

cg::Rect View::convertTo(const cg::Rect& rect, const View* view) const {
    return convertCorners(rect, [&](cg::Point p) { return convertTo(p, view); });
}

cg::Rect View::convertFrom(const cg::Rect& rect, const View* view) const {
    return convertCorners(rect, [&](cg::Point p) { return convertFrom(p, view); });
}

// ---------------------------------------------------------------- runtime

namespace {

// Known by name to interface files and to key-value setting as soon as the library loads.
[[maybe_unused]] const auto registration =
    ns::ClassRegistration<View>("UIView", "UIResponder")
        .property<std::optional<Color>>("backgroundColor", &View::backgroundColor, &View::setBackgroundColor)
        .property<double>("alpha", &View::alpha, &View::setAlpha)
        .property<bool>("hidden", &View::isHidden, &View::setIsHidden)
        .property<int>("tag", &View::tag, &View::setTag)
        .property<bool>("clipsToBounds", &View::clipsToBounds, &View::setClipsToBounds)
        .property<bool>("userInteractionEnabled", &View::isUserInteractionEnabled,
                        &View::setIsUserInteractionEnabled)
        .property<View::ContentMode>("contentMode", &View::contentMode, &View::setContentMode)
        .property<View::AutoresizingMask>("autoresizingMask", &View::autoresizingMask, &View::setAutoresizingMask)
        .property<bool>("translatesAutoresizingMaskIntoConstraints", &View::translatesAutoresizingMaskIntoConstraints,
                        &View::setTranslatesAutoresizingMaskIntoConstraints)
        .property<std::optional<Color>>("tintColor", &View::tintColor, &View::setTintColor)
        .property<cg::Rect>("frame", &View::frame, &View::setFrame)
        .property<EdgeInsets>("layoutMargins", &View::layoutMargins, &View::setLayoutMargins);

} // namespace

} // namespace pellavo::ui
