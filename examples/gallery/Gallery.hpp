#pragma once

#include <functional>
#include <string>
#include <vector>

namespace pellavo::gallery {

// A page shows one component (or one family of them) the way a host would use it.
// The builder is called with the page's root layer size in points and fills the page.
struct Page {
    std::string name;
    std::function<void()> build;
};

void registerPage(std::string name, std::function<void()> build);
const std::vector<Page>& pages();

} // namespace pellavo::gallery
