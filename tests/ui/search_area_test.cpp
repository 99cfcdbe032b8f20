#include "ui/search_area.h"

#include <gtest/gtest.h>

namespace glimtap::test {
namespace {

TEST(SearchAreaTest, ASelectionBecomesTheAreaAndItsText) {
    SearchSettings settings;
    settings.areaLeft = 1;
    settings.areaTop = 2;
    settings.areaWidth = 3;
    settings.areaHeight = 4;

    EXPECT_FALSE(ApplySelectedArea(std::nullopt, settings));
    EXPECT_EQ(SearchAreaText(settings), "Left : 1, Top : 2\n\nWidth : 3, Height : 4");

    EXPECT_TRUE(ApplySelectedArea(platform::ScreenRect{300, 200, 200, 150}, settings));
    EXPECT_EQ(SearchAreaText(settings), "Left : 300, Top : 200\n\nWidth : 200, Height : 150");

    EXPECT_TRUE(ApplySelectedArea(platform::ScreenRect{-1820, -5, 3840, 1085}, settings));
    EXPECT_EQ(SearchAreaText(settings), "Left : -1820, Top : -5\n\nWidth : 3840, Height : 1085");
}

}  // namespace
}  // namespace glimtap::test
