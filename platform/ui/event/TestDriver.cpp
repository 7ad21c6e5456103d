#include "platform/ui/event/TestDriver.hpp"

#include <algorithm>
#include <cmath>

#include "platform/ns/RunLoop.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/event/Event.hpp"
#include "platform/ui/text/Keyboard.hpp"
#include "platform/ui/text/Pasteboard.hpp"
#include "platform/ui/event/Touch.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo::ui {

TestDriver::TestDriver(std::shared_ptr<Window> window) : window_(window), hasWindow_(window != nullptr) {}

cg::Point TestDriver::toScreen(cg::Point point) const {
    const auto window = hasWindow_ ? window_.lock() : Application::shared().keyWindow();
    return window ? window->convertToScreen(point) : point;
}

std::shared_ptr<Touch> TestDriver::touch(TouchId id) const {
    const auto it = touches_.find(id);
    return it == touches_.end() ? nullptr : it->second;
}

std::shared_ptr<Touch> TestDriver::live(TouchId id) const {
    auto found = touch(id);
    return found && !found->isFinished() ? found : nullptr;
}

void TestDriver::send(const std::vector<std::shared_ptr<Touch>>& changed) {
    TouchSet all;
    for (const auto& touch : changed) all.insert(touch);
    for (const auto& [id, touch] : touches_) {
        if (touch->isFinished() || all.contains(touch)) continue;
        touch->update(Touch::Phase::stationary);
        all.insert(touch);
    }
    const Event event(std::move(all));
    auto& loop = ns::RunLoop::main();
    loop.enqueue([event] { Application::shared().sendEvent(event); });
    loop.runOnce();
}

void TestDriver::type(const ns::String& text) {
    auto& loop = ns::RunLoop::main();
    for (const auto& cluster : text.graphemes()) loop.enqueue([cluster] { Application::shared().insertText(cluster); });
    loop.runOnce();
}

void TestDriver::backspace() {
    auto& loop = ns::RunLoop::main();
    loop.enqueue([] { Application::shared().deleteBackward(); });
    loop.runOnce();
}

void TestDriver::returnKey() {
    auto& loop = ns::RunLoop::main();
    loop.enqueue([] { Application::shared().returnKey(); });
    loop.runOnce();
}

void TestDriver::paste(const ns::String& text) {
    auto& loop = ns::RunLoop::main();
    loop.enqueue([text] {
        Pasteboard::general().setString(text);
        Application::shared().keyboard().sendAction(ns::Selector("paste:"));
    });
    loop.runOnce();
}

TestDriver::TouchId TestDriver::touchDown(cg::Point point) { return touchDown(std::vector<cg::Point>{point}).front(); }

std::vector<TestDriver::TouchId> TestDriver::touchDown(const std::vector<cg::Point>& points) {
    std::vector<TouchId> ids;
    std::vector<std::shared_ptr<Touch>> changed;
    for (const auto& point : points) {
        const TouchId id = nextId_++;
        auto touch = ns::make<Touch>(toScreen(point));
        touches_[id] = touch;
        ids.push_back(id);
        changed.push_back(std::move(touch));
    }
    if (!changed.empty()) send(changed);
    return ids;
}

void TestDriver::move(TouchId id, cg::Point point) { move({{id, point}}); }

void TestDriver::move(const std::vector<std::pair<TouchId, cg::Point>>& moves) {
    std::vector<std::shared_ptr<Touch>> changed;
    for (const auto& [id, point] : moves) {
        auto touch = live(id);
        if (!touch || std::find(changed.begin(), changed.end(), touch) != changed.end()) continue;
        touch->update(Touch::Phase::moved, toScreen(point));
        changed.push_back(std::move(touch));
    }
    if (!changed.empty()) send(changed);
}

void TestDriver::up(TouchId id) {
    auto touch = live(id);
    if (!touch) return;
    touch->update(Touch::Phase::ended);
    send({touch});
}

void TestDriver::up(TouchId id, cg::Point point) {
    auto touch = live(id);
    if (!touch) return;
    touch->update(Touch::Phase::ended, toScreen(point));
    send({touch});
}

void TestDriver::cancel(TouchId id) {
    auto touch = live(id);
    if (!touch) return;
    touch->update(Touch::Phase::cancelled);
    send({touch});
}

void TestDriver::cancelAll() {
    std::vector<std::shared_ptr<Touch>> changed;
    for (const auto& [id, touch] : touches_) {
        if (touch->isFinished()) continue;
        touch->update(Touch::Phase::cancelled);
        changed.push_back(touch);
    }
    if (!changed.empty()) send(changed);
}

void TestDriver::rotate(InterfaceOrientation orientation) {
    auto& loop = ns::RunLoop::main();
    loop.enqueue([orientation] { Application::shared().simulateRotation(orientation); });
    loop.runOnce();
}

void TestDriver::tap(cg::Point point, int taps) {
    for (int i = 0; i < taps; ++i) up(touchDown(point));
}

void TestDriver::drag(cg::Point from, cg::Point to, int steps, double seconds) {
    steps = std::max(steps, 1);
    if (!(seconds > 0) || !std::isfinite(seconds)) seconds = 0;
    const TouchId id = touchDown(from);
    for (int i = 1; i <= steps; ++i) {
        if (seconds > 0) ns::RunLoop::main().advance(seconds / steps);
        const double f = static_cast<double>(i) / steps;
        move(id, {from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f});
    }
    up(id, to);
}

} // namespace pellavo::ui
