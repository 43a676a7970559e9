// The channel from a job's thread to the form's thread: reports arrive in
// order on the form's thread, a message box blocks the asking thread until
// the form's thread has shown it.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <QObject>
#include <QThread>

#include "app/job_channel.h"
#include "app_test_support.h"

namespace corvane {
namespace {

using testing::RunEventsUntil;

class RecordingEvents : public JobEvents {
 public:
  void OnJobStatus(int jobId, const std::string& text) override { Record(jobId, "status " + text); }
  void OnJobBytes(int jobId, std::int64_t count) override {
    Record(jobId, "bytes " + std::to_string(count));
  }
  void OnJobMessage(int jobId, const std::string& text, const std::optional<std::string>& caption,
                    MessageKind kind) override {
    const char* const kinds[] = {"information", "warning", "critical"};
    Record(jobId, "message " + text + " / " + caption.value_or("(default)") + " / " +
                      kinds[static_cast<int>(kind)]);
  }
  void OnJobEnded(int jobId, const RunReport& report) override {
    Record(jobId, "ended " + report.dataName + " " + report.message);
  }

  std::vector<std::string> events;  // marked when they arrive on another thread

 private:
  void Record(int jobId, const std::string& event) {
    const bool onFormThread = QThread::currentThread() == formThread_;
    events.push_back(std::to_string(jobId) + " " + event + (onFormThread ? "" : " (off thread)"));
  }
  QThread* formThread_ = QThread::currentThread();
};

TEST(JobChannelTest, ReportsArriveInOrderOnTheFormsThreadAndAMessageBoxBlocksTheJob) {
  QObject context;
  RecordingEvents events;
  JobChannel channel(&context, &events, 7);
  std::thread job([&channel] {
    channel.PostStatus("Reading local file");
    channel.PostBytesReceived(32768);
    channel.ShowMessage("Trialsize changed from 200 to 100", std::nullopt, MessageKind::kWarning);
    channel.PostStatus("");
    RunReport report;
    report.dataName = "Quake";
    report.message = "No useable records";
    channel.NotifyRunEnded(report);
  });
  ASSERT_TRUE(RunEventsUntil([&events] { return events.events.size() == 5; }));
  job.join();
  EXPECT_EQ(events.events, (std::vector<std::string>{
                               "7 status Reading local file", "7 bytes 32768",
                               "7 message Trialsize changed from 200 to 100 / (default) / warning",
                               "7 status ", "7 ended Quake No useable records"}));
  // On the form's thread itself a message is shown at once.
  channel.ShowMessage("from a setter", "Setup error", MessageKind::kInformation);
  EXPECT_EQ(events.events.back(), "7 message from a setter / Setup error / information");

  // Without the form's event loop the job stays in its message box. (A
  // form that closes abandons the channel and releases such a job: the
  // window's closing test.)
  std::atomic<bool> returned{false};
  std::thread blocked([&] {
    channel.ShowMessage("Timed out waiting for internet thread handle", "");
    returned = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(returned);
  EXPECT_EQ(events.events.size(), 6u);
  ASSERT_TRUE(RunEventsUntil([&returned] { return returned.load(); }));
  blocked.join();
  EXPECT_EQ(events.events.back(),
            "7 message Timed out waiting for internet thread handle /  / critical");
}

}  // namespace
}  // namespace corvane
