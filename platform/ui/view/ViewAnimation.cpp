// View animation blocks: while a block is open every view answers the action query
// for its own layer with an animation of the change. Position and bounds animate
// additively (an offset decaying to zero on top of whatever the model is), so
// overlapping blocks add up and later direct sets never make the picture jump;
// transform, opacity and background colour run from the value shown to the new
// model value, replacing an earlier view animation of that property.
//
// A block's completion lives in a ViewAnimationBlock that the animation engine
// holds until the block's end time. The layers' stop hooks tell it about removals
// (false at once); replacements and natural ends leave it to its own time.
//
// The enclosing transaction's duration and disabled actions do not apply: the
// block's own timing decides, as it does on the platform.

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "platform/ca/Action.hpp"
#include "platform/ca/AnimationEngine.hpp"
#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/CurrentMediaTime.hpp"
#include "platform/ca/KeyPath.hpp"
#include "platform/ca/LayerPainter.hpp"
#include "platform/ca/ValueInterpolation.hpp"
#include "platform/ca/Transition.hpp"
#include "platform/cg/Context.hpp"
#include "platform/dispatch/Queue.hpp"
#include "platform/ns/Clock.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ui {

namespace {

constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

unsigned bits(ViewAnimationOptions options) { return static_cast<unsigned>(options); }

ca::MediaTimingFunction curveFor(ViewAnimationOptions options) {
    switch ((bits(options) >> 16) & 0xF) {
    case 1: return ca::MediaTimingFunction::easeIn();
    case 2: return ca::MediaTimingFunction::easeOut();
    case 3: return ca::MediaTimingFunction::linear();
    default: return ca::MediaTimingFunction::easeInEaseOut();
    }
}

// The properties a view animates.
bool isViewKey(ca::AnimatableKey key) {
    using K = ca::AnimatableKey;
    return key == K::position || key == K::bounds || key == K::transform || key == K::opacity ||
           key == K::backgroundColor;
}

bool isAdditive(ca::AnimatableKey key) { return key == ca::AnimatableKey::position || key == ca::AnimatableKey::bounds; }

std::optional<ca::Value> modelValue(const ca::Layer& layer, ca::AnimatableKey key) {
    ca::LayerSnapshot s;
    layer.snapshot(s);
    return ca::snapshotValue(s, key);
}

ca::LayerSnapshot presentationSnapshot(const ca::Layer& layer) {
    ca::LayerSnapshot s;
    layer.snapshot(s);
    layer.applyPresentation(ca::currentMediaTime(), s);
    return s;
}

// before − after, for the additive keys.
std::optional<ca::Value> offset(const ca::Value& before, const ca::Value& after) {
    if (const auto* b = std::get_if<cg::Point>(&before); b && std::holds_alternative<cg::Point>(after)) {
        const auto& a = std::get<cg::Point>(after);
        return cg::Point{b->x - a.x, b->y - a.y};
    }
    if (const auto* b = std::get_if<cg::Rect>(&before); b && std::holds_alternative<cg::Rect>(after)) {
        const auto& a = std::get<cg::Rect>(after);
        return cg::Rect{b->origin.x - a.origin.x, b->origin.y - a.origin.y, b->size.width - a.size.width,
                        b->size.height - a.size.height};
    }
    return std::nullopt;
}

// A span in whole nanoseconds, rounded up as the layers round their animations'
// ends, so a completion never runs before its animations have ended.
std::int64_t spanNanoseconds(double seconds) {
    std::int64_t ns = ns::secondsToNanoseconds(seconds);
    if (ns < kNever && static_cast<double>(ns) / 1e9 < seconds) ++ns;
    return ns;
}

// A picture of the layer's subtree as shown now, in its own bounds space.
cg::ImageRef pictureOf(const ca::Layer& layer, const cg::Rect& bounds) {
    const double scale = layer.contentsScale();
    const double w = std::ceil(bounds.size.width * scale), h = std::ceil(bounds.size.height * scale);
    if (!(w >= 1) || !(h >= 1) || w > cg::Context::kMaxSide || h > cg::Context::kMaxSide ||
        w * h > static_cast<double>(cg::Context::kMaxPixels))
        return nullptr;
    auto context = cg::Context::makeBitmap(static_cast<int>(w), static_cast<int>(h), false);
    if (!context) return nullptr;
    context->scaleBy(scale, scale);
    ca::LayerPainter(*context, ca::currentMediaTime()).drawInOwnSpace(layer);
    return context->makeImage();
}

} // namespace

// One animation block: its timing while open, then its completion until the end.
class ViewAnimationBlock : public std::enable_shared_from_this<ViewAnimationBlock> {
public:
    struct Timing {
        double duration = 0; // ≤ 0: the block animates nothing
        double delay = 0;
        ViewAnimationOptions options{};
        std::optional<std::pair<double, double>> spring; // damping ratio, initial velocity
        bool transition = false;                         // changes get no animations
    };

