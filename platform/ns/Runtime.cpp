#include "platform/ns/Runtime.hpp"

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>
#include <vector>

#include "platform/ns/Console.hpp"

namespace pellavo::ns {

namespace {

constexpr std::string_view rootClassName = "NSObject";
// No sane hierarchy is this deep; the bound keeps a corrupt chain from looping.
constexpr int maxChainDepth = 256;

std::string quoted(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out.push_back('\'');
    out.append(text);
    out.push_back('\'');
    return out;
}

} // namespace

struct KeyValueObservation::Entry {
    uint64_t id = 0;
    const Object* address = nullptr;
    std::weak_ptr<Object> object;
    std::string key;
    Runtime::Observer fn;
    std::atomic<bool> active{true};
    std::weak_ptr<void> state;  // the runtime's state, to unregister from
};

struct Runtime::State {
    struct ClassInfo {
        bool registered = false;  // false: only properties or actions were added so far
        std::string superclass;   // empty for the root
        Factory factory;
        CoderFactory coderFactory;
        std::map<std::string, std::shared_ptr<const Property>, std::less<>> properties;
        std::unordered_map<Selector, std::shared_ptr<const Action>> actions;
    };

    mutable std::shared_mutex classMutex;
    std::map<std::string, ClassInfo, std::less<>> classes;

    std::mutex observerMutex;
    std::unordered_map<const Object*, std::vector<std::shared_ptr<KeyValueObservation::Entry>>> observers;
    uint64_t nextObserverId = 1;

    // Caller holds classMutex. Calls `visit` on each class of the chain starting at
    // `name` until it returns true; answers whether it did.
    template <class Visit>
    bool walk(std::string_view name, Visit&& visit) const {
        std::string_view current = name;
        for (int depth = 0; depth < maxChainDepth && !current.empty(); ++depth) {
            auto it = classes.find(current);
            if (it == classes.end()) return false;
            if (visit(it->first, it->second)) return true;
            current = it->second.superclass;
        }
        return false;
    }

    bool known(std::string_view name) const {
        auto it = classes.find(name);
        return it != classes.end() && it->second.registered;
    }

    std::shared_ptr<const Property> findProperty(std::string_view className, std::string_view key) const {
        std::shared_ptr<const Property> found;
        walk(className, [&](const std::string&, const ClassInfo& info) {
            auto it = info.properties.find(key);
            if (it == info.properties.end()) return false;
            found = it->second;
            return true;
        });
        return found;
    }

    std::shared_ptr<const Action> findAction(std::string_view className, Selector selector) const {
        std::shared_ptr<const Action> found;
        walk(className, [&](const std::string&, const ClassInfo& info) {
            auto it = info.actions.find(selector);
            if (it == info.actions.end()) return false;
            found = it->second;
            return true;
        });
        return found;
    }

