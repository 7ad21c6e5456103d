#include "platform/ca/LayerAnimations.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>

#include "platform/ca/Action.hpp"
#include "platform/ca/AnimationDelegate.hpp"
#include "platform/ca/AnimationEngine.hpp"
#include "platform/ca/AnimationGroup.hpp"
#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/ChangeCount.hpp"
#include "platform/ca/CurrentMediaTime.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ca/LayerSnapshot.hpp"
#include "platform/ca/PresentationState.hpp"
#include "platform/ca/TransactionCompletion.hpp"
#include "platform/dispatch/Queue.hpp"
#include "platform/ns/Clock.hpp"

namespace pellavo::ca {

namespace {

constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

// ---- the key table over snapshots

bool hasKey(const LayerSnapshot& s, AnimatableKey key) {
    if (key < AnimatableKey::path) return true;
    if (key < AnimatableKey::colors) return s.kind == LayerSnapshot::Kind::shape;
    return s.kind == LayerSnapshot::Kind::gradient;
}

// Calls f with the snapshot's field that holds the key's value.
template <class Snapshot, class F>
void withField(Snapshot& s, AnimatableKey key, F&& f) {
    switch (key) {
    case AnimatableKey::position: f(s.position); break;
    case AnimatableKey::bounds: f(s.bounds); break;
    case AnimatableKey::transform: f(s.transform); break;
    case AnimatableKey::opacity: f(s.opacity); break;
    case AnimatableKey::backgroundColor: f(s.backgroundColor); break;
    case AnimatableKey::cornerRadius: f(s.cornerRadius); break;
    case AnimatableKey::borderWidth: f(s.borderWidth); break;
    case AnimatableKey::borderColor: f(s.borderColor); break;
    case AnimatableKey::shadowColor: f(s.shadowColor); break;
    case AnimatableKey::shadowOpacity: f(s.shadowOpacity); break;
    case AnimatableKey::shadowOffset: f(s.shadowOffset); break;
    case AnimatableKey::shadowRadius: f(s.shadowRadius); break;
    case AnimatableKey::path: f(s.shape.path); break;
    case AnimatableKey::fillColor: f(s.shape.fillColor); break;
    case AnimatableKey::strokeColor: f(s.shape.strokeColor); break;
    case AnimatableKey::lineWidth: f(s.shape.lineWidth); break;
    case AnimatableKey::strokeStart: f(s.shape.strokeStart); break;
    case AnimatableKey::strokeEnd: f(s.shape.strokeEnd); break;
    case AnimatableKey::colors: f(s.gradient.colors); break;
    case AnimatableKey::locations: f(s.gradient.locations); break;
    case AnimatableKey::startPoint: f(s.gradient.startPoint); break;
    case AnimatableKey::endPoint: f(s.gradient.endPoint); break;
    }
}

// Opacities are stored as floats in [0, 1], as their setters leave them.
float unitFloat(double v) { return static_cast<float>(std::clamp(v, 0.0, 1.0)); }

// `value` is finite and of the key's kind (PresentationState only stores such).
void write(LayerSnapshot& s, AnimatableKey key, const Value& value) {
    if (!hasKey(s, key) || kindOf(value) != KeyPath::valueKind(key)) return;
    withField(s, key, [&value](auto& field) {
        using Field = std::decay_t<decltype(field)>;
        if constexpr (std::is_same_v<Field, float>) field = unitFloat(std::get<double>(value));
        else field = std::get<Field>(value);
    });
}

// Presentation values accumulated on top of a snapshot's model values.
class SnapshotState : public PresentationState {
public:
    explicit SnapshotState(const LayerSnapshot& snapshot) : snapshot_(snapshot) {}
    std::optional<Value> modelValue(AnimatableKey key) const override { return snapshotValue(snapshot_, key); }

private:
    const LayerSnapshot& snapshot_;
};

// A span in seconds as whole nanoseconds, rounded so that the time at the end
// evaluates as past the span.
std::int64_t spanNanoseconds(double span) {
    if (!(span < std::numeric_limits<double>::infinity())) return kNever;
    std::int64_t ns = ns::secondsToNanoseconds(span);
    if (ns < kNever && static_cast<double>(ns) / 1e9 < span) ++ns;
    return ns;
}

} // namespace

// The float fields are the opacities, read as numbers.
std::optional<Value> snapshotValue(const LayerSnapshot& s, AnimatableKey key) {
    if (!hasKey(s, key)) return std::nullopt;
    std::optional<Value> value;
    withField(s, key, [&value](const auto& field) {
        if constexpr (std::is_same_v<std::decay_t<decltype(field)>, float>) value = static_cast<double>(field);
        else value = field;
    });
    return value;
}

// Gives every basic animation without a from-value (and not additive) the value the
// layer shows now.
void LayerAnimations::captureFromValues(Animation& animation, PresentationState& shown) {
    if (auto* group = dynamic_cast<AnimationGroup*>(&animation)) {
        for (const auto& child : group->animations()) captureFromValues(*child, shown);
        return;
    }
    auto* basic = dynamic_cast<BasicAnimation*>(&animation);
    if (!basic || basic->fromValue() || basic->isAdditive() || !basic->parsedKeyPath()) return;
    if (auto value = shown.current(*basic->parsedKeyPath())) basic->setCapturedFromValue(std::move(*value));
}

struct LayerAnimations::Impl : std::enable_shared_from_this<Impl> {
    struct Attached {
        std::string key;
        std::shared_ptr<Animation> animation;
        std::int64_t beginNs = 0;
        bool implicit = false; // made by the default action
        bool stopped = false;
        std::function<void(StopReason)> onStop;
        std::vector<std::shared_ptr<TransactionCompletion>> completions;
        AnimationEngine::EntryId entry = 0;
    };

