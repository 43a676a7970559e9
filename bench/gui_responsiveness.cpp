// Responsiveness of the window: the time from the program's start to a
// window on the screen, and how soon the window repaints while a one-day
// local analysis works on its own thread.
//
// Run under a display (e.g. xvfb-run -a build/bench/gui_responsiveness) or
// with QT_QPA_PLATFORM=offscreen. Settings go to a private temporary
// directory; the run's files go to a temporary directory that is removed.
// Every 50 ms the window's status line is asked to repaint; the delay from
// the request to the paint is recorded. Prints the figures; exits non-zero
// when the window was not shown, the run did not end or wrote no results.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

#include "app/analysis_dialog.h"
#include "app/numeric_locale.h"
#include "app/settings_store.h"
#include "core/date_time.h"
#include "core/paths.h"
#include "eggdata/egg_data_generator.h"
#include "gui/analysis_window.h"
#include "gui/request_form.h"
#include "gui/window_snapshot.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Records the delay between a repaint request and the paint it causes.
class PaintProbe : public QObject {
 public:
  explicit PaintProbe(QWidget* target) : target_(target) { target->installEventFilter(this); }

  void Request() {
    if (requested_) return;  // the previous request is still waiting
    requested_ = true;
    requestedAt_ = Clock::now();
    target_->update();
  }

  std::vector<double> delays;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == target_ && event->type() == QEvent::Paint && requested_) {
      delays.push_back(Milliseconds(Clock::now() - requestedAt_));
      requested_ = false;
    }
    return false;
  }

 private:
  QWidget* target_;
  bool requested_ = false;
  Clock::time_point requestedAt_;
};

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const auto index = static_cast<size_t>(p * static_cast<double>(values.size() - 1));
  return values[index];
}

}  // namespace

int main(int argc, char* argv[]) {
  const Clock::time_point started = Clock::now();
  std::string scratch = corvane::SystemTempDirectory() + "corvane-gui-bench-XXXXXX";
  if (mkdtemp(scratch.data()) == nullptr) return 1;
  const std::string work = scratch + "/";
  setenv("XDG_CONFIG_HOME", (work + "config").c_str(), 1);

  QApplication app(argc, argv);
  corvane::UseCNumericLocale();
  QApplication::setApplicationName(QStringLiteral("Corvane"));
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromStdString(work + "config"));
  int status = 0;
  {
    corvane::SettingsStore store;
    corvane::AnalysisWindow window(store);
    window.show();
    double shownMs = -1.0;
    corvane::WhenExposed(window, 10000, [&](bool exposed) {
      if (exposed) shownMs = Milliseconds(Clock::now() - started);
      QCoreApplication::exit(0);
    });
    app.exec();
    if (shownMs < 0) {
      std::fprintf(stderr, "the window was not shown\n");
      return 1;
    }
    std::printf("start to shown window: %.1f ms (in process, from main)\n", shownMs);

    // A day of synthetic data, 60 eggs, analysed from the window.
    corvane::eggdata::EggDataOptions options;
    options.start = corvane::SecondsFromText("2011-05-03 00:00:00");
    options.stop = corvane::SecondsFromText("2011-05-03 23:59:59");
    options.eggCount = 60;
    const std::string egg = work + "day.csv";
    std::filesystem::create_directories(work + "results");
    if (!corvane::eggdata::WriteEggDataFile(egg, options, false)) return 1;
    corvane::RequestForm& form = window.form();
    window.model().config.tempDirectory = work;
    window.model().config.gnuplotPath = "/bin/true";
    form.startTime->setText(QStringLiteral("2011-05-03 00:00:00"));
    form.stopTime->setText(QStringLiteral("2011-05-03 23:59:59"));
    form.remoteAccess->setChecked(false);
    form.localEggFile->setText(QString::fromStdString(egg));
    form.outputRoot->setText(QString::fromStdString(work + "results"));
    form.dataName->setText(QStringLiteral("BenchDay"));

    // Message boxes (the end of the run) are acknowledged at once.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
      if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    answer.start(5);
    PaintProbe probe(form.status);
    QTimer poke;
    QObject::connect(&poke, &QTimer::timeout, [&] { probe.Request(); });
    poke.start(50);

    const Clock::time_point runStart = Clock::now();
    form.analyzeButton->click();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (!window.model().Busy() || Clock::now() - runStart > std::chrono::minutes(5)) {
        QCoreApplication::exit(0);
      }
    });
    watch.start(10);
    app.exec();
    const double runMs = Milliseconds(Clock::now() - runStart);
    if (window.model().Busy()) {
      std::fprintf(stderr, "the run did not end\n");
      window.model().Shutdown();
      status = 1;
    }
    // The measurement counts only for a run that wrote its results.
    std::error_code sizeError;
    const auto written =
        std::filesystem::file_size(work + "results/BenchDay/BenchDay.dat", sizeError);
    if (sizeError || written == 0) {
      std::fprintf(stderr, "the run wrote no results\n");
      status = 1;
    }
    std::printf("one-day local run: %.0f ms; %zu repaints measured during it\n", runMs,
                probe.delays.size());
    std::printf("repaint delay: median %.1f ms, 99th percentile %.1f ms, max %.1f ms\n",
                Percentile(probe.delays, 0.5), Percentile(probe.delays, 0.99),
                Percentile(probe.delays, 1.0));
  }
  std::error_code error;
  std::filesystem::remove_all(scratch, error);
  return status;
}
