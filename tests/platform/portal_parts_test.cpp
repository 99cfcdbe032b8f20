#include <gtest/gtest.h>

#include <QSettings>
#include <optional>
#include <tuple>
#include <vector>

#include "platform/portal/cast_streams.h"
#include "platform/portal/portal_offer.h"
#include "qt_support/profile_consent_memory.h"
#include "support/geometry_printing.h"
#include "support/temp_dir.h"

namespace glimtap::platform {
namespace {

// A monitor at scale 2 (1280 x 720 layout units, frames of 2560 x 1440) left of one at scale
// 1 whose frame size is not known yet: placed as the wlroots outputs are, and each desktop
// pixel driven on its own stream in that stream's layout units.
TEST(PortalStreams, PlacedOnTheDesktopAndPointedAtInLayoutUnits) {
    const std::vector<CastStream> streams = {{41, {0, 0, 1280, 720}, {2560, 1440}},
                                             {42, {1280, 0, 1920, 1080}, {}}};
    EXPECT_EQ(PlaceStreams(streams),
              (std::vector<ScreenRect>{{0, 0, 2560, 1440}, {2560, 0, 1920, 1080}}));
    const std::tuple<Point, std::optional<StreamPoint>> points[] = {
        {{0, 0}, StreamPoint{0, 0, 0}},
        {{101, 51}, StreamPoint{0, 50.5, 25.5}},
        {{2559, 1439}, StreamPoint{0, 1279.5, 719.5}},
        {{2561, 5}, StreamPoint{1, 1, 5}},
        {{2560, 1200}, std::nullopt},  // below the second monitor: no stream shows it
        {{-1, 0}, std::nullopt},
    };
    for (const auto& [at, expected] : points) {
        SCOPED_TRACE(testing::PrintToString(at));
        EXPECT_EQ(PointOnStream(streams, at), expected);
    }
}

TEST(PortalOffer, ToldAsItsInterfacesAndVersions) {
    EXPECT_EQ(PortalOfferText({4, 1, 0, 7, 7}),
              "ScreenCast 4, RemoteDesktop 1, GlobalShortcuts none");
}

// The token is kept where the window keeps its settings, for the next run to find.
TEST(ProfileConsentMemory, KeepsTheTokenInTheProfileAndForgetsIt) {
    const test::TempDir dir;
    const QString ini = QString::fromStdString((dir / "Glimtap.ini").string());
    EXPECT_EQ(ProfileConsentMemory(ini).Recall(), "");
    ProfileConsentMemory(ini).Remember("8a1c-token");
    EXPECT_EQ(ProfileConsentMemory(ini).Recall(), "8a1c-token");
    EXPECT_EQ(QSettings(ini, QSettings::IniFormat).value("Settings/ScreenCastToken").toString(),
              "8a1c-token");
    ProfileConsentMemory(ini).Remember("");
    EXPECT_EQ(ProfileConsentMemory(ini).Recall(), "");
    EXPECT_FALSE(QSettings(ini, QSettings::IniFormat).contains("Settings/ScreenCastToken"));
}

}  // namespace
}  // namespace glimtap::platform
