#pragma once

#include <memory>
#include <mutex>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ns/Object.hpp"

namespace pellavo::ui {

// The device screen: 375 x 667 points at scale 2 unless a test or a rotation says otherwise.
// Readable from any thread (workers make image contexts at the screen scale).
class PELLAVO_EXPORT Screen : public ns::Object {
public:
    static Screen& main();

    std::string_view className() const override { return "UIScreen"; }

    cg::Rect bounds() const;
    double scale() const;
    // Non-finite values are ignored; so is a scale that is not positive.
    void setBounds(const cg::Rect& bounds);
    void setScale(double scale);

private:
    mutable std::mutex mutex_;
    cg::Rect bounds_{0, 0, 375, 667};
    double scale_ = 2;
};

} // namespace pellavo::ui
