#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <thread>

#include "platform/ui/text/Font.hpp"
#include "platform/ui/text/FontSystem.hpp"

namespace {

using pellavo::ui::Font;

std::string loadedFile(const Font& font) { return pellavo::ui::detail::faceFile(font); }

struct MappingCase {
    Font font;
    std::string name;
    std::string face;
    std::string file;
};

TEST(FontTest, NamesMapThroughTheTableAndKeepTheRequestedName) {
    const std::string dir = "/usr/share/fonts/truetype/dejavu/";
    const MappingCase cases[] = {
        {Font::systemFont(12), ".System", "DejaVu Sans", dir + "DejaVuSans.ttf"},
        {Font::boldSystemFont(12), ".System-Bold", "DejaVu Sans Bold", dir + "DejaVuSans-Bold.ttf"},
        {Font::systemFont(12, Font::Weight::semibold), ".System-Bold", "DejaVu Sans Bold",
         dir + "DejaVuSans-Bold.ttf"},
        {Font::systemFont(12, Font::Weight::light), ".System-Light", "DejaVu Sans ExtraLight",
         dir + "DejaVuSans-ExtraLight.ttf"},
        {Font("AvenirNext-Bold", 14), "AvenirNext-Bold", "DejaVu Sans Bold", dir + "DejaVuSans-Bold.ttf"},
        {Font("Futura-Bold", 14), "Futura-Bold", "DejaVu Sans Bold", dir + "DejaVuSans-Bold.ttf"},
        {Font("HelveticaNeue-Light", 14), "HelveticaNeue-Light", "DejaVu Sans ExtraLight",
         dir + "DejaVuSans-ExtraLight.ttf"},
        {Font("Bold", 14), "Bold", "DejaVu Sans", dir + "DejaVuSans.ttf"},
        {Font("Chalkboard-Regular", 9), "Chalkboard-Regular", "DejaVu Sans", dir + "DejaVuSans.ttf"},
        {Font("", 9), "", "DejaVu Sans", dir + "DejaVuSans.ttf"},
    };
    for (const MappingCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.font.fontName(), c.name);
        EXPECT_EQ(c.font.familyName(), "DejaVu Sans");
        EXPECT_EQ(c.font.faceName(), c.face);
        EXPECT_EQ(loadedFile(c.font), c.file);
    }
}

TEST(FontTest, WithSizeKeepsNameAndFace) {
    const Font light("HelveticaNeue-Light", 14);
    const Font bigger = light.withSize(30);
    EXPECT_EQ(bigger.fontName(), "HelveticaNeue-Light");
    EXPECT_EQ(bigger.face(), Font::Face::extraLight);
    EXPECT_EQ(bigger.pointSize(), 30);
    EXPECT_NE(bigger, light);
    EXPECT_EQ(bigger.withSize(14), light);
    EXPECT_NE(Font("A", 14), Font("B", 14));
}

TEST(FontTest, MetricsScaleWithSizeAndHaveTheDefaultFacesProportions) {
    const Font font = Font::systemFont(20);
    // The regular face's vertical metrics: 1901 and 483 of 2048 units per em.
    EXPECT_NEAR(font.ascender(), 20 * 1901.0 / 2048, 0.01);
    EXPECT_NEAR(font.descender(), -20 * 483.0 / 2048, 0.01);
    EXPECT_NEAR(font.lineHeight(), font.ascender() - font.descender(), 0.01);
    EXPECT_NEAR(font.withSize(10).ascender() * 2, font.ascender(), 1e-9);
}

TEST(FontTest, BadSizesBecomeZeroAndHugeOnesAreCapped) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double size : {0.0, -3.0, nan, inf, -inf}) {
        const Font font = Font::systemFont(size);
        EXPECT_EQ(font.pointSize(), 0) << size;
        EXPECT_EQ(font.ascender(), 0);
        EXPECT_EQ(font.lineHeight(), 0);
    }
    EXPECT_EQ(Font("X", nan), Font("X", 0));
    EXPECT_EQ(Font("X", 1e300).pointSize(), pellavo::ui::detail::maximumPointSize);

    const Font blank;
    EXPECT_EQ(blank.fontName(), "");
    EXPECT_EQ(blank.pointSize(), 0);
    EXPECT_EQ(blank.descender(), 0);
}

TEST(FontTest, AWorkerThreadHasItsOwnContextWithTheSameFaces) {
    const Font font("AvenirNext-Bold", 17);
    const std::string here = loadedFile(font);
    PangoContext* mine = pellavo::ui::detail::fontContext();
    std::string there;
    PangoContext* theirs = nullptr;
    std::thread worker([&] {
        there = loadedFile(font);
        theirs = pellavo::ui::detail::fontContext();
    });
    worker.join();
    EXPECT_EQ(here, there);
    EXPECT_NE(mine, theirs);
}

} // namespace
