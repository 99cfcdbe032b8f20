// The main of test executables whose tests need a QApplication: widgets, dialogs, socket
// notifiers and the event loop all want one, made before any test runs.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