    struct Pending {
        std::string key;
        std::shared_ptr<Action> action;
        bool useDefault = false;
        LayerSnapshot before; // the presentation before the change, when an action runs
    };

    std::vector<std::shared_ptr<Attached>> attached;
    Actions actions;
    std::vector<Pending> pending;
    // While an action runs: the presentation before the change, which its
    // animations start from.
    const LayerSnapshot* captureSource = nullptr;

    void evaluate(std::int64_t nowNs, PresentationState& state) const {
        for (const auto& a : attached)
            a->animation->apply((static_cast<double>(nowNs) - static_cast<double>(a->beginNs)) / 1e9, state);
    }

    // Tells the delegate and the waiting transactions, through the main queue.
    static void stop(Attached& a, StopReason reason) {
        if (a.stopped) return;
        a.stopped = true;
        const bool finished = reason == StopReason::finished;
        if (a.entry) AnimationEngine::shared().remove(a.entry);
        a.entry = 0;
        auto delegate = a.animation->delegate();
        if (!delegate.expired()) {
            std::shared_ptr<const Animation> animation = a.animation;
            dispatch::Queue::main().async([delegate = std::move(delegate), animation, finished] {
                if (auto d = delegate.lock()) d->animationDidStop(animation, finished);
            });
        }
        for (const auto& c : a.completions) c->release();
        a.completions.clear();
        if (auto onStop = std::move(a.onStop)) onStop(reason);
    }

    void detach(const std::shared_ptr<Attached>& a) { std::erase(attached, a); }

    // The natural end of an animation's span.
    void reachedEnd(const std::shared_ptr<Attached>& a) {
        a->entry = 0; // this entry has just run
        stop(*a, StopReason::finished);
        if (a->animation->isRemovedOnCompletion()) detach(a);
    }