    ViewAnimationBlock(Timing timing, std::function<void(bool)> completion)
        : timing_(timing), completion_(std::move(completion)) {
        if (!std::isfinite(timing_.duration) || timing_.duration <= 0) timing_.duration = 0;
        if (!std::isfinite(timing_.delay) || timing_.delay < 0) timing_.delay = 0;
        const std::int64_t now = ns::Clock::shared()->now();
        // As an absolute media time, the way the layers resolve it.
        beginTime_ = timing_.delay > 0
                         ? static_cast<double>(ns::saturatingAdd(now, ns::secondsToNanoseconds(timing_.delay))) / 1e9
                         : 0;
        beginNs_ = beginTime_ > 0 ? ns::secondsToNanoseconds(beginTime_) : now;
    }

    bool animates() const { return timing_.duration > 0; }

    // Runs the changes with this block open.
    void perform(const std::function<void()>& animations) {
        openBlocks().push_back(shared_from_this());
        if (animations) animations();
        openBlocks().pop_back();
        tracks_.clear();
    }

    // Waits for the block's end: the engine holds the block until then.
    void scheduleEnd() {
        if (!animates()) {
            finishOnNextTurn();
            return;
        }
        if (!completion_ && blocking_.empty()) return;
        const std::int64_t due = ns::saturatingAdd(beginNs_, spanNanoseconds(timing_.duration));
        if (due == kNever) return; // never ends: the completion never runs
        entry_ = ca::AnimationEngine::shared().add(due, [self = shared_from_this()] {
            self->entry_ = 0; // this entry has just run
            self->finish(true);
        });
    }

    void run(const std::function<void()>& animations) {
        perform(animations);
        scheduleEnd();
    }

    static std::shared_ptr<ViewAnimationBlock> innermost() {
        return openBlocks().empty() ? nullptr : openBlocks().back();
    }

    // The view's answer for a change of its layer's key while this block is open.
    std::shared_ptr<ca::Action> actionFor(View& view, std::string_view name);

    // Adds the fade of a transition, from a picture taken before the block ran.
    void addTransition(View& view, cg::ImageRef picture, const cg::Rect& bounds) {
        auto fade = ns::make<ca::Transition>();
        fade->setDuration(timing_.duration);
        fade->setTimingFunction(curveFor(timing_.options));
        fade->setFromImage(std::move(picture), bounds);
        view.layer()->addAnimation(fade, "transition", stopHook());
        blockInteraction(view);
    }

private:
    struct Track {
        const ca::Layer* layer;
        ca::AnimatableKey key;
        std::string animationKey;
        ca::Value before; // model value (additive keys) or value shown before the block
    };

    class Change;

    static std::vector<std::shared_ptr<ViewAnimationBlock>>& openBlocks() {
        static std::vector<std::shared_ptr<ViewAnimationBlock>> blocks; // main thread only
        return blocks;
    }

    ca::LayerAnimations::AddOptions stopHook() {
        std::weak_ptr<ViewAnimationBlock> self = weak_from_this();
        return {.implicit = false, .onStop = [self](ca::LayerAnimations::StopReason reason) {
                    using Reason = ca::LayerAnimations::StopReason;
                    if (reason != Reason::removed && reason != Reason::layerDestroyed) return;
                    if (const auto block = self.lock()) block->finish(false);
                }};
    }

    void blockInteraction(View& view) {
        if ((bits(timing_.options) & bits(ViewAnimationOptions::allowUserInteraction)) || done_) return;
        for (const auto& blocked : blocking_)
            if (blocked.lock().get() == &view) return;
        blocking_.push_back(view.weakFromThis<View>());
        ++view.animationsBlockingInteraction_;
    }

    void addAnimation(View& view, const Track& track) {
        ca::Layer& layer = *view.layer();
        const auto now = modelValue(layer, track.key);
        if (!now) return;
        auto animation = ns::make<ca::BasicAnimation>();
        animation->setKeyPath(std::string(ca::KeyPath::name(track.key)));
        animation->setDuration(timing_.duration);
        if (timing_.spring)
            animation->setSpringTiming(timing_.spring->first, timing_.spring->second);
        else
            animation->setTimingFunction(curveFor(timing_.options));
        if (beginTime_ > 0) {
            animation->setBeginTime(beginTime_);
            animation->setFillMode(ca::FillMode::backwards);
        }
        if (isAdditive(track.key)) {
            animation->setIsAdditive(true);
            animation->setFromValue(offset(track.before, *now));
            animation->setToValue(ca::additiveIdentity(ca::KeyPath::valueKind(track.key)));
        } else {
            animation->setFromValue(track.before);
            animation->setToValue(*now);
        }
        layer.addAnimation(animation, track.animationKey, stopHook());
        blockInteraction(view);
    }

    // A key no animation of the layer uses yet: the property's name, then name-2, name-3…
    static std::string freshKey(const ca::Layer& layer, std::string_view name) {
        const auto keys = layer.animationKeys();
        std::string key(name);
        for (int n = 2; std::find(keys.begin(), keys.end(), key) != keys.end(); ++n)
            key = std::string(name) + "-" + std::to_string(n);
        return key;
    }

