// Random touch sequences over every registered gallery page, each built as the gallery
// builds it, so that a component's page is exercised the day it lands. Run longer or
// differently with PELLAVO_MONKEY_SEQUENCES and PELLAVO_MONKEY_SEED.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "examples/gallery/Gallery.hpp"
#include "examples/gallery/GalleryShell.hpp"
#include "platform/backend/Headless.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ns/Clock.hpp"
#include "platform/ui/view/DisplayCycle.hpp"
#include "platform/ui/view/Screen.hpp"
#include "platform/ui/event/Touch.hpp"
#include "platform/ui/text/Keyboard.hpp"
#include "tests/support/AppTest.hpp"

namespace pellavo::gallery {
namespace {

// Small enough to keep the sanitizer run of CI within a couple of minutes.
constexpr std::uint64_t defaultSequences = 2000;
constexpr std::uint64_t defaultSeed = 20261207;
constexpr int renderEvery = 50;

// Console lines that report the library's own failure, never a caller's mistake.
constexpr std::string_view internalErrors[] = {
    "Layout did not settle after", "cairo error",          "Renderer: drawing failed",
    "RunLoop: still busy after",   "a global block threw", "refusing to add a layer to itself",
};

// What a finger or a keyboard might bring: plain letters, combining marks, joined emoji,
// flags, right-to-left text, controls and a long run.
const char* const fragments[] = {
    "a", "Zz", "0", " ", "e\u0301", "\U0001F44D\U0001F3FD", "\U0001F469\u200D\U0001F4BB", "\U0001F1EB\U0001F1EE",
    "\u05E9\u05DC\u05D5\u05DD", "\t", "\u200B", "12345678901234567890123456789012345678901234567890",
};

std::uint64_t fromEnvironment(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    errno = 0;
    char* end = nullptr;
    const std::uint64_t value = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0') {
        ADD_FAILURE() << name << " is not a count: " << text;
        return fallback;
    }
    return value;
}

// Each subview's superview is the view that lists it, and its layer sits in that view's layer;
// the first break, or empty.
std::string treeBreak(const ui::View& view) {
    for (const auto& subview : view.subviews()) {
        if (subview->superview().get() != &view)
            return std::string(subview->className()) + " is listed by a " + std::string(view.className()) +
                   " that is not its superview";
        if (subview->layer()->superlayer() != view.layer())
            return std::string(subview->className()) + "'s layer is not in the layer of its superview, a " +
                   std::string(view.className());
        if (auto problem = treeBreak(*subview); !problem.empty()) return problem;
    }
    return {};
}

class GalleryMonkey : public testing::AppTest {
protected:
    double uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random_); }
    int integer(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool chance(double p) { return uniform(0, 1) < p; }

    // Mostly on the screen; some off it, some absurdly far.
    double coordinate(double extent) {
        const double roll = uniform(0, 1);
        if (roll < 0.04) return chance(0.5) ? 1e9 : -1e9;
        if (roll < 0.14) return uniform(-extent / 2, extent * 1.5);
        return uniform(0, extent);
    }
    cg::Point point() { return {coordinate(375), coordinate(667)}; }
    cg::Point near(cg::Point from) {
        if (chance(0.3)) return point();
        return {from.x + uniform(-40, 40), from.y + uniform(-40, 40)};
    }
    // Most steps follow quickly; some wait long enough for time-outs and animations.
    void pause() { advance(chance(0.7) ? uniform(0, 0.05) : uniform(0, 2.5)); }

    // Returns every touch it put down. A driver of its own: one that lived through the whole
    // run would carry every finished touch along.
    std::vector<std::shared_ptr<ui::Touch>> touchSequence() {
        ui::TestDriver fingers;
        std::vector<std::shared_ptr<ui::Touch>> touches;
        struct Finger {
            ui::TestDriver::TouchId id;
            cg::Point at;
        };
        std::vector<Finger> down;
        const auto land = [&](int count) {
            std::vector<cg::Point> points;
            for (int i = 0; i < count; ++i) points.push_back(point());
            const auto ids = fingers.touchDown(points);
            for (std::size_t i = 0; i < ids.size(); ++i) {
                down.push_back({ids[i], points[i]});
                touches.push_back(fingers.touch(ids[i]));
            }
        };
        land(integer(1, 3));
        const int steps = integer(0, 12);
        for (int step = 0; step < steps && !down.empty(); ++step) {
            pause();
            const double roll = uniform(0, 1);
            const std::size_t which = static_cast<std::size_t>(integer(0, static_cast<int>(down.size()) - 1));
            if (roll < 0.6) {
                down[which].at = near(down[which].at);
                fingers.move(down[which].id, down[which].at);
            } else if (roll < 0.7) {
                std::vector<std::pair<ui::TestDriver::TouchId, cg::Point>> moves;
                for (auto& finger : down) moves.emplace_back(finger.id, finger.at = near(finger.at));
                fingers.move(moves);
            } else if (roll < 0.82) {
                fingers.up(down[which].id, near(down[which].at));
                down.erase(down.begin() + static_cast<std::ptrdiff_t>(which));
            } else if (roll < 0.9) {
                fingers.cancel(down[which].id);
                down.erase(down.begin() + static_cast<std::ptrdiff_t>(which));
            } else if (down.size() < 3) {
                land(1);
            }
        }
        for (const auto& finger : down) {
            pause();
            if (chance(0.9))
                fingers.up(finger.id);
            else
                fingers.cancel(finger.id);
        }
        return touches;
    }

    // Typing, deleting, Return and pasting, while a field is editing.
    void keys() {
        const int count = integer(1, 4);
        for (int i = 0; i < count && app().keyboard().activeInput(); ++i) {
            const double roll = uniform(0, 1);
            const ns::String text(fragments[integer(0, static_cast<int>(std::size(fragments)) - 1)]);
            if (roll < 0.5) {
                driver().type(text);
            } else if (roll < 0.7) {
                driver().backspace();
            } else if (roll < 0.8) {
                driver().returnKey();
            } else if (roll < 0.9) {
                driver().paste(text);
            } else {
                // As a user clears a field; it also keeps the texts from growing without end.
                app().keyboard().sendAction(ns::Selector("selectAll:"));
                driver().backspace();
            }
        }
    }

    // Steps to `position` with the bar's own buttons where one step does it; a page that
    // covers the bar (a presented screen, an overlay) leaves the jump to the shell.
    void turnTo(GalleryShell& shell, int position) {
        constexpr double bar = GalleryShell::barHeight / 2;
        if (position == shell.position() + 1)
            driver().tap({375 - bar, bar});
        else if (position == shell.position() - 1)
            driver().tap({bar, bar});
        if (shell.position() != position) shell.show(position);
        advance(0.05);
    }

    // Empty when every invariant holds after a sequence.
    std::string brokenInvariant(std::size_t& consoleSeen, const std::vector<std::shared_ptr<ui::Touch>>& touches) {
        const auto lines = loggedLines();
        for (; consoleSeen < lines.size(); ++consoleSeen)
            for (const auto marker : internalErrors)
                if (lines[consoleSeen].find(marker) != std::string::npos) return "console: " + lines[consoleSeen];
        for (const auto& shown : app().displayWindows())
            if (auto problem = treeBreak(*shown); !problem.empty()) return "view tree: " + problem;
        for (const auto& touch : touches)
            if (app().liveTouches().contains(touch)) return "a lifted touch is still live";
        return {};
    }

    std::mt19937_64 random_;
};

