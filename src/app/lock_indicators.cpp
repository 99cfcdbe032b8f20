#include "app/lock_indicators.h"

#include <QLabel>
#include <QStatusBar>


namespace glimtap {
namespace {

// The desktop tells nobody when a lock changes, so the lights are looked at this often.
constexpr int kPollMs = 250;

QLabel* AddPane(QStatusBar& bar, const char* name) {
    auto* pane = new QLabel(&bar);
    pane->setAlignment(Qt::AlignCenter);
    pane->setFrameShape(QFrame::Panel);
    pane->setFrameShadow(QFrame::Sunken);
    pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(QString::fromLatin1(name)) + 8);
    pane->setObjectName(QString::fromLatin1(name));
    bar.addPermanentWidget(pane);
    return pane;
}

void Show(QLabel& pane, bool on) {
    pane.setText(on ? pane.objectName() : QString());
}

}  // namespace

LockIndicators::LockIndicators(QStatusBar& bar, platform::KeyboardLocks* locks)
    : QObject(&bar), locks_(locks), caps_(AddPane(bar, "CAP")), num_(AddPane(bar, "NUM")),
      scroll_(AddPane(bar, "SCRL")) {
    if (locks_ == nullptr) return;
    connect(&poll_, &QTimer::timeout, this, &LockIndicators::Refresh);
    poll_.start(kPollMs);
    Refresh();
}

LockIndicators::~LockIndicators() = default;

void LockIndicators::Refresh() {
    const std::optional<platform::LockKeys> state = locks_ != nullptr ? locks_->State() : std::nullopt;
    const platform::LockKeys keys = state.value_or(platform::LockKeys{});
    Show(*caps_, keys.capsLock);
    Show(*num_, keys.numLock);
    Show(*scroll_, keys.scrollLock);
}

}  // namespace glimtap