    void finishOnNextTurn() {
        done_ = true;
        if (auto completion = std::move(completion_))
            dispatch::Queue::main().async([completion = std::move(completion)] { completion(true); });
    }

    void finish(bool finished) {
        if (done_) return;
        const auto keep = shared_from_this(); // dropping the entry may release the last reference
        done_ = true;
        if (entry_) ca::AnimationEngine::shared().remove(entry_);
        entry_ = 0;
        for (const auto& blocked : blocking_)
            if (const auto view = blocked.lock()) --view->animationsBlockingInteraction_;
        blocking_.clear();
        if (auto completion = std::move(completion_))
            dispatch::Queue::main().async([completion = std::move(completion), finished] { completion(finished); });
    }

    Timing timing_;
    std::function<void(bool)> completion_;
    double beginTime_ = 0; // 0: at once
    std::int64_t beginNs_ = 0;
    std::vector<Track> tracks_; // while open
    std::vector<std::weak_ptr<View>> blocking_;
    ca::AnimationEngine::EntryId entry_ = 0;
    bool done_ = false;
};

// Runs after the layer stored the new model value.
class ViewAnimationBlock::Change : public ca::Action {
public:
    Change(std::shared_ptr<ViewAnimationBlock> block, std::weak_ptr<View> view, std::size_t track)
        : block_(std::move(block)), view_(std::move(view)), track_(track) {}

    void run(std::string_view key, ca::Layer& layer) override {
        (void)key;
        const auto view = view_.lock();
        if (!view || view->layer().get() != &layer || track_ >= block_->tracks_.size()) return;
        block_->addAnimation(*view, block_->tracks_[track_]);
    }

private:
    std::shared_ptr<ViewAnimationBlock> block_;
    std::weak_ptr<View> view_;
    std::size_t track_;
};

std::shared_ptr<ca::Action> ViewAnimationBlock::actionFor(View& view, std::string_view name) {
    if (!animates() || timing_.transition) return nullptr;
    const auto key = ca::KeyPath::keyNamed(name);
    if (!key || !isViewKey(*key)) return nullptr;
    const ca::Layer& layer = *view.layer();
    std::size_t index = 0;
    while (index < tracks_.size() && (tracks_[index].layer != &layer || tracks_[index].key != *key)) ++index;
    if (index == tracks_.size()) {
        // The first change of this property in the block fixes where it starts.
        const auto before = isAdditive(*key) ? modelValue(layer, *key) : ca::snapshotValue(presentationSnapshot(layer), *key);
        if (!before) return nullptr;
        tracks_.push_back({&layer, *key, isAdditive(*key) ? freshKey(layer, name) : std::string(name), *before});
    }
    return std::make_shared<Change>(shared_from_this(), view.weakFromThis<View>(), index);
}

// ---------------------------------------------------------------- View

std::shared_ptr<ca::Action> View::animationAction(std::string_view key) {
    const auto block = ViewAnimationBlock::innermost();
    return block ? block->actionFor(*this, key) : nullptr;
}

bool View::isInteractionBlockedByAnimation() const { return animationsBlockingInteraction_ > 0; }

void View::animate(double duration, std::function<void()> animations, std::function<void(bool)> completion) {
    animate(duration, 0, ViewAnimationOptions::curveEaseInOut, std::move(animations), std::move(completion));
}

void View::animate(double duration, double delay, ViewAnimationOptions options, std::function<void()> animations,
                   std::function<void(bool)> completion) {
    ViewAnimationBlock::Timing timing;
    timing.duration = duration, timing.delay = delay, timing.options = options;
    std::make_shared<ViewAnimationBlock>(timing, std::move(completion))->run(animations);
}

void View::animate(double duration, double delay, double dampingRatio, double initialVelocity,
                   ViewAnimationOptions options, std::function<void()> animations,
                   std::function<void(bool)> completion) {
    ViewAnimationBlock::Timing timing;
    timing.duration = duration, timing.delay = delay, timing.options = options;
    timing.spring = std::pair(dampingRatio, initialVelocity);
    std::make_shared<ViewAnimationBlock>(timing, std::move(completion))->run(animations);
}

void View::transition(const std::shared_ptr<View>& view, double duration, ViewAnimationOptions options,
                      std::function<void()> animations, std::function<void(bool)> completion) {
    ViewAnimationBlock::Timing timing;
    timing.duration = view ? duration : 0, timing.options = options, timing.transition = true;
    auto block = std::make_shared<ViewAnimationBlock>(timing, std::move(completion));
    const bool fades = ((bits(options) >> 20) & 0xF) == (bits(ViewAnimationOptions::transitionCrossDissolve) >> 20);
    if (block->animates() && fades) {
        const ca::LayerSnapshot shown = presentationSnapshot(*view->layer());
        const cg::Rect bounds = shown.bounds.standardized();
        auto picture = pictureOf(*view->layer(), bounds);
        block->perform(animations);
        block->addTransition(*view, std::move(picture), bounds);
        block->scheduleEnd();
        return;
    }
    block->run(animations);
}

} // namespace pellavo::ui
