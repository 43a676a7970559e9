// The download supervision of a remote run, driven directly: reports of
// workers that were stopped must never count for their successors.
#include "job/remote_download.h"

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "core/date_time.h"
#include "dataserver/data_server.h"
#include "job/job_state.h"
#include "job_harness.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using testing::ProgressLogCapture;
using testing::RecordingLink;
using testing::TempDir;

bool WaitFor(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

int Count(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(RemoteDownloadTest, LateReportsOfAStoppedWorkerAreIgnored) {
  TempDir dir;
  ProgressLogCapture log(dir.File("egg.log"));
  dataserver::ServerOptions options;
  options.port = 0;
  options.eggCount = 4;
  dataserver::DataServer server(options);
  ASSERT_TRUE(server.Start());
  dataserver::FaultPlan plan;
  plan.stallRequests = 2;
  plan.stallAfterBytes = 100;
  server.SetFaults(plan);

  RecordingLink link;
  JobState job(&link, &link);
  AnalysisSettings& settings = job.context.settings;
  settings.dataName = "Quake";
  settings.tempDirectory = dir.path();
  settings.rootDirectory = dir.path();
  settings.remoteAccess = true;
  settings.dataUrl = server.DataUrl();
  settings.startTime = SecondsFromText("2011-05-03 00:00:00");
  settings.stopTime = SecondsFromText("2011-05-03 00:09:59");
  ASSERT_TRUE(job.BuildDaySegments());
  auto clock = std::make_shared<std::atomic<std::int64_t>>(500);
  job.now_seconds = [clock] { return clock->load(); };

  RemoteDownload remote(job);
  remote.Start();
  ASSERT_TRUE(WaitFor([&] { return link.bytesReceived() == 100; }));
  *clock += 31;
  remote.OnTick();  // the stall: the first worker goes, a second one starts
  ASSERT_TRUE(WaitFor([&] { return server.DataRequestCount() == 2; }));

  // The first worker's reports, however late, are not the second's.
  InternetReport late;
  late.generation = 1;
  late.segmentIndex = 0;
  late.resultText = "Successful";
  remote.ExitInternetThread(late);
  late.resultCode = 5;
  late.resultText = "Not found";
  remote.ExitInternetThread(late);
  remote.OnTick();
  EXPECT_FALSE(job.input_complete.load());
  EXPECT_FALSE(job.context.Aborted());
  EXPECT_TRUE(job.segment_files[0].empty());
  EXPECT_EQ(Count(log.Contents(), "Initiating retry"), 1);
  EXPECT_EQ(Count(log.Contents(), "Report of a stopped internet thread ignored\n"), 3);

  // The second worker's own failure counts; the third download completes.
  server.ReleaseStalls();
  ASSERT_TRUE(WaitFor([&] {
    remote.OnTick();
    return job.input_complete.load() || job.context.Aborted();
  }));
  EXPECT_FALSE(job.context.Aborted());
  EXPECT_EQ(server.DataRequestCount(), 3);
  EXPECT_EQ(job.input_file_count, 1);
  EXPECT_EQ(job.segment_files[0], dir.File("data.csv"));
  const std::string text = log.Contents();
  EXPECT_EQ(Count(text, "Initiating retry"), 2);
  EXPECT_NE(text.find("Initiating retry number 2 after connection error\n"), std::string::npos);
  remote.Release();
}

}  // namespace
}  // namespace corvane
