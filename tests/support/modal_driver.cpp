#include "support/modal_driver.h"

#include <QAbstractButton>
#include <QDeadlineTimer>

namespace glimtap::test {

QPointer<QTimer> WhenModalWidget(std::function<bool(QWidget&)> act) {
    auto* poll = new QTimer(qApp);
    auto deadline = std::make_shared<QDeadlineTimer>(20000);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, deadline, act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        const bool done = modal != nullptr && modal->isVisible() && act(*modal);
        if (done || deadline->hasExpired()) poll->stop(), poll->deleteLater();
    });
    poll->start(20);
    return poll;
}

std::shared_ptr<ShownMessage> AcceptNextMessage(QMessageBox::StandardButton answer) {
    auto shown = std::make_shared<ShownMessage>();
    WhenModal<QMessageBox>([shown, answer](QMessageBox& box) {
        *shown = {box.windowTitle(), box.text(), box.icon(), box.parentWidget()};
        answer == QMessageBox::NoButton ? box.accept() : box.button(answer)->click();
    });
    return shown;
}

bool ProcessEventsUntil(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(20000);
    while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

}  // namespace glimtap::test
