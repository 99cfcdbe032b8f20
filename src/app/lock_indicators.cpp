#include "app/lock_indicators.h"

#include <QLabel>
#include <QStatusBar>

#include "platform/backends.h"

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

LockIndicators::LockIndicators(QStatusBar& bar)
    : QObject(&bar), m_pCaps(AddPane(bar, "CAP")), m_pNum(AddPane(bar, "NUM")),
      m_pScroll(AddPane(bar, "SCRL")) {
    try {
        m_pLocks = platform::OpenKeyboardLocks();
    } catch (const platform::Unavailable&) {
        return;
    }
    connect(&m_oPoll, &QTimer::timeout, this, &LockIndicators::Refresh);
    m_oPoll.start(kPollMs);
    Refresh();
}

LockIndicators::~LockIndicators() = default;

void LockIndicators::Refresh() {
    const std::optional<platform::LockKeys> state = m_pLocks ? m_pLocks->State() : std::nullopt;
    const platform::LockKeys keys = state.value_or(platform::LockKeys{});
    Show(*m_pCaps, keys.capsLock);
    Show(*m_pNum, keys.numLock);
    Show(*m_pScroll, keys.scrollLock);
}

}  // namespace glimtap
