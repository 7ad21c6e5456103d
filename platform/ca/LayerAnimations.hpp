#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ca/Transaction.hpp"

namespace pellavo::ca {

class Action;
class Animation;
class Layer;
struct LayerSnapshot;
class PresentationState;

// A layer's animation state: its attached animations in insertion order, its
// actions and the implicit-action bookkeeping around property changes. Layer
// forwards its animation API here; the layer's destruction stops every animation
// with finished = false.
class PELLAVO_EXPORT LayerAnimations {
public:
    using Actions = std::map<std::string, std::shared_ptr<Action>, std::less<>>;

    // Why an attached animation stopped.
    enum class StopReason { finished, removed, replaced, layerDestroyed };

    // For the toolkit's own animations (view animations keep their completions here).
    struct AddOptions {
        // Made by the default action: a later change that animates nothing removes it.
        bool implicit = false;
        // Called once, synchronously, when the animation stops; queue anything that
        // calls out of the platform.
        std::function<void(StopReason)> onStop;
    };

    LayerAnimations();
    ~LayerAnimations();
    LayerAnimations(const LayerAnimations&) = delete;
    LayerAnimations& operator=(const LayerAnimations&) = delete;

    void add(const Layer& layer, const std::shared_ptr<Animation>& animation, std::string key);
    void add(const Layer& layer, const std::shared_ptr<Animation>& animation, std::string key, AddOptions options);
    std::shared_ptr<Animation> animation(std::string_view key) const;
    std::vector<std::string> keys() const;
    void remove(std::string_view key);
    void removeAll();
    bool isEmpty() const;

    // Overwrites the animated values of a snapshot holding the model.
    void apply(double mediaTime, LayerSnapshot& snapshot) const;

    const Actions& actions() const;
    void setActions(Actions actions);
    bool isWindowRoot() const { return windowRoot_; }
    void setIsWindowRoot(bool root) { windowRoot_ = root; }
    // True once an outermost commit happened on the creating thread after creation.
    bool isCommitted() const { return created_.committedSince(); }

    // Around every property change of the layer.
    void willChange(Layer& layer, std::string_view key);
    void didChange(Layer& layer, std::string_view key);

private:
    struct Impl;
    Impl& impl() const;
    static void captureFromValues(Animation& animation, PresentationState& shown);

    mutable std::shared_ptr<Impl> impl_; // created on first use
    Transaction::Stamp created_;
    bool windowRoot_ = false;
};

} // namespace pellavo::ca