TEST_F(GalleryMonkey, RandomTouchesOnEveryPageBreakNothing) {
    const std::uint64_t sequences = fromEnvironment("PELLAVO_MONKEY_SEQUENCES", defaultSequences);
    const std::uint64_t seed = fromEnvironment("PELLAVO_MONKEY_SEED", defaultSeed);
    std::fprintf(stderr, "gallery monkey: seed %llu, %llu sequences over %zu pages\n",
                 static_cast<unsigned long long>(seed), static_cast<unsigned long long>(sequences), pages().size());
    random_.seed(seed);
    ASSERT_FALSE(pages().empty());

    auto shell = ns::make<GalleryShell>(window());
    shell->showIndex();
    const int positions = shell->positionCount();
    std::size_t consoleSeen = 0;
    for (std::uint64_t sequence = 0; sequence < sequences; ++sequence) {
        // Every position in turn, whatever the random taps opened meanwhile.
        const auto planned = static_cast<int>(sequence * static_cast<std::uint64_t>(positions) / sequences);
        if (sequence == 0 || planned != static_cast<int>((sequence - 1) * positions / sequences))
            turnTo(*shell, planned);
        const auto touches = touchSequence();
        if (app().keyboard().activeInput() && chance(0.5)) keys();
        if ((sequence + 1) % renderEvery == 0) {
            const auto picture = backend::Headless::renderScreen();
            ASSERT_TRUE(picture) << "seed " << seed << ", sequence " << sequence;
        }
        if (const auto problem = brokenInvariant(consoleSeen, touches); !problem.empty())
            FAIL() << problem << "\n(seed " << seed << ", sequence " << sequence << " on " << shell->title()
                   << "; rerun with PELLAVO_MONKEY_SEED=" << seed << ")";
    }
    shell.reset();
}

TEST_F(GalleryMonkey, TurningThePageLeavesNothingOfTheLastOneInTheWindow) {
    auto shell = ns::make<GalleryShell>(window());
    for (int position = 0; position < shell->positionCount(); ++position) {
        shell->show(position);
        const std::string shown = shell->title();
        advance(0.5);
        shell->show(0);
        EXPECT_EQ(window()->subviews().size(), 1u) << "after " << shown;
    }
}

// Every page as a person meets it, its animations running and fingers on it: each frame
// redrawn only where it changed is the frame drawn whole, pixel for pixel.
TEST_F(GalleryMonkey, FramesRedrawnWhereTheyChangedEqualWholeFramesOnEveryPage) {
    random_.seed(defaultSeed);
    auto shell = ns::make<GalleryShell>(window());
    const auto& screen = ui::Screen::main();
    ca::Renderer changes(screen.bounds().size, screen.scale()), whole(screen.bounds().size, screen.scale());
    for (int position = 0; position < shell->positionCount(); ++position) {
        shell->show(position);
        for (int frame = 0; frame < 16; ++frame) {
            if (frame % 5 == 4) touchSequence();
            advance(1.0 / 30);
            ui::DisplayCycle::layoutPass();
            ui::DisplayCycle::displayPass();
            const auto mode = ca::RenderMode::presentation(ns::Clock::shared()->seconds());
            const cg::Image& fast = changes.renderChanges(*window()->layer(), mode);
            const cg::Image& full = whole.render(*window()->layer(), mode);
            ASSERT_EQ(fast.byteCount(), full.byteCount());
            if (std::memcmp(fast.data(), full.data(), full.byteCount()) == 0) continue;
            std::size_t at = 0;
            while (fast.data()[at] == full.data()[at]) ++at;
            const auto pixel = static_cast<int>(at / 4);
            FAIL() << shell->title() << ", frame " << frame << ": pixel (" << pixel % fast.width() << ", "
                   << pixel / fast.width() << ") differs";
        }
    }
    shell.reset();
}

} // namespace
} // namespace pellavo::gallery