    void add(const Layer& layer, const std::shared_ptr<Animation>& animation, std::string key, AddOptions options) {
        const std::int64_t now = ns::Clock::shared()->now();
        auto copy = animation->copy();
        if (captureSource) {
            SnapshotState shown(*captureSource);
            captureFromValues(*copy, shown);
        } else {
            LayerSnapshot s;
            layer.snapshot(s);
            SnapshotState shown(s);
            evaluate(now, shown);
            captureFromValues(*copy, shown);
        }
        copy->freeze();

        const double begin = copy->beginTime();
        auto record = std::make_shared<Attached>();
        record->beginNs = begin > 0 && std::isfinite(begin) ? ns::secondsToNanoseconds(begin) : now;
        record->key = std::move(key);
        record->animation = std::move(copy);
        record->implicit = options.implicit;
        record->onStop = std::move(options.onStop);

        if (!record->key.empty()) {
            const auto old = std::find_if(attached.begin(), attached.end(),
                                          [&](const auto& a) { return a->key == record->key; });
            if (old != attached.end()) {
                const auto replaced = *old;
                attached.erase(old);
                stop(*replaced, StopReason::replaced);
            }
        }

        record->completions = Transaction::completionsToTrack();
        for (const auto& c : record->completions) c->track();
        attached.push_back(record);

        const Animation& a = *record->animation;
        const std::int64_t span = spanNanoseconds(a.activeSpan());
        const bool watched = !a.delegate().expired() || !record->completions.empty() || a.isRemovedOnCompletion() ||
                             record->onStop;
        if (span != kNever && watched) {
            std::weak_ptr<Impl> self = weak_from_this();
            std::weak_ptr<Attached> weakRecord = record;
            record->entry = AnimationEngine::shared().add(ns::saturatingAdd(record->beginNs, span), [self, weakRecord] {
                const auto impl = self.lock();
                const auto r = weakRecord.lock();
                if (impl && r && !r->stopped) impl->reachedEnd(r);
            });
        }
    }

