// The request form's values as plain fields, and the configuration the form
// holds besides them.
//
// AnalysisFields lists the fields of the form in the order of its exchange
// with the window's controls; each default is the value the form shows before
// the stored settings are loaded. FormConfig is the state edited in the
// Customize and Audio dialogs. A window binds its controls to these members:
// it copies control values in (pull) and field values out (push).
#pragma once

#include <cstdint>
#include <string>

#include "core/analysis_settings.h"
#include "core/audio_settings.h"

namespace corvane {

struct AnalysisFields {
  std::int64_t bytesReceived = 0;  // "Bytes rcvd" (read-only)
  std::string startTime;           // "Start time (yyyy-mm-dd hh:mm:ss)"
  std::string stopTime;            // "Stop time  (yyyy-mm-dd hh:mm:ss)"
  int displayVariable = 5;         // " Display Variables ", 0..11
  std::string outputRoot;          // "Root directory for output"
  std::string dataName = "EggOutput";
  bool remoteAccess = true;       // "Remote access"
  std::string localEggFile;       // "Local egg file "
  bool audioOutput = false;       // "Audio output"
  int interval1Start = 0;         // "Interval 1 (sec)"
  int intervalDuration = 3600;    // "Duration (sec)"
  int interval2Start = 3600;      // "Interval 2 (sec)"
  bool compareIntervals = false;  // "Compare Egg Intervals"
  std::string batchFile;          // "Batch file"
  int smoothWindowSize = 900;     // smoothing "Size" (sec)
  int smoothWindowType = 0;       // 0 "Exponential", 1 "Rectangle", 2 "Triangle"
  std::string eggGroupFile;       // "Egg subgroup file"
  double expCoeff = 0.0001;       // "Coeff", shown with up to 15 significant digits
  std::string eventTime;          // "Event time  (yyyy-mm-dd hh:mm:ss)"
  std::string status;             // status line (read-only)
  double eventDuration = 4.0;     // event duration, hours
  bool dft = false;               // "DFT"
  int dftSize = 32768;            // "DFT Size"
  bool saveRemoteInput = false;   // "Save remote input"
  int echoMethod = 0;             // " Event Echo Method ": 0 none, 1 correlation, 2 Euclidean

  bool operator==(const AnalysisFields&) const = default;
};

struct FormConfig {
  std::string tempDirectory;        // progress logs and downloads
  std::string remoteSaveDirectory;  // kept remote input
  std::string gnuplotPath;          // empty: gnuplot from the PATH
  std::string dataUrl;
  std::string pseudoDataUrl;
  std::string timeZoneUrl;
  bool saveCompressed = false;
  PictureFormat plotPictures = PictureFormat::kNone;  // "Plot pictures"
  AudioSettings audio;

  bool operator==(const FormConfig&) const = default;
};

// Which controls are enabled, as a function of the fields.
struct ControlEnabling {
  bool saveRemoteInput = true;  // exactly when "Remote access" is checked
  bool coeff = true;            // exponential smoothing
  bool windowSize = false;      // rectangle or triangle smoothing
  bool dftSize = false;         // exactly when "DFT" is checked
  bool intervals = false;       // exactly when "Compare Egg Intervals" is checked
};

ControlEnabling EnablingOf(const AnalysisFields& fields);

// The form's values at start-up, before the stored settings are read.
FormConfig DefaultFormConfig();

}  // namespace corvane
