#include "app/customize_dialog.h"

#include <cstdio>

#include "app/analysis_dialog.h"
#include "app/file_choosers.h"
#include "app/persisted_settings.h"
#include "core/default_urls.h"
#include "core/progress_log.h"

namespace corvane {

namespace {

CustomizeDialog::Fields FieldsOf(const AnalysisDialog& form) {
  CustomizeDialog::Fields fields;
  fields.outputRoot = form.fields.outputRoot;
  fields.tempDirectory = form.config.tempDirectory;
  fields.eggGroupFile = form.fields.eggGroupFile;
  fields.remoteSaveDirectory = form.config.remoteSaveDirectory;
  fields.saveCompressed = form.config.saveCompressed;
  fields.gnuplotPath = form.config.gnuplotPath;
  fields.plotPictures = form.config.plotPictures;
  fields.timeZoneUrl = form.config.timeZoneUrl;
  fields.dataUrl = form.config.dataUrl;
  fields.pseudoDataUrl = form.config.pseudoDataUrl;
  fields.logProgress = LogProgress();
  return fields;
}

// A cancelled chooser answers with an empty text and leaves the field as it
// was: an emptied field would be stored by OK.
void ChooseFolderInto(std::string& field, const char* title, DialogView& view, Choosers& choosers) {
  if (!view.PullFields()) return;
  const std::string chosen = choosers.ChooseFolder(title, field);
  if (!chosen.empty()) field = chosen;
  view.PushFields();
}

void ChooseFileInto(std::string& field, const char* title, const char* filter, DialogView& view,
                    Choosers& choosers) {
  if (!view.PullFields()) return;
  const std::string chosen = choosers.ChooseFile(title, filter, field);
  if (!chosen.empty()) field = chosen;
  view.PushFields();
}

}  // namespace

CustomizeDialog::CustomizeDialog(AnalysisDialog& form)
    : fields(FieldsOf(form)), form_(form), rememberedTempDirectory_(form.config.tempDirectory) {}

void CustomizeDialog::BrowseOutputRoot(DialogView& view, Choosers& choosers) {
  ChooseFolderInto(fields.outputRoot, kDataFolderTitle, view, choosers);
}

void CustomizeDialog::BrowseTempDirectory(DialogView& view, Choosers& choosers) {
  ChooseFolderInto(fields.tempDirectory, kTempFolderTitle, view, choosers);
}

void CustomizeDialog::BrowseSubgroupFile(DialogView& view, Choosers& choosers) {
  ChooseFileInto(fields.eggGroupFile, kOpenSubgroupFileTitle, kSubgroupFileFilter, view, choosers);
}

void CustomizeDialog::BrowseRemoteSaveDirectory(DialogView& view, Choosers& choosers) {
  ChooseFolderInto(fields.remoteSaveDirectory, kRemoteSaveFolderTitle, view, choosers);
}

void CustomizeDialog::BrowseGnuplot(DialogView& view, Choosers& choosers) {
  ChooseFileInto(fields.gnuplotPath, kLocateGnuplotTitle, kGnuplotFilter, view, choosers);
}

void CustomizeDialog::RestoreDefaultDataUrl(DialogView& view) {
  if (!view.PullFields()) return;
  fields.dataUrl = kDefaultDataUrl;
  view.PushFields();
}

void CustomizeDialog::RestoreDefaultPseudoDataUrl(DialogView& view) {
  if (!view.PullFields()) return;
  fields.pseudoDataUrl = kDefaultPseudoDataUrl;
  view.PushFields();
}

void CustomizeDialog::Confirm() {
  AnalysisFields& formFields = form_.fields;
  FormConfig& config = form_.config;
  formFields.outputRoot = fields.outputRoot;
  config.tempDirectory = fields.tempDirectory;
  formFields.eggGroupFile = fields.eggGroupFile;
  config.remoteSaveDirectory = fields.remoteSaveDirectory;
  config.saveCompressed = fields.saveCompressed;
  config.gnuplotPath = fields.gnuplotPath;
  config.plotPictures = fields.plotPictures;
  config.timeZoneUrl = fields.timeZoneUrl;
  config.dataUrl = fields.dataUrl;
  config.pseudoDataUrl = fields.pseudoDataUrl;
  SetLogProgress(fields.logProgress);
  WriteConfiguration(form_.store(), formFields, config, fields.logProgress);
  if (fields.tempDirectory != rememberedTempDirectory_) {
    const std::string oldLog = LogPath();
    if (!oldLog.empty()) std::remove(oldLog.c_str());
    StartLogIn(fields.tempDirectory);
  }
  form_.view().PushFields();
}

void CustomizeDialog::Cancel() { form_.view().PushFields(); }

}  // namespace corvane
