#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/ns/Console.hpp"
#include "platform/ns/NotificationCenter.hpp"
#include "platform/ns/Runtime.hpp"

namespace {

using pellavo::ns::ConsoleCapture;
using pellavo::ns::Notification;
using pellavo::ns::NotificationCenter;
using pellavo::ns::Object;
using pellavo::ns::Runtime;
using pellavo::ns::Selector;
using pellavo::ns::Value;

class NcListener : public Object {
public:
    std::string_view className() const override { return "NcListener"; }
    void heard(Notification* n) {
        names.push_back(n != nullptr ? n->name() : "<null>");
        lastObject = n != nullptr ? n->object().get() : nullptr;
    }
    std::vector<std::string> names;
    const Object* lastObject = nullptr;
};

// Safe to call from several threads at once.
class NcCounter : public Object {
public:
    std::string_view className() const override { return "NcCounter"; }
    void count() { ++calls; }
    std::atomic<int> calls{0};
};

class NotificationCenterTest : public ::testing::Test {
protected:
    void SetUp() override {
        Runtime::shared().registerClass<NcListener>("NcListener");
        Runtime::shared().addAction<NcListener, Notification>("NcListener", Selector("heard:"), &NcListener::heard);
        Runtime::shared().registerClass<NcCounter>("NcCounter");
        Runtime::shared().addAction<NcCounter>("NcCounter", Selector("count"), &NcCounter::count);
    }
    // Records which registrations ran, in order.
    std::shared_ptr<Object> record(std::string_view name, int tag, std::shared_ptr<Object> object = nullptr) {
        return center.addObserver(name, object, [this, tag](const Notification&) { calls.push_back(tag); });
    }
    NotificationCenter center;
    std::vector<int> calls;
    ConsoleCapture console;
};

TEST_F(NotificationCenterTest, DeliversInRegistrationOrderByName) {
    auto a = record("ping", 1);
    auto b = record("pong", 2);
    auto c = record("ping", 3);
    auto all = record("", 4);
    center.post("ping");
    center.post("pong");
    EXPECT_EQ(calls, (std::vector<int>{1, 3, 4, 2, 4}));
}

TEST_F(NotificationCenterTest, ObjectFiltersByIdentity) {
    auto sender = std::make_shared<Object>();
    auto other = std::make_shared<Object>();
    auto filtered = record("ping", 1, sender);
    auto open = record("ping", 2);
    center.post("ping", sender);
    center.post("ping", other);
    center.post("ping");
    EXPECT_EQ(calls, (std::vector<int>{1, 2, 2, 2}));
}

TEST_F(NotificationCenterTest, CarriesNameObjectAndUserInfo) {
    auto sender = std::make_shared<Object>();
    std::string name;
    const Object* object = nullptr;
    int64_t info = 0;
    auto token = center.addObserver("ping", nullptr, [&](const Notification& n) {
        name = n.name();
        object = n.object().get();
        info = n.userInfo().asInt64().value_or(-1);
    });
    center.post("ping", sender, Value::of(42));
    EXPECT_EQ(name, "ping");
    EXPECT_EQ(object, sender.get());
    EXPECT_EQ(info, 42);
}

TEST_F(NotificationCenterTest, RemovalDuringAPostSkipsTheRemoved) {
    std::shared_ptr<Object> second;
    std::shared_ptr<Object> first = center.addObserver("ping", nullptr, [&](const Notification&) {
        calls.push_back(1);
        second.reset();  // a later one: skipped in this very post
        first.reset();   // and itself, while running
    });
    second = record("ping", 2);
    auto third = record("ping", 3);
    center.post("ping");
    center.post("ping");
    EXPECT_EQ(calls, (std::vector<int>{1, 3, 3}));
}

TEST_F(NotificationCenterTest, RegistrationAddedDuringAPostWaitsForTheNext) {
    std::vector<std::shared_ptr<Object>> added;
    auto adder = center.addObserver("ping", nullptr, [&](const Notification&) {
        calls.push_back(1);
        added.push_back(record("ping", 2));
    });
    center.post("ping");
    EXPECT_EQ(calls, (std::vector<int>{1}));
    center.post("ping");
    EXPECT_EQ(calls, (std::vector<int>{1, 1, 2}));
}

TEST_F(NotificationCenterTest, NestedPostsRunInside) {
    auto outer = center.addObserver("outer", nullptr, [&](const Notification&) {
        calls.push_back(1);
        center.post("inner");
        calls.push_back(3);
    });
    auto inner = record("inner", 2);
    center.post("outer");
    EXPECT_EQ(calls, (std::vector<int>{1, 2, 3}));
}

TEST_F(NotificationCenterTest, TokenOwnsTheRegistration) {
    auto token = record("ping", 1);
    center.post("ping");
    center.removeObserver(token);
    center.post("ping");
    auto again = record("ping", 2);
    again.reset();
    center.post("ping");
    EXPECT_EQ(calls, (std::vector<int>{1}));
}

TEST_F(NotificationCenterTest, SelectorObserversAreWeakAndGetTheNotificationAsSender) {
    auto listener = std::make_shared<NcListener>();
    auto sender = std::make_shared<Object>();
    center.addObserver(listener, Selector("heard:"), "ping");
    center.addObserver(listener, Selector("heard:"), "pong", sender);
    center.post("ping", sender);
    center.post("pong");  // filtered out
    center.post("pong", sender);
    EXPECT_EQ(listener->names, (std::vector<std::string>{"ping", "pong"}));
    EXPECT_EQ(listener->lastObject, sender.get());

    std::weak_ptr<NcListener> weak = listener;
    listener.reset();
    EXPECT_TRUE(weak.expired());  // the centre did not keep it
    center.post("ping", sender);  // a dead observer is skipped
    EXPECT_TRUE(console.loggedLines().empty());
}

TEST_F(NotificationCenterTest, RemoveObserverByNameAndObject) {
    auto listener = std::make_shared<NcListener>();
    auto sender = std::make_shared<Object>();
    center.addObserver(listener, Selector("heard:"), "ping");
    center.addObserver(listener, Selector("heard:"), "pong", sender);
    center.addObserver(listener, Selector("heard:"), "pong");
    center.removeObserver(listener.get(), "pong", sender.get());
    center.post("pong", sender);
    EXPECT_EQ(listener->names, (std::vector<std::string>{"pong"}));
    center.removeObserver(listener);
    center.post("ping");
    center.post("pong");
    EXPECT_EQ(listener->names, (std::vector<std::string>{"pong"}));
}

TEST_F(NotificationCenterTest, DeadFilterObjectMatchesNothing) {
    auto sender = std::make_shared<Object>();
    auto token = record("ping", 1, sender);
    sender.reset();
    center.post("ping");
    center.post("ping", std::make_shared<Object>());
    EXPECT_TRUE(calls.empty());
}

TEST_F(NotificationCenterTest, SelectorTheObserverLacksLogsOnce) {
    auto listener = std::make_shared<NcListener>();
    center.addObserver(listener, Selector("missing:"), "ping");
    center.post("ping");
    EXPECT_EQ(console.loggedLines().size(), 1u);
}

TEST_F(NotificationCenterTest, ConcurrentPostsAndRegistrations) {
    std::atomic<int> heard{0};
    std::atomic<int> missed{0};
    std::vector<std::shared_ptr<Object>> steady;
    for (int i = 0; i < 10; ++i) {
        steady.push_back(center.addObserver("tick", nullptr, [&](const Notification&) { ++heard; }));
    }
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                auto churn = center.addObserver("tick", nullptr, [](const Notification&) {});
                center.post("tick");
                auto counter = std::make_shared<NcCounter>();
                center.addObserver(counter, Selector("count"), "other");
                center.post("other");
                // At least its own post reached it; others may have too.
                if (counter->calls == 0) ++missed;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(heard, 4 * 500 * 10);
    EXPECT_EQ(missed, 0);
}

TEST(NotificationCenter, DefaultCenterIsOneForTheProcess) {
    auto& center = NotificationCenter::defaultCenter();
    EXPECT_EQ(&center, &NotificationCenter::defaultCenter());
    int heard = 0;
    auto token = center.addObserver(pellavo::ns::UITextViewTextDidChangeNotification, nullptr,
                                    [&](const Notification&) { ++heard; });
    center.post("UITextViewTextDidChangeNotification");
    EXPECT_EQ(heard, 1);
}

} // namespace
