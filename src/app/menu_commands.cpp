#include "app/menu_commands.h"

#include <filesystem>
#include <optional>

#include <QCoreApplication>
#include <QUrl>

#include "app/analysis_dialog.h"
#include "core/default_urls.h"

namespace corvane {

namespace {

void OpenPage(AnalysisDialog& form, const std::string& url, const char* what) {
  if (form.view().OpenUrl(url)) return;
  form.view().ShowMessage(
      std::string("Could not open ") + what + ". Open this address in a web browser:\n" + url,
      std::nullopt, MessageKind::kWarning);
}

}  // namespace

void OpenTimeZoneConverter(AnalysisDialog& form) {
  OpenPage(form, form.config.timeZoneUrl, "the time zone converter");
}

void OpenKelmarHome(AnalysisDialog& form) {
  OpenPage(form, HomePageUrl(form.config.dataUrl), "the Kelmar home page");
}

void OpenHelp(AnalysisDialog& form) {
  const std::string path = HelpPagePath();
  if (path.empty()) {
    form.view().ShowMessage(
        "Failed to launch help. The help page is not installed; it belongs at " +
            InstalledHelpPage() + ".",
        std::nullopt, MessageKind::kWarning);
    return;
  }
  const std::string url =
      QUrl::fromLocalFile(QString::fromStdString(path)).toString().toStdString();
  if (!form.view().OpenUrl(url)) {
    form.view().ShowMessage("Failed to launch help. Open this file in a web browser:\n" + path,
                            std::nullopt, MessageKind::kWarning);
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

std::string InstalledHelpPage() {
  const std::filesystem::path page =
      std::filesystem::path("..") / CORVANE_HELP_INSTALL_DIR / "index.html";
  if (QCoreApplication::instance() == nullptr) return page.string();
  const std::filesystem::path programDir = QCoreApplication::applicationDirPath().toStdString();
  return (programDir / page).lexically_normal().string();
}

std::string HelpPagePath() {
  std::vector<std::filesystem::path> candidates;
  if (QCoreApplication::instance() != nullptr) candidates.push_back(InstalledHelpPage());
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
