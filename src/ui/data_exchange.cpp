#include "ui/data_exchange.h"

#include <QCheckBox>
#include <QLineEdit>


namespace glimtap {
namespace {

const QString kIntegerPrompt = QStringLiteral("Please enter an integer.");

void Show(QCheckBox* box, int32_t value) { box->setChecked(value != 0); }

void Show(QLineEdit* edit, int32_t value) { edit->setText(QString::number(value)); }

void Show(QLineEdit* edit, const std::u16string& value) {
    edit->setText(QString::fromStdU16String(value));
}

int32_t Checked(const QCheckBox* box) { return box->isChecked() ? 1 : 0; }

}  // namespace

std::optional<int32_t> ParseInteger(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok) return std::nullopt;
    return value;
}

void ShowSettings(const GlimtapForm& form, const SearchSettings& settings) {
    Show(form.autoStop, settings.autoStopEnabled);
    Show(form.autoStopCount, settings.autoStopCount);
    Show(form.speechAlerts, settings.speechAlerts);
    Show(form.overlayOnMatch, settings.overlayOnMatch);
    Show(form.matchDelay, settings.matchDelayMs);
    Show(form.tolerance, settings.tolerance);
    Show(form.cursorToMatch, settings.moveCursorToMatch);
    Show(form.touchAtMatch, settings.touchAtMatch);
    Show(form.execute, settings.executeEnabled);
    Show(form.executeFile, settings.executeFile);
    Show(form.executeVerb, settings.executeVerb);
    Show(form.beepForSearch, settings.beepForSearch);
}

std::optional<ExchangeFailure> TakeSettings(const GlimtapForm& form, SearchSettings& settings) {
    settings.autoStopEnabled = Checked(form.autoStop);
    const std::optional<int32_t> count = ParseInteger(form.autoStopCount->text());
    if (!count) return ExchangeFailure{form.autoStopCount, kIntegerPrompt};
    settings.autoStopCount = *count;
    settings.speechAlerts = Checked(form.speechAlerts);
    settings.overlayOnMatch = Checked(form.overlayOnMatch);
    const std::optional<int32_t> delay = ParseInteger(form.matchDelay->text());
    if (!delay) return ExchangeFailure{form.matchDelay, kIntegerPrompt};
    settings.matchDelayMs = *delay;
    const std::optional<int32_t> tolerance = ParseInteger(form.tolerance->text());
    if (!tolerance) return ExchangeFailure{form.tolerance, kIntegerPrompt};
    // The value is taken before its range is checked, as the exchange has always done.
    settings.tolerance = *tolerance;
    if (*tolerance < 0 || *tolerance > 255) {
        return ExchangeFailure{form.tolerance, QStringLiteral("Please enter an integer between 0 and 255.")};
    }
    settings.moveCursorToMatch = Checked(form.cursorToMatch);
    settings.touchAtMatch = Checked(form.touchAtMatch);
    settings.executeEnabled = Checked(form.execute);
    settings.executeFile = form.executeFile->text().toStdU16String();
    settings.executeVerb = form.executeVerb->text().toStdU16String();
    settings.beepForSearch = Checked(form.beepForSearch);
    return std::nullopt;
}

}  // namespace glimtap
