#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/scroll/ScrollView.hpp"
#include "tests/support/AppTest.hpp"

namespace pellavo::testing {

// Writes every scroll-view callback as a line ("scroll 0,40", "endDragging 1", …).
class ScrollRecorder : public ui::ScrollViewDelegate {
public:
    std::vector<std::string> events;
    std::shared_ptr<ui::View> zoomView;
    std::function<void(cg::Point velocity, cg::Point& target)> retarget;
    std::function<void(ui::ScrollView&)> onScroll;
    cg::Point lastVelocity;
    cg::Point lastTarget;

    static std::string pt(cg::Point p) { return fmt(p.x) + "," + fmt(p.y); }
    static std::string fmt(double v) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%g", v);
        return buf;
    }

    int count(const std::string& prefix) const {
        int n = 0;
        for (const auto& e : events)
            if (e.rfind(prefix, 0) == 0) ++n;
        return n;
    }
    // The events without the per-frame scroll and zoom lines.
    std::vector<std::string> milestones() const {
        std::vector<std::string> out;
        for (const auto& e : events)
            if (e.rfind("scroll ", 0) != 0 && e != "zoom") out.push_back(e);
        return out;
    }

    void scrollViewDidScroll(ui::ScrollView& sv) override {
        events.push_back("scroll " + pt(sv.contentOffset()));
        if (onScroll) onScroll(sv);
    }
    void scrollViewWillBeginDragging(ui::ScrollView&) override { events.push_back("willBeginDragging"); }
    void scrollViewWillEndDragging(ui::ScrollView&, cg::Point velocity, cg::Point& target) override {
        lastVelocity = velocity;
        lastTarget = target;
        if (retarget) retarget(velocity, target);
        events.push_back("willEndDragging");
    }
    void scrollViewDidEndDragging(ui::ScrollView&, bool decelerate) override {
        events.push_back(std::string("didEndDragging ") + (decelerate ? "1" : "0"));
    }
    void scrollViewWillBeginDecelerating(ui::ScrollView&) override { events.push_back("willBeginDecelerating"); }
    void scrollViewDidEndDecelerating(ui::ScrollView& sv) override {
        events.push_back("didEndDecelerating " + pt(sv.contentOffset()));
    }
    void scrollViewDidEndScrollingAnimation(ui::ScrollView& sv) override {
        events.push_back("didEndScrollingAnimation " + pt(sv.contentOffset()));
    }
    std::shared_ptr<ui::View> viewForZooming(ui::ScrollView&) override { return zoomView; }
    void scrollViewWillBeginZooming(ui::ScrollView&, const std::shared_ptr<ui::View>&) override {
        events.push_back("willBeginZooming");
    }
    void scrollViewDidZoom(ui::ScrollView&) override { events.push_back("zoom"); }
    void scrollViewDidEndZooming(ui::ScrollView&, const std::shared_ptr<ui::View>& view, double scale) override {
        events.push_back("didEndZooming " + fmt(scale) + (view == zoomView ? "" : " (other view)"));
    }
};

// A 300 × 400 scroll view over 300 × 1200 of content in the key window, with a
// recorder as its delegate, laid out and drawn once.
class ScrollViewFixture : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        sv = ns::make<ui::ScrollView>(cg::Rect{0, 0, 300, 400});
        sv->setContentSize({300, 1200});
        recorder = std::make_shared<ScrollRecorder>();
        sv->setDelegate(recorder);
        window()->addSubview(sv);
        advance(0.01);
    }

    std::shared_ptr<ui::ScrollView> sv;
    std::shared_ptr<ScrollRecorder> recorder;
};

} // namespace pellavo::testing
