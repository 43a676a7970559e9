#include "cli_fixture.h"

#include <csignal>
#include <filesystem>

#include <QCoreApplication>

#include "core/date_time.h"
#include "support/text_lines.h"

namespace corvane::testing {

namespace {

// QProcess needs the test program's Qt application object.
struct QtEnvironment : ::testing::Environment {
  void SetUp() override {
    static int argc = 1;
    static char name[] = "corvane_cli_tests";
    static char* argv[] = {name, nullptr};
    app = std::make_unique<QCoreApplication>(argc, argv);
  }
  void TearDown() override { app.reset(); }
  std::unique_ptr<QCoreApplication> app;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

QStringList QtList(const std::vector<std::string>& arguments) {
  QStringList list;
  for (const std::string& argument : arguments) list << QString::fromStdString(argument);
  return list;
}

// Waits for the process to end by itself; what it wrote and its status, or
// a failure naming the program when it does not end normally.
ProgramResult Finish(QProcess& process, const std::string& program) {
  if (!process.waitForFinished(240000) || process.exitStatus() != QProcess::NormalExit) {
    process.kill();
    process.waitForFinished();
    ADD_FAILURE() << program << " did not run to its end";
    return {};
  }
  return {process.exitCode(), process.readAllStandardOutput().toStdString(),
          process.readAllStandardError().toStdString()};
}

}  // namespace

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

std::string WithoutBatchStart(const std::string& table) {
  std::string records;
  for (const std::string& line : Lines(table)) records += line.substr(line.find(',') + 1) + "\n";
  return records;
}

void ExpectNoDataFault(const std::string& text) {
  for (const char* fault : {"Insufficient data", "No useable", "Damaged data", "No data received",
                            "Internet error", "not a proper data file"}) {
    EXPECT_FALSE(Contains(text, fault)) << fault << " in\n" << text;
  }
}

void CliTest::SetUp() {
  for (const std::string& path : {config_, root_, temp_, dir_.File("data")}) {
    std::filesystem::create_directories(path);
  }
}

void CliTest::Start(QProcess& process, const std::vector<std::string>& arguments,
                    const std::map<std::string, std::string>& environment) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", QString::fromStdString(config_));
  for (const auto& [name, value] : environment) {
    env.insert(QString::fromStdString(name), QString::fromStdString(value));
  }
  process.setProcessEnvironment(env);
  process.start(CORVANE_BINARY_DIR "/src/cli/corvane-cli", QtList(arguments));
}

ProgramResult CliTest::Run(const std::vector<std::string>& arguments,
                           const std::map<std::string, std::string>& environment) {
  QProcess process;
  Start(process, arguments, environment);
  return Finish(process, "corvane-cli");
}

std::vector<std::string> CliTest::BatchArguments(const std::string& text,
                                                 const std::vector<std::string>& extra) {
  std::vector<std::string> arguments = {"batch", "--set", "TempDir=" + temp_};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  arguments.push_back(dir_.File("run.ebb"));
  WriteFile(arguments.back(), text);
  return arguments;
}

ProgramResult CliTest::RunBatch(const std::string& text, const std::vector<std::string>& extra,
                                const std::map<std::string, std::string>& environment) {
  return Run(BatchArguments(text, extra), environment);
}

ProgramResult CliTest::RunAndInterrupt(const std::string& text, const std::string& trigger,
                                       const std::vector<std::string>& extra,
                                       const std::map<std::string, std::string>& environment) {
  QProcess process;
  process.setReadChannel(QProcess::StandardError);
  Start(process, BatchArguments(text, extra), environment);
  std::string err;
  while (!Contains(err, trigger) && process.waitForReadyRead(60000)) {
    err += process.readAllStandardError().toStdString();
  }
  EXPECT_TRUE(Contains(err, trigger)) << err;
  ::kill(static_cast<pid_t>(process.processId()), SIGINT);
  if (!process.waitForFinished(120000)) {
    process.kill();
    process.waitForFinished();
    ADD_FAILURE() << "corvane-cli did not end after Ctrl-C";
  }
  err += process.readAllStandardError().toStdString();
  return {process.exitCode(), process.readAllStandardOutput().toStdString(), err};
}

ProgramResult RunTool(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& folder) {
  QProcess process;
  if (!folder.empty()) process.setWorkingDirectory(QString::fromStdString(folder));
  process.start(QString::fromStdString(program), QtList(arguments));
  return Finish(process, program);
}

std::string CliTest::EggFile(const std::string& name, const std::string& date,
                             eggdata::EggDataOptions options) {
  if (options.stop == 0) {
    options.start = SecondsFromText(date + " 00:00:00");
    options.stop = options.start + 3599;
  }
  EXPECT_TRUE(eggdata::WriteEggDataFile(dir_.File("data/" + name), options, false));
  return dir_.File("data/" + name);
}

}  // namespace corvane::testing
