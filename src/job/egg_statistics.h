// CEggStatistics: one analysis run (or one re-display) on a thread of its own.
//
// The form makes a fresh job for every run, starts its thread, hands it the
// request through the setters (in the order the form documents), then calls
// StartAnalysis or StartDisplay. From then on the job works on its own thread:
// a one-second tick (OnJobTimer) fetches the input, reads it, computes the
// statistics, writes the results and ends with Cleanup, which releases the
// run's memory, tells the form link that the run has ended (exactly once per
// job) and quits the job's thread.
//
// Ownership: whoever made the job owns it. After NotifyRunEnded has been
// received the owner joins and destroys it (the destructor stops a job that
// is still working and waits for its thread). The destructor must not be
// called from within NotifyRunEnded itself, which runs on the job's thread.
//
// Thread rules: setters, StartAnalysis, StartDisplay and StopAnalysis belong
// to the form's thread; JobStage may be read from any thread. Tests may leave
// the thread unstarted and call OnJobTimer directly.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/audio_settings.h"
#include "core/form_link.h"
#include "core/run_context.h"
#include "output/plot_windows.h"

namespace corvane {

class JobState;
class ParsedFileCache;

class CEggStatistics {
 public:
  CEggStatistics(FormLink* link, MessageReporter* reporter);
  ~CEggStatistics();
  CEggStatistics(const CEggStatistics&) = delete;
  CEggStatistics& operator=(const CEggStatistics&) = delete;

  // Starts the job's thread and its 1000 ms tick. False when the thread
  // could not be made.
  bool StartThread();

  // Setters, in the order the form calls them.
  bool SetTempDirectory(const std::string& directory, bool freshNetworkLog);
  bool SetRemoteSaveDirectory(bool saveRemoteInput, const std::string& directory,
                              bool saveCompressed);
  void SetDataUrls(const std::string& dataUrl, const std::string& pseudoDataUrl);
  void SetLocalEggFile(const std::string& path);
  // Loads the egg subgroup (an empty path: every egg). A named file that is
  // refused (unreadable, no ids, a token that is not a whole number) makes
  // StartAnalysis refuse the run with the reader's message.
  void ReadEggGroupFile(const std::string& path);
  void SetResolution(int recordsPerSample);
  void SetSmoothing(int mode, int windowSize, double coefficient);
  void SetRootDirectory(const std::string& directory);
  void SetRemoteAccess(bool remote, bool pseudoEggData);
  void SetAudio(bool on, const AudioSettings& settings);
  void SetDft(bool on, int size);
  void SetCompareIntervals(bool on);
  void SetGnuplotPath(const std::string& path);
  // The picture each run draws of its plot (none by default), and the
  // form's plot windows (none by default: every plot opens a window).
  void SetPlotPictures(PictureFormat format);
  void SetPlotWindows(PlotWindows* windows);
  void SetIntervals(int interval1Start, int interval2Start, int duration);
  void SetEchoMethod(int method);
  // The batch's cache of parsed input files, shared with its other jobs; a
  // local run reads its files through it (nullptr: none).
  void SetInputCache(std::shared_ptr<ParsedFileCache> cache);
  // The three time setters throw std::invalid_argument("Invalid date format")
  // for a text that names no real instant; an empty text gives (or keeps) 0.
  std::int64_t SetEventTime(const std::string& text, int durationSeconds, int echoVariable);
  std::int64_t SetStartTime(const std::string& text);
  std::int64_t SetStopTime(const std::string& text);

  // Run control.
  void StartAnalysis(bool batch, const std::string& dataName, const std::string& startText,
                     const std::string& stopText);
  void StartDisplay(const std::string& dataName, int displayCode, const std::string& title);
  void StopAnalysis();
  int JobStage() const;

  // One tick of the job (what the thread runs every second).
  void OnJobTimer();

  // True once Cleanup has run.
  bool Ended() const;

  // The clock behind the download stall rule, in whole seconds (tests).
  void SetClock(std::function<std::int64_t()> nowSeconds);

  // The run's shared state (tests and the form's progress read it).
  RunContext& context();
  const RunContext& context() const;

 private:
  std::unique_ptr<JobState> state_;
};

}  // namespace corvane
