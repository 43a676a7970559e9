#include "gui/window_snapshot.h"

#include <memory>

#include <QDeadlineTimer>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace corvane {

void WhenExposed(QWidget& widget, int timeoutMs, std::function<void(bool exposed)> done) {
  auto* poll = new QTimer(&widget);
  poll->setInterval(2);
  const QDeadlineTimer deadline(timeoutMs);
  QPointer<QWidget> target(&widget);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, deadline, target, done] {
    const QWindow* window = target ? target->windowHandle() : nullptr;
    const bool exposed = window != nullptr && window->isExposed();
    if (!exposed && !deadline.hasExpired()) return;
    poll->stop();
    poll->deleteLater();
    done(exposed);
  });
  poll->start();
}

bool SaveSnapshot(QWidget& widget, const std::string& path) {
  return widget.grab().save(QString::fromStdString(path), "PNG");
}

}  // namespace corvane
