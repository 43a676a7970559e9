#include "gui/desktop_opener.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QStandardPaths>
#include <QTimer>

extern char** environ;

namespace corvane {

namespace {

constexpr int kPollMs = 10;
constexpr int kReapPollMs = 1000;

// Starts program with target; the child's id, or -1.
pid_t Spawn(const std::string& program, const std::string& target) {
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return -1;
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  std::string arg0 = program;
  std::string arg1 = target;
  char* argv[] = {arg0.data(), arg1.data(), nullptr};
  pid_t pid = -1;
  const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -1;
}

// Collects an opener that is still running once it ends, so it leaves no
// zombie behind while Corvane runs.
void ReapLater(pid_t pid) {
  auto* timer = new QTimer(QCoreApplication::instance());
  QObject::connect(timer, &QTimer::timeout, timer, [timer, pid] {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) != 0) timer->deleteLater();
  });
  timer->start(kReapPollMs);
}

}  // namespace

bool OpenWithDesktopOpener(const std::string& target, int waitMs) {
  const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (opener.isEmpty()) return false;
  const pid_t pid = Spawn(opener.toStdString(), target);
  if (pid < 0) return false;

  const QDeadlineTimer deadline(waitMs);
  QEventLoop loop;
  int status = 0;
  pid_t ended = 0;
  while ((ended = waitpid(pid, &status, WNOHANG)) == 0 && !deadline.hasExpired()) {
    QTimer::singleShot(kPollMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  if (ended == 0) {
    ReapLater(pid);
    return true;
  }
  return ended == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace corvane
