// The per-user settings store: QSettings under the organisation
// "BrantvikR&D", the application "Corvane" and the group "Settings".
//
// Values are read and written one at a time by name; a missing or unreadable
// value reads as the default the caller gives. Reals are stored as text
// written with "%f" in the C locale (0.0001 becomes "0.000100").
//
// Overrides replace stored values for this process only: a read of an
// overridden name yields the override, and a write to it changes the
// override, never the store. The headless runner uses them for --set.
//
// Use on one thread (the form's).
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

class QSettings;

namespace corvane {

class SettingsStore {
 public:
  SettingsStore();
  ~SettingsStore();
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  int ReadInt(const std::string& name, int defaultValue) const;
  std::string ReadText(const std::string& name, const std::string& defaultValue) const;
  double ReadReal(const std::string& name, double defaultValue) const;

  void WriteInt(const std::string& name, int value);
  void WriteText(const std::string& name, const std::string& value);
  void WriteReal(const std::string& name, double value);

  void SetOverride(const std::string& name, const std::string& value);
  bool IsOverridden(const std::string& name) const;

  // Writes pending changes to disk.
  void Sync();

  // The file that holds the store (for messages and tests).
  std::string Location() const;

 private:
  std::optional<std::string> Read(const std::string& name) const;
  void Write(const std::string& name, const std::string& text);

  std::unique_ptr<QSettings> settings_;
  std::map<std::string, std::string> overrides_;
};

}  // namespace corvane
