#pragma once

#include <QString>

#include <optional>

#include "engine/search_settings.h"
#include "ui/glimtap_form.h"

class QWidget;

namespace glimtap {

// The control whose value was refused and the prompt that tells the user why.
struct ExchangeFailure {
    QWidget* control = nullptr;
    QString prompt;
};

// Shows the settings in the controls.
void ShowSettings(const GlimtapForm& form, const SearchSettings& settings);

// Takes the controls into the settings. A number is taken whenever it is a whole number, so
// a value kept from a data file stays as it is; the first number that is none or lies
// outside its field's range is returned, naming the field and the range.
std::optional<ExchangeFailure> TakeSettings(const GlimtapForm& form, SearchSettings& settings);

// Lets the form's number fields take only what their ranges can hold: digits, and a sign
// where the range goes below zero.
void LimitNumberFields(const GlimtapForm& form);

}  // namespace glimtap
