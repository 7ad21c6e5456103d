#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/ui/control/Button.hpp"
#include "platform/ui/graphics/Color.hpp"

namespace pellavo::uibutton {

// Ready-made custom-type buttons whose images are the icon layers rendered at the
// screen scale. They carry no targets, titles or background; the host adds its own.
// A size that is not > 0 (or not finite) gives a button without images, its sides
// taken as 0 where they were bad.

// d × d: a white disc with a triangular hole; light grey while highlighted.
PELLAVO_EXPORT std::shared_ptr<ui::Button> circlePlayButton(double diameter);
// w × h with a white triangle of edge min(w, h, 20); white at alpha 0.7 while highlighted.
PELLAVO_EXPORT std::shared_ptr<ui::Button> playButton(double width, double height);
// As playButton, in red.
PELLAVO_EXPORT std::shared_ptr<ui::Button> replayButton(double width, double height);
// w × h with two white bars from the height alone (edge min(h, 20)).
PELLAVO_EXPORT std::shared_ptr<ui::Button> pauseButton(double width, double height);
// 50 × 50 with a white 15-point X.
PELLAVO_EXPORT std::shared_ptr<ui::Button> closeButton();
// 44 × 44 with an 18-point chevron in the colour.
PELLAVO_EXPORT std::shared_ptr<ui::Button> backButton(ui::Color color);
// 50 × 50 with an 18-point plus sign in the colour.
PELLAVO_EXPORT std::shared_ptr<ui::Button> plusButton(ui::Color color);
// 50 × 50 with an 18-point tick in the colour.
PELLAVO_EXPORT std::shared_ptr<ui::Button> confirmButton(ui::Color color);

} // namespace pellavo::uibutton
