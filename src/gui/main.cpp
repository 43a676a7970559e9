// corvane: the desktop window.
//
// Options for documentation and measurement (a user starts the program
// without any):
//   --load-batch FILE   open the batch file FILE as "Open Batch File" does
//   --screenshot FILE   once the window is on the screen, save its picture
//                       as a PNG file and quit
//   --startup-time      once the window is on the screen, print the
//                       milliseconds since the program started and quit
// and, without a display: --version (the program's version), --help-page
// (the path of the installed help page) and --help.
#include <chrono>
#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include "app/about_box.h"
#include "app/analysis_dialog.h"
#include "app/menu_commands.h"
#include "app/numeric_locale.h"
#include "app/settings_store.h"
#include "gui/analysis_window.h"
#include "gui/app_icon.h"
#include "gui/window_snapshot.h"

namespace {

constexpr int kExposeTimeoutMs = 60000;

struct Options {
  QCommandLineOption loadBatch{QStringLiteral("load-batch"),
                               QStringLiteral("Open the batch file FILE."), QStringLiteral("FILE")};
  QCommandLineOption screenshot{
      QStringLiteral("screenshot"),
      QStringLiteral("Save a picture of the window as the PNG file FILE and quit."),
      QStringLiteral("FILE")};
  QCommandLineOption startupTime{
      QStringLiteral("startup-time"),
      QStringLiteral("Print the milliseconds from start to a shown window and quit.")};
  QCommandLineOption helpPage{QStringLiteral("help-page"),
                              QStringLiteral("Print the path of the help page and quit.")};
};

void Describe(QCommandLineParser& parser, const Options& options) {
  parser.setApplicationDescription(QStringLiteral("Corvane: composite statistics of egg data"));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addOptions({options.loadBatch, options.screenshot, options.startupTime, options.helpPage});
}

void NameTheProgram() {
  QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
  QCoreApplication::setApplicationVersion(QString::fromStdString(corvane::CorvaneVersion()));
}

// The options that only print something are answered without a display, as
// a terminal user would expect of --version.
bool OnlyPrints(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    for (const char* option : {"--version", "-v", "--help-page", "--help", "-h", "--help-all"}) {
      if (std::strcmp(argv[i], option) == 0) return true;
    }
  }
  return false;
}

int Print(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  NameTheProgram();
  Options options;
  QCommandLineParser parser;
  Describe(parser, options);
  parser.process(app);  // answers --version and --help, and wrong options
  const std::string page = corvane::HelpPagePath();
  if (page.empty()) {
    std::fprintf(stderr, "corvane: the help page is not installed; it belongs at %s\n",
                 corvane::InstalledHelpPage().c_str());
    return 1;
  }
  std::printf("%s\n", page.c_str());
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (OnlyPrints(argc, argv)) return Print(argc, argv);
  const auto started = std::chrono::steady_clock::now();
  QApplication app(argc, argv);
  // Qt takes the user's locale for the process; numbers stay in the C form.
  corvane::UseCNumericLocale();
  NameTheProgram();
  QApplication::setWindowIcon(corvane::CorvaneIcon());

  Options options;
  QCommandLineParser parser;
  Describe(parser, options);
  parser.process(app);

  corvane::SettingsStore store;
  corvane::AnalysisWindow window(store);
  if (parser.isSet(options.loadBatch)) {
    window.model().OpenBatchFileAt(parser.value(options.loadBatch).toStdString());
  }
  window.show();

  if (parser.isSet(options.screenshot) || parser.isSet(options.startupTime)) {
    const std::string shot = parser.value(options.screenshot).toStdString();
    const bool printTime = parser.isSet(options.startupTime);
    corvane::WhenExposed(window, kExposeTimeoutMs, [&window, shot, printTime, started](bool shown) {
      const auto elapsed =
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
              .count();
      int status = shown ? 0 : 1;
      if (!shown) std::fprintf(stderr, "corvane: the window was not shown\n");
      if (printTime && shown) std::printf("window shown after %.1f ms\n", elapsed);
      if (!shot.empty() && !corvane::SaveSnapshot(window, shot)) {
        std::fprintf(stderr, "corvane: cannot write %s\n", shot.c_str());
        status = 1;
      }
      QCoreApplication::exit(status);
    });
  }
  return app.exec();
}
