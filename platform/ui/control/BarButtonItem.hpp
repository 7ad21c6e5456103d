#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/ns/Object.hpp"

namespace pellavo::ui {

class View;

// An item for a navigation or tool bar; here only a holder of a custom view.
class PELLAVO_EXPORT BarButtonItem : public ns::Object {
public:
    explicit BarButtonItem(std::shared_ptr<View> customView = nullptr) : customView_(std::move(customView)) {}
    std::string_view className() const override { return "UIBarButtonItem"; }

    // Held strongly.
    const std::shared_ptr<View>& customView() const { return customView_; }
    void setCustomView(std::shared_ptr<View> view) { customView_ = std::move(view); }

private:
    std::shared_ptr<View> customView_;
};

} // namespace pellavo::ui
