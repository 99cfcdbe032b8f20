#include "ui/screen_area_selector.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QInputDialog>
#include <QMenu>
#include <QTableWidget>
#include <QTest>

#include <array>

#include "engine/template_image.h"
#include "support/geometry_printing.h"
#include "qt_support/profile_consent_memory.h"
#include "support/modal_driver.h"
#include "ui/screen_still.h"
#include "support/x_input.h"
#include "support/x_observer.h"
#include "ui/view_fixture.h"

namespace glimtap::test {
namespace {

using platform::ScreenRect;

constexpr xcb_keysym_t kEscape = 0xff1b;

class ScreenAreaSelectorTest : public testing::Test {
protected:
    // m_oStartingPoint.x/y, m_oClosingPoint.x/y as the profile holds them.
    std::array<int, 4> Stored() const {
        std::array<int, 4> values{};
        for (size_t i = 0; i < values.size(); ++i) values[i] = profile_.GetProfileInt("Settings", kNames[i], -99999);
        return values;
    }

    // Runs the selector and, once its veil is mapped on the server (input must find it there,
    // not only shown by Qt), `act`s on it as a user would. A selector still open after a
    // generous while is cancelled and the test fails, so that it never hangs the suite.
    std::optional<ScreenRect> Select(const std::function<void()>& act) {
        bool acted = false;
        QPointer<CDlgScreenAreaSelector> seen;
        QTimer driver;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            seen = qobject_cast<CDlgScreenAreaSelector*>(QApplication::activeModalWidget());
            if (seen == nullptr) return;
            driver.stop();
            WindowObserver observer;
            acted = QTest::qWaitFor([&] { return observer.IsViewable(static_cast<xcb_window_t>(seen->winId())); }, 10000);
            if (acted) act();
        });
        QTimer::singleShot(30000, &driver, [&] {
            if (seen == nullptr) return;
            ADD_FAILURE() << "the selector did not close";
            seen->reject();
        });
        driver.start(10);
        backends_->AskConsent();  // on GNOME, given before: the profile keeps it
        EXPECT_TRUE(QTest::qWaitFor([&] { return backends_->ScreenConsent() == platform::Consent::kGiven ||
                                                 backends_->ScreenConsent() == platform::Consent::kNotNeeded; }, 20000));
        const std::optional<ScreenRect> selected = SelectScreenArea(nullptr, profile_, ScreenStill::Take(*backends_), *backends_);
        EXPECT_TRUE(acted) << "the selector never appeared on the screen";
        return selected;
    }

    static constexpr const char* kNames[] = {"m_oStartingPoint.x", "m_oStartingPoint.y",
                                             "m_oClosingPoint.x", "m_oClosingPoint.y"};
    ProfileConsentMemory consent_;
    std::unique_ptr<platform::BackendSet> backends_ = platform::OpenBackends(&consent_);
    TempDir folder_;
    Profile profile_{QString::fromStdString((folder_ / "profile.ini").string())};
    OtherClient user_;
};

// Also run with Qt scaling by 2, where odd physical pixels have no logical pixel of their own.
TEST_F(ScreenAreaSelectorTest, SelectsAndStoresExactlyWhatWasDragged) {
    struct Case {
        const char* what;
        std::function<void()> act;
        std::optional<ScreenRect> selected;
        std::array<int, 4> stored;
    };
    const Case cases[] = {
        {"drag from odd pixels", [&] { user_.Drag(1001, 101, 1501, 602); },
         ScreenRect{1001, 101, 500, 501}, {1001, 101, 1501, 602}},
        {"Escape first", [&] { user_.Tap(kEscape); }, std::nullopt, {0, 0, 0, 0}},
        {"Escape during a drag", [&] { user_.Drag(501, 401, 700, 600, false); user_.Tap(kEscape); user_.ReleaseLeft(); },
         std::nullopt, {0, 0, 501, 401}},
        {"a click", [&] { user_.Click(641, 481); }, std::nullopt, {641, 481, 641, 481}},
        {"a flat drag", [&] { user_.Drag(100, 300, 901, 300); }, std::nullopt, {100, 300, 901, 300}},
    };
    for (const Case& c : cases) {
        for (const char* name : kNames) profile_.WriteProfileInt("Settings", name, 7);
        EXPECT_EQ(Select(c.act), c.selected) << c.what;
        EXPECT_EQ(Stored(), c.stored) << c.what;
    }
}

// Right-click the list, choose Select Image..., drag where the menu was: the snip shows the list.
TEST_F(ViewTest, ASnipChosenFromTheMenuIsCutOnceTheMenuIsGone) {
    View().OnInitialUpdate();
    if (View().devicePixelRatio() != 1) GTEST_SKIP() << "the form is larger than the scaled screen";
    View().show();
    WindowObserver observer;
    ASSERT_TRUE(QTest::qWaitFor([&] { return observer.IsViewable(View().winId()); }, 10000));
    const QWidget& list = *View().Form().fileList->viewport();
    const QRect listOnScreen(list.mapToGlobal(QPoint()), list.size());
    OtherClient user;
    QRect cut;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu != nullptr && cut.isNull() && observer.IsViewable(menu->winId())) {
            cut = menu->geometry() & listOnScreen;
            const QPoint item = menu->actionGeometry(menu->actions().front()).center() + menu->pos();
            user.Click(item.x(), item.y());
        }
        QWidget* selector = QApplication::activeModalWidget();
        if (selector != nullptr && !cut.isNull() && observer.IsViewable(selector->winId())) {
            driver.stop();
            user.Drag(cut.left(), cut.top(), cut.right() + 1, cut.bottom() + 1);
        }
    });
    driver.start(10);
    ScreenStill before = ScreenStill::Take(*backends);
    WhenModal<QInputDialog>([](QInputDialog& box) { box.reject(); });  // the new name
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, list.mapTo(&View(), QPoint(10, 10)), listOnScreen.topLeft() + QPoint(10, 10));
    QApplication::sendEvent(&View(), &rightClick);
    ASSERT_FALSE(cut.isEmpty());
    TemplateImage snip;
    ASSERT_TRUE(LoadTemplateImage(snip, std::filesystem::directory_iterator(DefaultFolder())->path()));
    const auto screen = before.Capture({cut.x(), cut.y(), cut.width(), cut.height()});
    EXPECT_TRUE(std::equal(snip.pixels.begin(), snip.pixels.end(), screen->pixels, screen->pixels + cut.width() * cut.height(),
                           [](uint32_t a, uint32_t b) { return (a & 0xFFFFFF) == b; }));
}

}  // namespace
}  // namespace glimtap::test
