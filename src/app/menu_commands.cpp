#include "app/menu_commands.h"

#include <filesystem>
#include <optional>

#include <QCoreApplication>
#include <QUrl>

#include "app/analysis_dialog.h"
#include "core/default_urls.h"

namespace corvane {

void OpenTimeZoneConverter(AnalysisDialog& form) { form.view().OpenUrl(form.config.timeZoneUrl); }

void OpenKelmarHome(AnalysisDialog& form) { form.view().OpenUrl(HomePageUrl(form.config.dataUrl)); }

void OpenHelp(AnalysisDialog& form) {
  const std::string path = HelpPagePath();
  const std::string url =
      path.empty() ? std::string()
                   : QUrl::fromLocalFile(QString::fromStdString(path)).toString().toStdString();
  if (url.empty() || !form.view().OpenUrl(url)) {
    form.view().ShowMessage("Failed to launch help.", std::nullopt);
  }
}

std::string HomePageUrl(const std::string& dataUrl) {
  const QUrl url(QString::fromStdString(dataUrl), QUrl::StrictMode);
  const QString scheme = url.scheme();
  if (!url.isValid() || url.host().isEmpty() ||
      (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
    return kDefaultHomeUrl;
  }
  QUrl home;
  home.setScheme(scheme);
  home.setHost(url.host());
  home.setPort(url.port());
  home.setPath(QStringLiteral("/"));
  return home.toString().toStdString();
}

std::string HelpPagePath() {
  std::vector<std::filesystem::path> candidates;
  if (QCoreApplication::instance() != nullptr) {
    const std::filesystem::path programDir = QCoreApplication::applicationDirPath().toStdString();
    candidates.push_back(programDir / ".." / CORVANE_HELP_INSTALL_DIR / "index.html");
  }
  candidates.push_back(std::filesystem::path(CORVANE_HELP_SOURCE_DIR) / "index.html");
  for (const std::filesystem::path& candidate : candidates) {
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error)) {
      return std::filesystem::weakly_canonical(candidate, error).string();
    }
  }
  return {};
}

}  // namespace corvane
