#include "examples/gallery/Gallery.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/ui/control/Label.hpp"

namespace pellavo::gallery {

namespace {

std::vector<GalleryPage>& registry() {
    static std::vector<GalleryPage> list;
    return list;
}

bool isFileNameSafe(std::string_view id) {
    if (id.empty() || id == "index" || id == "." || id == "..") return false;
    return std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
               c == '_' || c == '-';
    });
}

struct Family {
    std::string name;
    std::vector<std::string_view> ids;
};

const std::vector<Family>& familyTable() {
    static const std::vector<Family> table{
        {"Buttons and switches",
         {"controls", "Slider", "GMStepper", "VXSegmentedControl", "VXCircularCheckBox", "VXFlatSwitch",
          "VXSMSSendCodeButton", "Badges"}},
        {"Text input", {"VXActiveTextField", "VXPlaceholderTextField", "VXPlaceholderTextView", "InputType",
                        "VXNumberKeyboard", "VXRegexTextField"}},
        {"Menus and overlays", {"VXPopOverMenu", "VXPopOverMenuAbove", "PopBubble", "VXAlert", "VXAlertActionSheet",
                                "VXHub"}},
        {"Browsing and paging", {"VXImageBrowser", "VXImageBrowserFill", "VXImageBrowserDrag",
                                 "VXImageBrowserTransition", "VXWalkthrough", "VXWalkthroughRest",
                                 "SnakePageControl"}},
        {"Indicators and decorative views",
         {"LoadingIndicators", "GradientAndProgress", "PastelAndShadow", "Labels", "Icons", "platform"}},
        {"More components", {}},
    };
    return table;
}

} // namespace

const std::vector<std::string>& families() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (const Family& family : familyTable()) out.push_back(family.name);
        return out;
    }();
    return names;
}

std::size_t familyOf(const GalleryPage& page) {
    const auto& table = familyTable();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (std::find(table[i].ids.begin(), table[i].ids.end(), page.id) != table[i].ids.end()) return i;
    return table.size() - 1;
}

bool registerPage(GalleryPage page) {
    if (!isFileNameSafe(page.id)) {
        std::fprintf(stderr, "gallery: refusing the page id \"%s\"\n", page.id.c_str());
        return false;
    }
    if (!page.build) {
        std::fprintf(stderr, "gallery: the page %s has no builder\n", page.id.c_str());
        return false;
    }
    if (findPage(page.id)) {
        std::fprintf(stderr, "gallery: the page %s is registered twice\n", page.id.c_str());
        return false;
    }
    if (std::isnan(page.settleSeconds)) page.settleSeconds = 1;
    page.settleSeconds = std::clamp(page.settleSeconds, 0.0, 60.0);
    if (page.title.empty()) page.title = page.id;
    auto& list = registry();
    const auto at = std::upper_bound(list.begin(), list.end(), page.id,
                                     [](const std::string& id, const GalleryPage& p) { return id < p.id; });
    list.insert(at, std::move(page));
    return true;
}

const std::vector<GalleryPage>& pages() { return registry(); }

const GalleryPage* findPage(std::string_view id) {
    for (const auto& page : registry())
        if (page.id == id) return &page;
    return nullptr;
}

void addHeading(ui::View& content, double y, const std::string& text, double white) {
    auto view = ns::make<ui::Label>(cg::Rect{16, y, 343, 18});
    view->setText(ns::String(text));
    view->setFont(ui::Font::systemFont(13, ui::Font::Weight::semibold));
    view->setTextColor(ui::Color(white, 1));
    view->setTextAlignment(ns::TextAlignment::left);
    content.addSubview(view);
}

void addCaption(ui::View& content, double x, double y, double width, const std::string& text) {
    auto view = ns::make<ui::Label>(cg::Rect{x, y, width, 16});
    view->setText(ns::String(text));
    view->setFont(ui::Font::systemFont(11, ui::Font::Weight::semibold));
    view->setTextColor(ui::Color(0.45, 1));
    view->setTextAlignment(ns::TextAlignment::right);
    content.addSubview(view);
}

} // namespace pellavo::gallery
