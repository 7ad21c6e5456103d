#pragma once

#include "platform/ns/Export.hpp"

namespace pellavo {

// A controller that takes part in a walkthrough's scroll reports. The pager finds it
// among its pages with dynamic_cast and calls it on every scroll movement while the
// page lies less than two page widths from the centre.
class PELLAVO_EXPORT VXWalkthroughPage {
public:
    virtual ~VXWalkthroughPage() = default;
    // `to` is the pager's horizontal content offset in points; `offset` the page's
    // place relative to the centre: 1 when the page fills the pager, 0 one width to
    // the right (still to come), 2 one width to the left (passed).
    virtual void walkthroughDidScroll(double to, double offset) = 0;
};

} // namespace pellavo
