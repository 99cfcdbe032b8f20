#include "ui/data_exchange.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <string>

#include "engine/field_ranges.h"

namespace glimtap {
namespace {

struct CheckField {
    QCheckBox* GlimtapForm::*box;
    AtomicInt32 SearchSettings::*value;
};

struct NumberField {
    QLineEdit* GlimtapForm::*edit;
    AtomicInt32 SearchSettings::*value;
    const char* field;  // its name in the table of ranges
};

struct TextField {
    QLineEdit* GlimtapForm::*edit;
    std::u16string SearchSettings::*value;
};

constexpr CheckField kChecks[] = {
    {&GlimtapForm::autoStop, &SearchSettings::autoStopEnabled},
    {&GlimtapForm::speechAlerts, &SearchSettings::speechAlerts},
    {&GlimtapForm::overlayOnMatch, &SearchSettings::overlayOnMatch},
    {&GlimtapForm::cursorToMatch, &SearchSettings::moveCursorToMatch},
    {&GlimtapForm::touchAtMatch, &SearchSettings::touchAtMatch},
    {&GlimtapForm::execute, &SearchSettings::executeEnabled},
    {&GlimtapForm::beepForSearch, &SearchSettings::beepForSearch},
};

constexpr NumberField kNumbers[] = {
    {&GlimtapForm::autoStopCount, &SearchSettings::autoStopCount, "autoStopCount"},
    {&GlimtapForm::matchDelay, &SearchSettings::matchDelayMs, "matchDelayMs"},
    {&GlimtapForm::tolerance, &SearchSettings::tolerance, "tolerance"},
};

constexpr TextField kTexts[] = {
    {&GlimtapForm::executeFile, &SearchSettings::executeFile},
    {&GlimtapForm::executeVerb, &SearchSettings::executeVerb},
};

const FieldRange& RangeOf(const NumberField& number) { return *FindFieldRange(number.field); }

}  // namespace

void ShowSettings(const GlimtapForm& form, const SearchSettings& settings) {
    for (const CheckField& check : kChecks) (form.*check.box)->setChecked((settings.*check.value) != 0);
    for (const NumberField& number : kNumbers) {
        (form.*number.edit)->setText(QString::number((settings.*number.value).load()));
    }
    for (const TextField& text : kTexts) {
        (form.*text.edit)->setText(QString::fromStdU16String(settings.*text.value));
    }
}

std::optional<ExchangeFailure> TakeSettings(const GlimtapForm& form, SearchSettings& settings) {
    for (const CheckField& check : kChecks) settings.*check.value = (form.*check.box)->isChecked() ? 1 : 0;
    for (const TextField& text : kTexts) settings.*text.value = (form.*text.edit)->text().toStdU16String();
    std::optional<ExchangeFailure> failure;
    for (const NumberField& number : kNumbers) {
        QLineEdit* edit = form.*number.edit;
        bool whole = false;
        const int value = edit->text().trimmed().toInt(&whole, 10);
        if (whole) settings.*number.value = value;
        std::string error;
        if (!ParseInRange(edit->text().trimmed().toStdString(), RangeOf(number), error) && !failure) {
            failure = ExchangeFailure{edit, QString::fromStdString(error)};
        }
    }
    return failure;
}

void LimitNumberFields(const GlimtapForm& form) {
    for (const NumberField& number : kNumbers) {
        const FieldRange& range = RangeOf(number);
        const QString digits = QStringLiteral("[0-9]{0,%1}").arg(QString::number(range.max).size());
        const QString pattern = range.min < 0 ? QStringLiteral("-?") + digits : digits;
        QLineEdit* edit = form.*number.edit;
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
    }
}

}  // namespace glimtap
