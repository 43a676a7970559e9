// BatchItem: one complete request of a batch file, a snapshot of the form's
// request fields, and its exchange with the form.
#pragma once

#include <string>

#include "app/form_fields.h"

namespace corvane {

struct BatchItem {
  std::string outputRoot;                             // "DataDirectory"
  std::string eggGroupFile;                           // "SubgroupFile"
  std::string localEggFile;                           // "LocalEggFile" (this item only)
  std::string remoteSaveDirectory;                    // "SaveRemoteInput"
  bool saveRemoteInput = false;                       // "SaveRemoteInput"
  bool saveCompressed = false;                        // "SaveRemoteInput"
  PictureFormat plotPictures = PictureFormat::kNone;  // "PlotPictures"
  bool forceRemoteAccess = false;                     // "ForceRemoteAccess"
  bool remoteAccess = true;
  bool audioOutput = false;    // "AudioOutput"
  bool dft = false;            // "DFTOutput"
  int dftSize = 32768;         // "DFTOutput"
  int resolution = 1;          // "Resolution"
  int smoothWindowSize = 900;  // "SmoothingWindowSize"
  int smoothWindowType = 0;    // "SmoothingWindowType"
  std::string dataName;        // data record
  std::string startTime;       // data record, date and time joined by one blank
  std::string stopTime;
  std::string eventTime;
  double eventDuration = 0.0;     // hours
  int echoMethod = 0;             // "EventEchoDetect", first number
  int displayVariable = 5;        // "EventEchoDetect", second number
  bool compareIntervals = false;  // "CompareIntervals"
  int interval1Start = 0;
  int interval2Start = 3600;
  int intervalDuration = 3600;
  double expCoeff = 0.0001;  // "ExpFilterCoeff"
};

// The form's current request as an item (force remote access off).
BatchItem CaptureBatchItem(const AnalysisFields& fields, const FormConfig& config, int resolution);

// Copies every field of the item except force remote access into the form's
// fields, configuration and resolution.
void LoadBatchItem(const BatchItem& item, AnalysisFields& fields, FormConfig& config,
                   int& resolution);

}  // namespace corvane
