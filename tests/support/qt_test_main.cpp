// The main of test executables whose tests need a QApplication: widgets, dialogs, socket
// notifiers and the event loop all want one, made before any test runs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // Markers a test left counting down go with the application, as they do on quitting.
    QTimer::singleShot(0, &application, &QCoreApplication::quit);
    QApplication::exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QList<QPointer<QWidget>> left;
    for (QWidget* widget : QApplication::topLevelWidgets()) if (!widget->parentWidget()) left.append(widget);
    for (const QPointer<QWidget>& widget : left) delete widget.data();
    return result;
}
