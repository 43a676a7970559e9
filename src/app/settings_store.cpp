#include "app/settings_store.h"

#include <QSettings>
#include <QString>
#include <QVariant>

#include "app/field_exchange.h"
#include "core/c_format.h"

namespace corvane {

namespace {

const char* const kOrganisation = "BrantvikR&D";
const char* const kApplication = "Corvane";
const char* const kGroup = "Settings";

QString Key(const std::string& name) {
  return QString::fromLatin1(kGroup) + QLatin1Char('/') + QString::fromStdString(name);
}

}  // namespace

SettingsStore::SettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QString::fromLatin1(kOrganisation),
                                            QString::fromLatin1(kApplication))) {}

SettingsStore::~SettingsStore() { settings_->sync(); }

std::optional<std::string> SettingsStore::Read(const std::string& name) const {
  const auto found = overrides_.find(name);
  if (found != overrides_.end()) return found->second;
  const QVariant value = settings_->value(Key(name));
  if (!value.isValid()) return std::nullopt;
  return value.toString().toStdString();
}

void SettingsStore::Write(const std::string& name, const std::string& text) {
  const auto found = overrides_.find(name);
  if (found != overrides_.end()) {
    found->second = text;
    return;
  }
  settings_->setValue(Key(name), QString::fromStdString(text));
}

int SettingsStore::ReadInt(const std::string& name, int defaultValue) const {
  const std::optional<std::string> text = Read(name);
  if (!text) return defaultValue;
  return IntegerFromField(*text).value_or(defaultValue);
}

std::string SettingsStore::ReadText(const std::string& name,
                                    const std::string& defaultValue) const {
  return Read(name).value_or(defaultValue);
}

double SettingsStore::ReadReal(const std::string& name, double defaultValue) const {
  const std::optional<std::string> text = Read(name);
  if (!text) return defaultValue;
  return ParseDouble(*text).value_or(defaultValue);
}

void SettingsStore::WriteInt(const std::string& name, int value) {
  Write(name, CFormat("%d", value));
}

void SettingsStore::WriteText(const std::string& name, const std::string& value) {
  Write(name, value);
}

void SettingsStore::WriteReal(const std::string& name, double value) {
  Write(name, CFormat("%f", value));
}

void SettingsStore::SetOverride(const std::string& name, const std::string& value) {
  overrides_[name] = value;
}

bool SettingsStore::IsOverridden(const std::string& name) const {
  return overrides_.count(name) != 0;
}

void SettingsStore::Sync() { settings_->sync(); }

std::string SettingsStore::Location() const { return settings_->fileName().toStdString(); }

}  // namespace corvane