    void unregister(const KeyValueObservation::Entry& entry) {
        std::lock_guard lock(observerMutex);
        auto it = observers.find(entry.address);
        if (it == observers.end()) return;
        auto& list = it->second;
        std::erase_if(list, [&](const auto& e) { return e->id == entry.id; });
        if (list.empty()) observers.erase(it);
    }
};

// ------------------------------------------------------------------ observation token

KeyValueObservation& KeyValueObservation::operator=(KeyValueObservation&& other) noexcept {
    if (this != &other) {
        invalidate();
        entry_ = std::move(other.entry_);
    }
    return *this;
}

KeyValueObservation::~KeyValueObservation() { invalidate(); }

void KeyValueObservation::invalidate() {
    if (entry_ == nullptr) return;
    entry_->active = false;
    if (auto state = std::static_pointer_cast<Runtime::State>(entry_->state.lock())) state->unregister(*entry_);
    entry_.reset();
}

// ------------------------------------------------------------------ runtime

Runtime& Runtime::shared() {
    // Never destroyed: worker threads and static destructors may still use it at exit.
    static Runtime* const runtime = new Runtime;
    return *runtime;
}

Runtime::Runtime() : state_(std::make_shared<State>()) {
    auto& root = state_->classes[std::string(rootClassName)];
    root.registered = true;
    root.factory = [] { return make<Object>(); };
}

Runtime::~Runtime() = default;

bool Runtime::registerClassImpl(std::string_view name, std::string_view superclassName, Factory factory,
                                CoderFactory coderFactory) {
    if (name.empty() || name == rootClassName) {
        log("registerClass: cannot register the class " + quoted(name));
        return false;
    }
    std::unique_lock lock(state_->classMutex);
    auto& classes = state_->classes;
    auto existing = classes.find(name);
    if (existing != classes.end() && existing->second.registered && existing->second.superclass != superclassName) {
        const std::string previous = existing->second.superclass;
        lock.unlock();
        log("registerClass: " + quoted(name) + " is already registered with the superclass " + quoted(previous));
        return false;
    }
    // A class may not become its own ancestor.
    if (superclassName == name ||
        state_->walk(superclassName, [&](const std::string& n, const State::ClassInfo&) { return n == name; })) {
        lock.unlock();
        log("registerClass: " + quoted(name) + " cannot inherit from " + quoted(superclassName) +
            ", which descends from it");
        return false;
    }
    auto& info = existing != classes.end() ? existing->second : classes[std::string(name)];
    info.registered = true;
    info.superclass = std::string(superclassName);
    info.factory = std::move(factory);
    info.coderFactory = std::move(coderFactory);
    return true;
}

bool Runtime::isClassRegistered(std::string_view name) const {
    std::shared_lock lock(state_->classMutex);
    return state_->known(name);
}

std::shared_ptr<Object> Runtime::create(std::string_view name) const {
    Factory factory;
    bool registered = false;
    {
        std::shared_lock lock(state_->classMutex);
        auto it = state_->classes.find(name);
        if (it != state_->classes.end() && it->second.registered) {
            registered = true;
            factory = it->second.factory;
        }
    }
    if (!factory) {
        // A registered class made only from a coder, or not by name at all, is not unknown.
        log(registered ? "create: the class " + quoted(name) + " has no plain initialiser"
                       : "create: unknown class " + quoted(name));
        return nullptr;
    }
    return factory();
}

std::shared_ptr<Object> Runtime::create(std::string_view name, const Coder& coder) const {
    CoderFactory coderFactory;
    {
        std::shared_lock lock(state_->classMutex);
        auto it = state_->classes.find(name);
        if (it != state_->classes.end() && it->second.registered) coderFactory = it->second.coderFactory;
    }
    if (!coderFactory) return create(name);
    return coderFactory(coder);
}

bool Runtime::hasCoderFactory(std::string_view name) const {
    std::shared_lock lock(state_->classMutex);
    auto it = state_->classes.find(name);
    return it != state_->classes.end() && it->second.registered && it->second.coderFactory != nullptr;
}

std::optional<std::string> Runtime::superclassName(std::string_view name) const {
    {
        std::shared_lock lock(state_->classMutex);
        if (state_->known(name)) {
            const auto& superclass = state_->classes.find(name)->second.superclass;
            if (superclass.empty()) return std::nullopt;
            return superclass;
        }
    }
    log("superclassName: unknown class " + quoted(name));
    return std::nullopt;
}

bool Runtime::isSubclass(std::string_view className, std::string_view ancestorName) const {
    {
        std::shared_lock lock(state_->classMutex);
        if (state_->known(ancestorName)) {
            if (className == ancestorName) return true;
            return state_->walk(className, [&](const std::string& n, const State::ClassInfo&) {
                return n == ancestorName;
            });
        }
    }
    log("isSubclass: unknown class " + quoted(ancestorName));
    return false;
}

bool Runtime::isKindOfClass(const Object& object, std::string_view name) const {
    // Every object is an NSObject, registered class or not.
    if (name == rootClassName) return true;
    const std::string_view own = object.className();
    {
        std::shared_lock lock(state_->classMutex);
        if (state_->known(name)) {
            if (own == name) return true;
            return state_->walk(own, [&](const std::string& n, const State::ClassInfo&) { return n == name; });
        }
    }
    log("isKindOfClass: unknown class " + quoted(name));
    return false;
}

// ------------------------------------------------------------------ properties

void Runtime::addPropertyImpl(std::string_view className, std::string_view key, Property property) {
    if (className.empty() || key.empty()) {
        log("addProperty: empty class name or key");
        return;
    }
    std::unique_lock lock(state_->classMutex);
    auto& info = state_->classes[std::string(className)];
    info.properties[std::string(key)] = std::make_shared<const Property>(std::move(property));
}

bool Runtime::setValue(Object& object, std::string_view key, const Value& value) {
    const std::string_view className = object.className();
    std::shared_ptr<const Property> property;
    {
        std::shared_lock lock(state_->classMutex);
        property = state_->findProperty(className, key);
    }
    if (property == nullptr || !property->writable) {
        log("setValue: " + quoted(className) + " has no " + (property == nullptr ? "" : "writable ") + "key " +
            quoted(key));
        return false;
    }
    // Keep the object alive through the setter and the observers when it is shared.
    auto keepAlive = object.weak_from_this().lock();
    switch (property->set(object, value)) {
    case Property::SetResult::ok: break;
    case Property::SetResult::wrongObject:
        log("setValue: the object of class " + quoted(className) + " does not have the type that declares key " +
            quoted(key));
        return false;
    case Property::SetResult::wrongValue:
        log("setValue: a value of the wrong type for key " + quoted(key) + " of " + quoted(className));
        return false;
    }
    didChangeValue(object, key);
    return true;
}

std::optional<Value> Runtime::value(Object& object, std::string_view key) {
    const std::string_view className = object.className();
    std::shared_ptr<const Property> property;
    {
        std::shared_lock lock(state_->classMutex);
        property = state_->findProperty(className, key);
    }
    if (property == nullptr || !property->readable) {
        log("value: " + quoted(className) + " has no " + (property == nullptr ? "" : "readable ") + "key " +
            quoted(key));
        return std::nullopt;
    }
    auto keepAlive = object.weak_from_this().lock();
    auto result = property->get(object);
    if (!result) {
        log("value: the object of class " + quoted(className) + " does not have the type that declares key " +
            quoted(key));
    }
    return result;
}

std::optional<std::type_index> Runtime::propertyType(std::string_view className, std::string_view key) const {
    std::shared_lock lock(state_->classMutex);
    auto property = state_->findProperty(className, key);
    if (property == nullptr) return std::nullopt;
    return property->type;
}

// ------------------------------------------------------------------ observation

KeyValueObservation Runtime::observe(const std::shared_ptr<Object>& object, std::string_view key, Observer fn) {
    if (object == nullptr || !fn) {
        log("observe: no object or no observer for key " + quoted(key));
        return {};
    }
    auto entry = std::make_shared<KeyValueObservation::Entry>();
    entry->address = object.get();
    entry->object = object;
    entry->key = std::string(key);
    entry->fn = std::move(fn);
    entry->state = state_;
    {
        std::lock_guard lock(state_->observerMutex);
        entry->id = state_->nextObserverId++;
        auto& list = state_->observers[object.get()];
        // Entries left by an earlier object at this address can never fire again.
        std::erase_if(list, [](const auto& e) { return e->object.expired(); });
        list.push_back(entry);
    }
    return KeyValueObservation(std::move(entry));
}

void Runtime::didChangeValue(Object& object, std::string_view key) {
    std::vector<std::shared_ptr<KeyValueObservation::Entry>> matching;
    {
        std::lock_guard lock(state_->observerMutex);
        auto it = state_->observers.find(&object);
        if (it == state_->observers.end()) return;
        for (const auto& entry : it->second) {
            if (entry->key != key || !entry->active) continue;
            // The address may belong to a newer object than the one observed.
            auto observed = entry->object.lock();
            if (observed.get() != &object) continue;
            matching.push_back(entry);
        }
    }
    // No lock held: observers may set values, observe or end observations.
    for (const auto& entry : matching) {
        if (entry->active) entry->fn(object, key);
    }
}

// ------------------------------------------------------------------ actions

void Runtime::addActionImpl(std::string_view className, Selector selector, Action action) {
    if (className.empty() || selector.isEmpty()) {
        log("addAction: empty class name or selector");
        return;
    }
    std::unique_lock lock(state_->classMutex);
    auto& info = state_->classes[std::string(className)];
    info.actions[selector] = std::make_shared<const Action>(std::move(action));
}

bool Runtime::respondsToSelector(const Object& object, Selector selector) const {
    return instancesRespondToSelector(object.className(), selector);
}

bool Runtime::instancesRespondToSelector(std::string_view className, Selector selector) const {
    std::shared_lock lock(state_->classMutex);
    return state_->findAction(className, selector) != nullptr;
}

bool Runtime::perform(Object* target, Selector selector, Object* sender) {
    if (target == nullptr) return false;
    const std::string_view className = target->className();
    std::shared_ptr<const Action> action;
    {
        std::shared_lock lock(state_->classMutex);
        action = state_->findAction(className, selector);
    }
    if (action == nullptr) {
        log("perform: " + quoted(className) + " does not respond to selector " + quoted(selector.name()));
        return false;
    }
    // The action may drop the last outside reference to its target or its sender.
    auto keepTarget = target->weak_from_this().lock();
    auto keepSender = sender != nullptr ? sender->weak_from_this().lock() : nullptr;
    switch (action->invoke(*target, sender)) {
    case Action::Result::ok: return true;
    case Action::Result::wrongTarget:
        log("perform: the object of class " + quoted(className) + " does not have the type that declares " +
            quoted(selector.name()));
        return false;
    case Action::Result::wrongSender:
        log("perform: the sender does not have the type " + quoted(selector.name()) + " of " + quoted(className) +
            " takes");
        return false;
    }
    return false;
}

} // namespace pellavo::ns
