// What the app and window test programs share: one Qt application object of
// type App for the whole program, on a private per-user settings directory
// (so that no test touches the user's real settings) and with numbers in the
// C form; the stored settings; an event loop runner.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "app/numeric_locale.h"

namespace corvane::testing {

// Makes a fresh directory and points the per-user settings at it; returns it.
std::string UsePrivateSettingsDirectory();

template <class App>
class QtTestEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    settingsDir_ = UsePrivateSettingsDirectory();
    static int argc = 1;
    static char name[] = "corvane_tests";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<App>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    UseCNumericLocale();
  }
  void TearDown() override {
    app_.reset();
    std::error_code error;
    std::filesystem::remove_all(settingsDir_, error);
  }

 private:
  std::string settingsDir_;
  std::unique_ptr<App> app_;
};

// Removes every stored setting.
void ClearStoredSettings();
// A stored value, or nullopt when the store does not hold it.
std::optional<std::string> StoredSetting(const std::string& name);

// Runs the event loop until done() holds or the timeout passes; returns
// done().
bool RunEventsUntil(const std::function<bool()>& done,
                    std::chrono::milliseconds timeout = std::chrono::seconds(60));

}  // namespace corvane::testing
