#pragma once

#include "platform/ns/Export.hpp"

namespace pellavo::ca {
class Layer;
}

namespace pellavo::ui {

// The end-of-turn passes over the visible windows: layout (RunLoop::Order::layout),
// then display (RunLoop::Order::display), both before the animation commit.
class PELLAVO_EXPORT DisplayCycle {
public:
    // Rounds of layout per turn before the pass gives up on a tree that keeps
    // marking itself.
    static constexpr int maxLayoutRounds = 16;

    // Registers the two run-loop observers once; views call it when they are made.
    static void install();

    // Lays out every marked layer of every visible window, top-down, repeating while
    // layout marks more (up to maxLayoutRounds).
    static void layoutPass();
    // Redraws every marked layer with non-empty bounds in every visible window.
    static void displayPass();

    // The same for one tree, in a window or not.
    static void layoutTree(ca::Layer& root);
    static void displayTree(ca::Layer& root);
};

} // namespace pellavo::ui
