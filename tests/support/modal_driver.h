#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

namespace glimtap::test {

// Runs `act` on modal widgets that show up while the event loop runs, typically inside the
// exec() of the code under test, until it returns true. The widget is driven for real: set a
// file, press a button, accept. The watch ends by itself after a while; destroy the returned
// timer to end it sooner.
QPointer<QTimer> WhenModalWidget(std::function<bool(QWidget&)> act);

// Runs `act` once on the first modal widget of type T.
template <typename T>
QPointer<QTimer> WhenModal(std::function<void(T&)> act) {
    return WhenModalWidget([act = std::move(act)](QWidget& widget) {
        auto* modal = qobject_cast<T*>(&widget);
        if (modal == nullptr) return false;
        act(*modal);
        return true;
    });
}

// What a message box showed.
struct ShownMessage {
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget* owner = nullptr;
};

// Answers the next message box with the button `answer`, or accepts it when given none, and
// notes what it showed.
std::shared_ptr<ShownMessage> AcceptNextMessage(QMessageBox::StandardButton answer = QMessageBox::NoButton);

// Runs the event loop until `done` holds or a generous while has passed.
bool ProcessEventsUntil(const std::function<bool()>& done);

}  // namespace glimtap::test
