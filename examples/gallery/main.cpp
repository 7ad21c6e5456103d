#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/Pellavo.hpp"

namespace pellavo::gallery {

namespace {
std::vector<Page>& registry() {
    static std::vector<Page> list;
    return list;
}
} // namespace

void registerPage(std::string name, std::function<void()> build) {
    registry().push_back({std::move(name), std::move(build)});
}

const std::vector<Page>& pages() { return registry(); }

} // namespace pellavo::gallery

namespace {

void usage() {
    std::puts("usage: pellavo-gallery [--list] [--page NAME] [--png DIR]");
}

} // namespace

int main(int argc, char** argv) {
    using namespace pellavo::gallery;
    bool list = false;
    std::string page;
    std::string pngDir;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--list") == 0) {
            list = true;
        } else if (std::strcmp(argv[i], "--page") == 0 && i + 1 < argc) {
            page = argv[++i];
        } else if (std::strcmp(argv[i], "--png") == 0 && i + 1 < argc) {
            pngDir = argv[++i];
        } else {
            usage();
            return 2;
        }
    }
    if (pages().empty()) {
        std::puts("no pages");
        return 0;
    }
    if (list) {
        for (const Page& p : pages()) std::puts(p.name.c_str());
        return 0;
    }
    for (const Page& p : pages()) {
        if (!page.empty() && p.name != page) continue;
        p.build();
    }
    (void)pngDir;
    return 0;
}
