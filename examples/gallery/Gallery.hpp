#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pellavo::ui {
class View;
}

namespace pellavo::gallery {

// One page of the gallery: a component (or a family of them) placed the way a host
// would use it. `build` fills the content view (375 × 623 points, under the bar);
// the PNG mode lets the page's animations run `settleSeconds` before the picture.
struct GalleryPage {
    std::string id;
    std::string title;
    std::function<void(ui::View& content)> build;
    double settleSeconds = 1;
};

// Adds a page. The id names the page's PNG, so it is letters, digits, '.', '_' or '-',
// and not "index". A page with a bad or taken id, or without a builder, is refused with
// a line on stderr. A settle time that is not a number becomes 1 s; it is kept in
// [0, 60] seconds.
bool registerPage(GalleryPage page);
// Ordered by id, whatever order the pages registered in.
const std::vector<GalleryPage>& pages();
// Null when no page has the id.
const GalleryPage* findPage(std::string_view id);

// The families the index groups the pages into, in the order it shows them. A page
// joins its family through the table in Gallery.cpp (by id); one the table does not name
// is listed under the last family, "More components".
const std::vector<std::string>& families();
// Index into families().
std::size_t familyOf(const GalleryPage& page);

// A section heading across the page, 18 points tall at `y`: grey of the given white
// level (lighter on dark pages).
void addHeading(ui::View& content, double y, const std::string& text, double white = 0.45);
// A small right-aligned grey caption, 16 points tall at (x, y): over a field, clear of
// what lies at the field's left.
void addCaption(ui::View& content, double x, double y, double width, const std::string& text);

// A page registers itself with one line in its own source file:
//   static const gallery::PageRegistration registration{{"slider", "Slider", buildSlider}};
struct PageRegistration {
    explicit PageRegistration(GalleryPage page) { registerPage(std::move(page)); }
};

} // namespace pellavo::gallery
