#include "platform/ui/text/Pasteboard.hpp"

namespace pellavo::ui {

Pasteboard& Pasteboard::general() {
    static Pasteboard board;
    return board;
}

} // namespace pellavo::ui
