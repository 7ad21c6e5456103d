#pragma once

#include "platform/ns/Export.hpp"
#include "platform/cg/Context.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ui/graphics/Image.hpp"

namespace pellavo::ui {

// Each thread has its own stack of current contexts.

// Pushes a bitmap context of ceil(size x scale) pixels whose user space is in points,
// origin top-left, y down. Scale 0 (or any scale that is not positive) means the main
// screen's scale. A non-opaque bitmap starts transparent, an opaque one black.
// A size that is zero, negative, not finite or over the caps (a side over 16384 pixels
// or more than 2^26 pixels) logs one line and pushes a placeholder: the current context
// reads null until the matching end pops it.
PELLAVO_EXPORT void graphicsBeginImageContextWithOptions(cg::Size size, bool opaque, double scale);
// Not opaque, scale 1.
PELLAVO_EXPORT void graphicsBeginImageContext(cg::Size size);
// Pops the top entry if it is an image context or a placeholder; otherwise nothing.
PELLAVO_EXPORT void graphicsEndImageContext();

// The pixels of the current image context so far, at its scale; empty when the top
// of the stack is not an image context (a placeholder, a pushed context, nothing).
PELLAVO_EXPORT Image graphicsGetImageFromCurrentImageContext();

// The context on top of this thread's stack, or null.
PELLAVO_EXPORT cg::Context* graphicsGetCurrentContext();

// Makes a context someone else owns current until the matching pop.
PELLAVO_EXPORT void graphicsPushContext(cg::Context& context);
// Pops the top entry if it was pushed with graphicsPushContext; otherwise nothing.
PELLAVO_EXPORT void graphicsPopContext();

} // namespace pellavo::ui
