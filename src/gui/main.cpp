// corvane: the desktop window.
//
// Options for documentation and measurement (a user starts the program
// without any):
//   --load-batch FILE   open the batch file FILE as "Open Batch File" does
//   --screenshot FILE   once the window is on the screen, save its picture
//                       as a PNG file and quit
//   --startup-time      once the window is on the screen, print the
//                       milliseconds since the program started and quit
#include <chrono>
#include <cstdio>

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include "app/analysis_dialog.h"
#include "app/numeric_locale.h"
#include "app/settings_store.h"
#include "gui/analysis_window.h"
#include "gui/app_icon.h"
#include "gui/window_snapshot.h"

namespace {

constexpr int kExposeTimeoutMs = 60000;

}  // namespace

int main(int argc, char* argv[]) {
  const auto started = std::chrono::steady_clock::now();
  QApplication app(argc, argv);
  // Qt takes the user's locale for the process; numbers stay in the C form.
  corvane::UseCNumericLocale();
  QApplication::setApplicationName(QStringLiteral("Corvane"));
  QApplication::setWindowIcon(corvane::CorvaneIcon());

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Corvane: composite statistics of egg data"));
  parser.addHelpOption();
  const QCommandLineOption loadBatch(QStringLiteral("load-batch"),
                                     QStringLiteral("Open the batch file FILE."),
                                     QStringLiteral("FILE"));
  const QCommandLineOption screenshot(
      QStringLiteral("screenshot"),
      QStringLiteral("Save a picture of the window as the PNG file FILE and quit."),
      QStringLiteral("FILE"));
  const QCommandLineOption startupTime(
      QStringLiteral("startup-time"),
      QStringLiteral("Print the milliseconds from start to a shown window and quit."));
  parser.addOptions({loadBatch, screenshot, startupTime});
  parser.process(app);

  corvane::SettingsStore store;
  corvane::AnalysisWindow window(store);
  if (parser.isSet(loadBatch)) {
    window.model().OpenBatchFileAt(parser.value(loadBatch).toStdString());
  }
  window.show();

  if (parser.isSet(screenshot) || parser.isSet(startupTime)) {
    const std::string shot = parser.value(screenshot).toStdString();
    const bool printTime = parser.isSet(startupTime);
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
