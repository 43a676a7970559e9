#include "gui/form_tooltips.h"

#include <array>

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "app/request_values.h"
#include "core/c_format.h"
#include "gui/request_form.h"
#include "stats/dft_files.h"

namespace corvane {

namespace {

// In the order of the " Display Variables " group. A trial is the sum of
// 200 random bits: 100 on average, with variance 50, for a fair egg.
constexpr std::array<const char*, kDisplayVariableCount> kDisplayVariableTips = {{
    "Cumulative Stouffer deviation: the running sum of the squared Stouffer Z of all eggs minus "
    "its chance expectation (the chi-square median). Wanders near 0 by chance and climbs when the "
    "eggs deviate together. Plotted with the p = 0.05 reference curve: a trace above the curve "
    "is a deviation chance reaches in fewer than 1 run in 20.",
    "Probability of the cumulative Stouffer deviation so far (0 to 1): the chance of a deviation "
    "at least this large. Small values (below 0.05) are unlikely by chance.",
    "Low-pass filtered mean deviation of the eggs' trials from 100, in bits. Near 0 by chance.",
    "Absolute value of LP_Deviation, in bits (0 or more).",
    "Variance of the trials across the eggs each second, in bits squared. About 50 by chance.",
    "Low-pass filtered egg variance, in bits squared. About 50 by chance.",
    "Low-pass filtered mean absolute deviation of the trials from 100, in bits. About 5.6 by "
    "chance.",
    "Low-pass filtered largest absolute deviation from 100 among the eggs each second, in bits. "
    "Grows slowly with the number of eggs.",
    "Cumulative variance: the running sum of (egg variance - 50), in bits squared. Wanders near 0 "
    "by chance and climbs when the eggs spread more than chance.",
    "Event echo: how much the stretch at each second resembles the stretch at the event time, by "
    "the chosen echo method (needs an event time and an echo method).",
    "Cumulative covariance: the running sum of the covariance of the eggs' squared scores. Wanders "
    "near 0 by chance and climbs when eggs deviate at the same seconds.",
    "Probability of the cumulative covariance so far (0 to 1). Small values (below 0.05) are "
    "unlikely by chance.",
}};

void Tip(QWidget* widget, const QString& text) { widget->setToolTip(text); }

}  // namespace

void AddToolTips(RequestForm& f) {
  Tip(f.startTime,
      QStringLiteral("First second of the range, universal time (UTC): yyyy-mm-dd hh:mm:ss, from "
                     "1970 on. A date alone starts at 00:00:00."));
  Tip(f.stopTime,
      QStringLiteral("Last second of the range (UTC): yyyy-mm-dd hh:mm:ss, after the start. A date "
                     "alone ends at 23:59:59; left empty, the range ends with the start's day."));
  Tip(f.eventTime,
      QStringLiteral(
          "Optional moment of an event (UTC): yyyy-mm-dd hh:mm:ss. The event echo search "
          "starts there, and so do the DFT spectra. Empty: no event."));
  Tip(f.eventDuration,
      QStringLiteral("Duration of the event in hours (a decimal number, 0 to 596523): the stretch "
                     "the event echo search compares."));
  Tip(f.outputRoot,
      QStringLiteral("Existing folder below which each run writes a folder named after its data "
                     "name. A batch's summary table, summary.tst, is written here too."));
  Tip(f.dataName,
      QStringLiteral("Name of the run: its folder and file names. No path separator, \"..\", quote "
                     "or control character. A name containing PED (capitals) asks the data server "
                     "for pseudo-egg data."));
  Tip(f.localEggFile,
      QStringLiteral("First data file of a local run (.csv, .txt, .dat or gzip .gz, at most 200 "
                     "eggs). The later days' files are named like it with _2, _3, ... before the "
                     "extension."));
  Tip(f.eggGroupFile,
      QStringLiteral("Optional subgroup file (.esg) naming the eggs to use. Empty: every egg of "
                     "the data."));
  Tip(f.remoteAccess,
      QStringLiteral("Fetch the range day by day from the data server (its address: Options > "
                     "Customize). Off: read the local egg file."));
  Tip(f.saveRemoteInput,
      QStringLiteral("Keep each downloaded day file in the remote file save directory (Options > "
                     "Customize)."));
  Tip(f.audioOutput,
      QStringLiteral("Also write five WAV files that turn lpvar, lpdev, alpdev, lpmax and the "
                     "cumulative variance into sound (parameters: Options > Audio)."));

  const std::array<QString, 3> smoothing = {
      QStringLiteral("Exponential filter: each second weighs Coeff, the past 1 - Coeff."),
      QStringLiteral("Rectangle filter: the plain average over Size seconds."),
      QStringLiteral("Triangle filter: an average over Size seconds weighted towards its middle."),
  };
  for (int id = 0; id < 3; ++id) Tip(f.smoothing->button(id), smoothing[static_cast<size_t>(id)]);
  Tip(f.smoothWindowSize,
      QStringLiteral("Window of the rectangle and triangle filters in seconds: 0 or more for the "
                     "rectangle, 2 or more for the triangle, and it must fit into the run."));
  Tip(f.expCoeff,
      QStringLiteral("Weight of the newest second in the exponential filter: a decimal number from "
                     "0 to 1 (0.0001 averages over roughly the last 10000 seconds)."));

  const std::array<QString, 3> echo = {
      QStringLiteral("No event echo search."),
      QStringLiteral("Search the run for stretches of the display variable that correlate with "
                     "the stretch at the event."),
      QStringLiteral("Search the run for stretches of the display variable that lie close to the "
                     "stretch at the event (Euclidean distance)."),
  };
  for (int id = 0; id < 3; ++id) Tip(f.echoMethod->button(id), echo[static_cast<size_t>(id)]);

  Tip(f.compareIntervals,
      QStringLiteral("Compare two stretches of the run with t-tests; the results go to NAME.tst "
                     "and the batch summary."));
  Tip(f.interval1Start,
      QStringLiteral("Start of the first stretch, in seconds from the first sample (0 or more)."));
  Tip(f.intervalDuration,
      QStringLiteral("Length of both stretches in seconds (2 or more); each must end within the "
                     "run."));
  Tip(f.interval2Start,
      QStringLiteral("Start of the second stretch, in seconds from the first sample (0 or more)."));
  Tip(f.dft,
      QStringLiteral("Also write the power spectra of eggvar, lpdev, alpdev, lpadev, lpvar and "
                     "lpmax."));
  Tip(f.dftSize, QString::fromStdString(
                     CFormat("Length of each spectrum block in seconds (samples): taken down to a "
                             "power of two, from 2 to %d.",
                             kMaxDftSize)));
  Tip(f.batchFile,
      QStringLiteral("The batch file read by File > Open Batch File (Ctrl+O); \"Run batch file\" "
                     "runs its items."));
  Tip(f.runBatchButton,
      QStringLiteral("Analyse every item of the batch file one after another, without questions."));
  Tip(f.analyzeButton, QStringLiteral("Check the request and start the run (Ctrl+R or Enter)."));
  Tip(f.displayButton,
      QStringLiteral("Plot the chosen display variable of the run named by Data name again, from "
                     "its files below the output root."));
  Tip(f.stopButton, QStringLiteral("End the run at once; a batch ends with it (Esc)."));
  Tip(f.progress, QStringLiteral("How far the run has come."));
  Tip(f.bytesReceived,
      QStringLiteral("Bytes received from the data server in this run (0 for a local run)."));
  Tip(f.status, QStringLiteral("What the run is doing now."));
  for (int i = 0; i < kDisplayVariableCount; ++i) {
    Tip(f.displayVariable->button(i),
        QString::fromLatin1(kDisplayVariableTips[static_cast<size_t>(i)]));
  }
}

}  // namespace corvane
