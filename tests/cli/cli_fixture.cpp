#include "cli_fixture.h"

#include <filesystem>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include "core/date_time.h"
#include "eggdata/egg_data_generator.h"

namespace corvane::testing {

namespace {

// QProcess needs the Qt application object of the test program.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "corvane_cli_tests";
    static char* argv[] = {name, nullptr};
    app_ = new QCoreApplication(argc, argv);
  }
  void TearDown() override { delete app_; }

 private:
  QCoreApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

void CliTest::SetUp() {
  config_ = dir_.File("config");
  root_ = dir_.File("out/");
  temp_ = dir_.File("tmp/");
  for (const std::string& path : {config_, root_, temp_, dir_.File("data")}) {
    std::filesystem::create_directories(path);
  }
}

ProgramResult CliTest::Run(const std::vector<std::string>& arguments,
                           const std::map<std::string, std::string>& environment) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", QString::fromStdString(config_));
  for (const auto& [name, value] : environment) {
    env.insert(QString::fromStdString(name), QString::fromStdString(value));
  }
  process.setProcessEnvironment(env);
  QStringList list;
  for (const std::string& argument : arguments) list << QString::fromStdString(argument);
  process.start(QString::fromLatin1(CORVANE_BINARY_DIR "/src/cli/corvane-cli"), list);
  ProgramResult result;
  if (!process.waitForStarted(10000) || !process.waitForFinished(240000)) {
    process.kill();
    process.waitForFinished();
    ADD_FAILURE() << "corvane-cli did not run to its end";
    return result;
  }
  result.crashed = process.exitStatus() != QProcess::NormalExit;
  result.exitCode = process.exitCode();
  result.out = process.readAllStandardOutput().toStdString();
  result.err = process.readAllStandardError().toStdString();
  return result;
}

std::string CliTest::EggFile(const std::string& name, const std::string& date) {
  eggdata::EggDataOptions options;
  options.start = SecondsFromText(date + " 00:00:00");
  options.stop = options.start + 3599;
  const std::string path = dir_.File("data/" + name);
  EXPECT_TRUE(eggdata::WriteEggDataFile(path, options, false));
  return path;
}

std::string CliTest::WriteBatch(const std::string& name, const std::string& text) {
  const std::string path = dir_.File(name);
  WriteFile(path, text);
  return path;
}

std::string CliTest::SettingsFile() const { return config_ + "/BrantvikR&D/Corvane.conf"; }

}  // namespace corvane::testing
