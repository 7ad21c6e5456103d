#include "pellavo/VXImageBrowser/VXTransitionInfo.hpp"

#include <cmath>
#include <utility>

namespace pellavo {

VXTransitionInfo::VXTransitionInfo(std::shared_ptr<ui::View> fromView) : fromView_(std::move(fromView)) {}

void VXTransitionInfo::setDuration(double duration) {
    if (!std::isfinite(duration) || duration < 0) return;
    duration_ = duration;
}

} // namespace pellavo
