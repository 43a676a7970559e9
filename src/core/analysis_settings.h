// Every parameter of one analysis run. The job holds one copy, filled by its
// setters before the run starts and not changed while the run works; the
// input, statistics, output and audio steps read it.
//
// Directory texts end with a separator once set.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/audio_settings.h"
#include "core/default_urls.h"
#include "core/paths.h"

namespace corvane {

enum SmoothingMode : int { kExponential = 0, kRectangle = 1, kTriangle = 2 };

// The picture each run draws of its plot beside the script, if any.
enum class PictureFormat : int { kNone = 0, kPng = 1, kSvg = 2, kPdf = 3 };

enum EchoMethod : int { kEchoNone = 0, kEchoCorrelation = 1, kEchoEuclidean = 2 };

struct AnalysisSettings {
  // Names and directories.
  std::string dataName;
  std::string rootDirectory;
  std::string outputDirectory;  // rootDirectory + dataName + separator
  std::string tempDirectory = SystemTempDirectory();
  bool freshNetworkLog = false;
  // The network log when it is not "eggnet.log" in the temporary directory
  // (a batch item running beside others has a temporary folder of its own).
  std::string networkLogPath;

  // Remote input.
  bool remoteAccess = false;
  bool pseudoEggData = false;
  std::string dataUrl = kDefaultDataUrl;
  std::string pseudoDataUrl = kDefaultPseudoDataUrl;
  std::string remoteSaveDirectory;
  bool saveRemoteInput = false;
  bool saveCompressed = false;

  // Local input.
  std::string localEggFile;
  std::vector<int> eggSubgroup;  // empty: every egg is selected
  std::string eggSubgroupError;  // why the named subgroup file was refused
  int resolution = 1;            // records per sample

  // Smoothing.
  SmoothingMode smoothingMode = kExponential;
  int smoothingWindow = 900;
  double expCoefficient = 0.001;

  // Optional analyses.
  bool audio = false;
  AudioSettings audioSettings;  // the run's own copy, taken when it is handed over
  // Off until the request asks for spectra: a job that was never given a DFT
  // size writes none (the form always hands over both).
  bool dft = false;
  int dftSize = 0;
  bool compareIntervals = false;
  int interval1Start = 0;
  int interval2Start = 0;
  int intervalDuration = 0;
  int echoMethod = kEchoNone;
  std::string eventTimeText;
  std::int64_t eventTime = 0;  // seconds since 1970; 0 means none
  int eventDuration = 0;       // seconds
  int eventEchoVariable = 0;   // 0..11, the form's display variable index

  // Time range; start and stop both 0 means no time filter.
  std::string startText;
  std::string stopText;
  std::int64_t startTime = 0;
  std::int64_t stopTime = 0;

  // Display and plotting.
  std::string gnuplotPath;  // empty: gnuplot from the PATH
  double plotWidth = 1.0;
  double plotHeight = 1.0;
  int displayCode = 0;
  std::string displayTitle;
  PictureFormat plotPictures = PictureFormat::kNone;

  bool batchMode = false;
};

}  // namespace corvane