    std::shared_ptr<Attached> find(std::string_view key) const {
        if (key.empty()) return nullptr;
        for (const auto& a : attached)
            if (a->key == key) return a;
        return nullptr;
    }
};

LayerAnimations::LayerAnimations() : created_(Transaction::stamp()) {}

LayerAnimations::~LayerAnimations() {
    if (!impl_) return;
    const auto attached = std::move(impl_->attached);
    for (const auto& a : attached) Impl::stop(*a, StopReason::layerDestroyed);
}

LayerAnimations::Impl& LayerAnimations::impl() const {
    if (!impl_) impl_ = std::make_shared<Impl>();
    return *impl_;
}

void LayerAnimations::add(const Layer& layer, const std::shared_ptr<Animation>& animation, std::string key) {
    add(layer, animation, std::move(key), AddOptions());
}

void LayerAnimations::add(const Layer& layer, const std::shared_ptr<Animation>& animation, std::string key,
                          AddOptions options) {
    if (!animation) return;
    impl().add(layer, animation, std::move(key), std::move(options));
}

std::shared_ptr<Animation> LayerAnimations::animation(std::string_view key) const {
    if (!impl_) return nullptr;
    const auto a = impl_->find(key);
    return a ? a->animation : nullptr;
}

std::vector<std::string> LayerAnimations::keys() const {
    std::vector<std::string> result;
    if (!impl_) return result;
    for (const auto& a : impl_->attached)
        if (!a->key.empty()) result.push_back(a->key);
    return result;
}

void LayerAnimations::remove(std::string_view key) {
    if (!impl_) return;
    if (const auto a = impl_->find(key)) {
        impl_->detach(a);
        Impl::stop(*a, StopReason::removed);
    }
}

void LayerAnimations::removeAll() {
    if (!impl_) return;
    const auto attached = std::move(impl_->attached);
    impl_->attached.clear();
    for (const auto& a : attached) Impl::stop(*a, StopReason::removed);
}

bool LayerAnimations::isEmpty() const { return !impl_ || impl_->attached.empty(); }

void LayerAnimations::apply(double mediaTime, LayerSnapshot& snapshot) const {
    if (isEmpty()) return;
    SnapshotState state(snapshot);
    impl_->evaluate(ns::secondsToNanoseconds(mediaTime), state);
    state.forEachChanged([&](AnimatableKey key, const Value& value) { write(snapshot, key, value); });
    if (state.transitionProgress && state.transitionImage) {
        snapshot.transitionProgress = state.transitionProgress;
        snapshot.transitionImage = std::move(state.transitionImage);
        snapshot.transitionImageBounds = state.transitionImageBounds;
    }
}

const LayerAnimations::Actions& LayerAnimations::actions() const { return impl().actions; }

void LayerAnimations::setActions(Actions actions) { impl().actions = std::move(actions); }

void LayerAnimations::willChange(Layer& layer, std::string_view key) {
    Transaction::layerWillChange();
    if (!KeyPath::keyNamed(key)) return;

    Impl::Pending pending;
    pending.key = std::string(key);
    // The delegate is asked even with actions disabled: a view answers for its own
    // layer, and its animation blocks do not depend on the enclosing transaction.
    std::optional<std::shared_ptr<Action>> answer;
    if (const auto delegate = layer.delegate().lock()) answer = delegate->action(layer, key);
    if (!answer && !Transaction::disableActions()) {
        const auto& map = impl().actions;
        if (const auto it = map.find(key); it != map.end()) answer = it->second;
        if (!answer)
            pending.useDefault = Transaction::animationDuration() > 0 && isCommitted() &&
                                 (layer.superlayer() || windowRoot_);
    }
    if (answer) pending.action = std::move(*answer);
    if (pending.action || pending.useDefault) {
        layer.snapshot(pending.before);
        apply(currentMediaTime(), pending.before);
    }
    impl().pending.push_back(std::move(pending));
}

void LayerAnimations::didChange(Layer& layer, std::string_view key) {
    const auto animatable = KeyPath::keyNamed(key);
    if (!animatable) return;
    auto& self = impl();
    if (self.pending.empty() || self.pending.back().key != key) return;
    Impl::Pending pending = std::move(self.pending.back());
    self.pending.pop_back();

    if (pending.useDefault) {
        LayerSnapshot after;
        layer.snapshot(after);
        auto from = snapshotValue(pending.before, *animatable);
        auto to = snapshotValue(after, *animatable);
        if (from && to) {
            auto animation = ns::make<BasicAnimation>();
            animation->setKeyPath(pending.key);
            animation->setFromValue(std::move(from));
            animation->setToValue(std::move(to));
            animation->setDuration(Transaction::animationDuration());
            animation->setTimingFunction(
                Transaction::animationTimingFunction().value_or(MediaTimingFunction::defaultCurve()));
            self.add(layer, animation, pending.key, AddOptions{.implicit = true, .onStop = {}});
            return;
        }
    } else if (pending.action) {
        const LayerSnapshot* saved = self.captureSource;
        self.captureSource = &pending.before;
        pending.action->run(pending.key, layer);
        self.captureSource = saved;
        return;
    }

    // Nothing animates this change: an implicit animation still running under the
    // key would hide the new value, so it goes.
    if (const auto running = self.find(key); running && running->implicit) {
        self.detach(running);
        Impl::stop(*running, StopReason::removed);
    }
}

// ---- Layer's animation API

void Layer::addAnimation(const std::shared_ptr<Animation>& animation, const std::string& key) {
    animations_.add(*this, animation, key);
}

void Layer::addAnimation(const std::shared_ptr<Animation>& animation, const std::string& key,
                         LayerAnimations::AddOptions options) {
    animations_.add(*this, animation, key, std::move(options));
}

std::shared_ptr<Animation> Layer::animation(std::string_view key) const { return animations_.animation(key); }

std::vector<std::string> Layer::animationKeys() const { return animations_.keys(); }

void Layer::removeAnimation(std::string_view key) { animations_.remove(key); }

void Layer::removeAllAnimations() { animations_.removeAll(); }

std::shared_ptr<Layer> Layer::presentation() const { return presentationAt(currentMediaTime()); }

void Layer::willChangeValue(std::string_view key) { animations_.willChange(*this, key); }

void Layer::didChangeValue(std::string_view key) {
    ++changeVersion_;
    ChangeCount::increment();
    animations_.didChange(*this, key);
}

} // namespace pellavo::ca
