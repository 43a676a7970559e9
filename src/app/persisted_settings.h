// Which of the form's values persist, under which names, with which types and
// defaults, and at which moments they are written.
//
// ReadAllSettings reads every value in its fixed order, each with the form's
// current value as the default, and sets the progress-log switch from
// LogProgress (on when the stored value is 1). The writers store exactly the
// values of one moment, in their fixed order:
//  - WriteDftSize: when "Analyze data" has reduced the DFT size (also in batch
//    mode);
//  - WriteRequestSettings: when "Analyze data" starts outside batch mode;
//  - WriteConfiguration: when the Customize dialog is confirmed;
//  - WriteAudioSettings: when the Audio dialog is confirmed.
#pragma once

#include <optional>
#include <string>

#include "app/form_fields.h"
#include "app/settings_store.h"

namespace corvane {

void ReadAllSettings(const SettingsStore& store, AnalysisFields& fields, FormConfig& config);

void WriteDftSize(SettingsStore& store, int dftSize);
void WriteRequestSettings(SettingsStore& store, const AnalysisFields& fields);
void WriteConfiguration(SettingsStore& store, const AnalysisFields& fields,
                        const FormConfig& config, bool logProgress);
void WriteAudioSettings(SettingsStore& store, const AudioSettings& audio);

// Checks a NAME=VALUE override: the name must be one of the persisted values
// and the value must have its type. Returns the message for a refusal.
std::optional<std::string> SettingOverrideError(const std::string& name, const std::string& value);

}  // namespace corvane
