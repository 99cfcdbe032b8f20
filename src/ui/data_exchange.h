#pragma once

#include <QString>

#include <cstdint>
#include <optional>

#include "engine/search_settings.h"
#include "ui/glimtap_form.h"

class QWidget;

namespace glimtap {

// An edit's text as a whole integer: blanks around it allowed, an optional sign, digits,
// and a value that fits 32 bits.
std::optional<int32_t> ParseInteger(const QString& text);

// The control whose value was refused and the prompt that tells the user why.
struct ExchangeFailure {
    QWidget* control = nullptr;
    QString prompt;
};

// Shows the settings in the controls.
void ShowSettings(const GlimtapForm& form, const SearchSettings& settings);

// Takes the controls into the settings in the form's exchange order. It stops at the first
// refused value: the fields before it hold their new values, the rest keep theirs.
std::optional<ExchangeFailure> TakeSettings(const GlimtapForm& form, SearchSettings& settings);

}  // namespace glimtap
