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

// Shows the settings in the controls, as values a data file holds.
void ShowSettings(const GlimtapForm& form, const SearchSettings& settings);

// Takes the controls into the settings. A number is taken whenever it is a whole number; the
// first that is none, or that the user changed to one outside its field's range, is
// returned, naming the field and the range. A value shown from the settings is taken as it
// is, in range or not, and so is a switch's stored value while its box shows it.
std::optional<ExchangeFailure> TakeSettings(const GlimtapForm& form, SearchSettings& settings);

// Lets the form's number fields take only what their ranges can hold (digits, and a sign
// where the range goes below zero), and marks a field while it shows a stored value outside
// its range, its tooltip saying what that value does.
void SetUpNumberFields(const GlimtapForm& form);

}  // namespace glimtap
