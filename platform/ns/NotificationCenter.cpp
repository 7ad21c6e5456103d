#include "platform/ns/NotificationCenter.hpp"

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/ns/Console.hpp"
#include "platform/ns/Runtime.hpp"

namespace pellavo::ns {

struct NotificationCenter::Registration {
    std::string name;                 // empty: every name
    const Object* observerAddress = nullptr;
    std::weak_ptr<Object> observer;   // selector registrations
    Selector selector;
    std::function<void(const Notification&)> block;  // block registrations
    bool filtersObject = false;
    const Object* objectAddress = nullptr;
    std::weak_ptr<Object> object;
    std::atomic<bool> active{true};

    bool matches(std::string_view postedName) const { return name.empty() || name == postedName; }
};

struct NotificationCenter::State {
    std::mutex mutex;
    std::vector<std::shared_ptr<Registration>> registrations;

    void add(std::shared_ptr<Registration> registration) {
        std::lock_guard lock(mutex);
        registrations.push_back(std::move(registration));
    }

    template <class Predicate>
    void remove(Predicate&& predicate) {
        std::lock_guard lock(mutex);
        std::erase_if(registrations, [&](const std::shared_ptr<Registration>& r) {
            if (!predicate(*r)) return false;
            r->active = false;
            return true;
        });
    }
};

namespace {

// Owns a block registration: dropping the last reference removes it.
class ObserverToken : public Object {
public:
    ObserverToken(std::weak_ptr<NotificationCenter::State> state, std::shared_ptr<NotificationCenter::Registration> r)
        : state_(std::move(state)), registration_(std::move(r)) {}
    ~ObserverToken() override {
        registration_->active = false;
        if (auto state = state_.lock()) {
            auto* registration = registration_.get();
            state->remove([registration](const NotificationCenter::Registration& r) { return &r == registration; });
        }
    }
    std::string_view className() const override { return "NSNotificationObserverToken"; }

private:
    std::weak_ptr<NotificationCenter::State> state_;
    std::shared_ptr<NotificationCenter::Registration> registration_;
};

} // namespace

NotificationCenter::NotificationCenter() : state_(std::make_shared<State>()) {}

NotificationCenter::~NotificationCenter() = default;

NotificationCenter& NotificationCenter::defaultCenter() {
    // Never destroyed: worker threads and static destructors may still post at exit.
    static NotificationCenter* const center = new NotificationCenter;
    return *center;
}

void NotificationCenter::addObserver(const std::shared_ptr<Object>& observer, Selector selector,
                                     std::string_view name, const std::shared_ptr<Object>& object) {
    if (observer == nullptr || selector.isEmpty()) {
        log("addObserver: no observer or no selector for " + std::string(name));
        return;
    }
    auto registration = std::make_shared<Registration>();
    registration->name = std::string(name);
    registration->observerAddress = observer.get();
    registration->observer = observer;
    registration->selector = selector;
    registration->filtersObject = object != nullptr;
    registration->objectAddress = object.get();
    registration->object = object;
    state_->add(std::move(registration));
}

std::shared_ptr<Object> NotificationCenter::addObserver(std::string_view name, const std::shared_ptr<Object>& object,
                                                        std::function<void(const Notification&)> block) {
    auto registration = std::make_shared<Registration>();
    registration->name = std::string(name);
    registration->block = std::move(block);
    registration->filtersObject = object != nullptr;
    registration->objectAddress = object.get();
    registration->object = object;
    auto token = make<ObserverToken>(state_, registration);
    registration->observerAddress = token.get();
    if (registration->block) {
        state_->add(std::move(registration));
    } else {
        log("addObserver: no block for " + std::string(name));
    }
    return token;
}

void NotificationCenter::removeObserver(const Object* observer) {
    if (observer == nullptr) return;
    state_->remove([observer](const Registration& r) { return r.observerAddress == observer; });
}

void NotificationCenter::removeObserver(const Object* observer, std::string_view name, const Object* object) {
    if (observer == nullptr) return;
    state_->remove([&](const Registration& r) {
        return r.observerAddress == observer && (name.empty() || r.name == name) &&
               (object == nullptr || r.objectAddress == object);
    });
}

void NotificationCenter::post(std::string_view name, const std::shared_ptr<Object>& object, Value userInfo) {
    post(make<Notification>(std::string(name), object, std::move(userInfo)));
}

void NotificationCenter::post(const std::shared_ptr<Notification>& notification) {
    if (notification == nullptr) return;
    const std::string& name = notification->name();
    const Object* sender = notification->object().get();

    std::vector<std::shared_ptr<Registration>> snapshot;
    {
        std::lock_guard lock(state_->mutex);
        snapshot.reserve(state_->registrations.size());
        for (const auto& r : state_->registrations) {
            if (r->matches(name) && (!r->filtersObject || r->objectAddress == sender)) snapshot.push_back(r);
        }
    }

    bool sawDead = false;
    for (const auto& r : snapshot) {
        if (!r->active) continue;
        if (r->filtersObject) {
            // The address alone could belong to a newer object than the one registered.
            auto object = r->object.lock();
            if (object == nullptr) {
                sawDead = true;
                continue;
            }
            if (object.get() != sender) continue;
        }
        if (r->block) {
            r->block(*notification);
            continue;
        }
        auto observer = r->observer.lock();
        if (observer == nullptr) {
            sawDead = true;
            continue;
        }
        Runtime::shared().perform(observer.get(), r->selector, notification.get());
    }

    if (sawDead) {
        state_->remove([](const Registration& r) {
            return (r.filtersObject && r.object.expired()) || (!r.block && r.observer.expired());
        });
    }
}

} // namespace pellavo::ns
