#include "ui/data_exchange.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPalette>
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

// Properties of a number field: the text ShowSettings put there, and its tooltip unmarked.
constexpr char kShownText[] = "glimtapShownText";
constexpr char kPlainTip[] = "glimtapPlainToolTip";

bool ShowsStoredValue(const QLineEdit& edit) {
    const QVariant shown = edit.property(kShownText);
    return shown.isValid() && edit.text() == shown.toString();
}

void MarkStoredValue(QLineEdit& edit, const FieldRange& range) {
    if (!edit.property(kPlainTip).isValid()) edit.setProperty(kPlainTip, edit.toolTip());
    bool whole = false;
    const int value = edit.text().toInt(&whole, 10);
    const bool outside = whole && ShowsStoredValue(edit) && (value < range.min || value > range.max);
    QPalette palette;
    if (outside) {  // amber, readable under any theme
        palette.setColor(QPalette::Base, QColor(0xFF, 0xE8, 0xA0));
        palette.setColor(QPalette::Text, Qt::black);
    }
    edit.setPalette(palette);
    QString tip = edit.property(kPlainTip).toString();
    if (outside) tip += QStringLiteral("\n") + QString::fromStdString(StoredValueNote(range, value));
    edit.setToolTip(tip);
}

}  // namespace

void ShowSettings(const GlimtapForm& form, const SearchSettings& settings) {
    for (const CheckField& check : kChecks) (form.*check.box)->setChecked((settings.*check.value) != 0);
    for (const NumberField& number : kNumbers) {
        QLineEdit* edit = form.*number.edit;
        edit->setProperty(kShownText, QString::number((settings.*number.value).load()));
        edit->setText(edit->property(kShownText).toString());
        MarkStoredValue(*edit, RangeOf(number));
    }
    for (const TextField& text : kTexts) {
        (form.*text.edit)->setText(QString::fromStdU16String(settings.*text.value));
    }
}

std::optional<ExchangeFailure> TakeSettings(const GlimtapForm& form, SearchSettings& settings) {
    for (const CheckField& check : kChecks) {
        const bool on = (form.*check.box)->isChecked();
        if (on != (settings.*check.value != 0)) settings.*check.value = on ? 1 : 0;
    }
    for (const TextField& text : kTexts) settings.*text.value = (form.*text.edit)->text().toStdU16String();
    std::optional<ExchangeFailure> failure;
    for (const NumberField& number : kNumbers) {
        QLineEdit* edit = form.*number.edit;
        bool whole = false;
        const int value = edit->text().trimmed().toInt(&whole, 10);
        if (whole) settings.*number.value = value;
        std::string error;
        if (!ParseInRange(edit->text().trimmed().toStdString(), RangeOf(number), error) &&
            !ShowsStoredValue(*edit) && !failure) {
            failure = ExchangeFailure{edit, QString::fromStdString(error)};
        }
    }
    return failure;
}

void SetUpNumberFields(const GlimtapForm& form) {
    for (const NumberField& number : kNumbers) {
        const FieldRange& range = RangeOf(number);
        const QString digits = QStringLiteral("[0-9]{0,%1}").arg(QString::number(range.max).size());
        const QString pattern = range.min < 0 ? QStringLiteral("-?") + digits : digits;
        QLineEdit* edit = form.*number.edit;
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
        QObject::connect(edit, &QLineEdit::textChanged, edit, [edit, &range] { MarkStoredValue(*edit, range); });
    }
}

}  // namespace glimtap
