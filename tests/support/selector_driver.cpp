#include "support/selector_driver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "support/x_observer.h"
#include "ui/screen_area_selector.h"

namespace glimtap::test {

void WhileSelecting(const std::function<void(CDlgScreenAreaSelector&)>& act,
                    const std::function<void()>& open) {
    bool acted = false;
    QPointer<CDlgScreenAreaSelector> seen;
    QTimer driver;
    driver.setInterval(10);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* selector = qobject_cast<CDlgScreenAreaSelector*>(QApplication::activeModalWidget());
        if (selector == nullptr) return;
        driver.stop();
        seen = selector;
        // Input must find the veil mapped on the server, not only shown by Qt.
        WindowObserver observer;
        const xcb_window_t window = static_cast<xcb_window_t>(selector->winId());
        if (!QTest::qWaitFor([&] { return observer.IsViewable(window); }, 10000)) {
            ADD_FAILURE() << "the selector's window never appeared on the screen";
            return;
        }
        acted = true;
        act(*selector);
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        if (seen == nullptr) return;
        ADD_FAILURE() << "the selector did not close";
        seen->reject();
    });
    driver.start();
    watchdog.start(30000);
    open();
    EXPECT_TRUE(acted) << "the selector never opened";
}

}  // namespace glimtap::test
