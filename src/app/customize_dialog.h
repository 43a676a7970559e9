// The Customize dialog as fields and operations: directories, gnuplot and
// the plot pictures, the addresses and the progress log.
//
// Opening: the form pulls its values first (the view's PullFields); the
// dialog is then made from the form and remembers the temporary directory.
// Each button pulls the dialog's values, makes its change and pushes them
// back. Each "Browse" opens its chooser where the field's value points and
// changes the field only when something was chosen: a cancelled chooser
// leaves the field as it was. Confirm (OK) copies every value back into the
// form, sets the progress-log switch, stores the eleven configuration values,
// and, when the temporary directory text changed at all (even in case only),
// deletes the current progress log and starts a new one in the new
// directory. Cancel changes nothing. In either case the form's view is
// pushed afterwards.
#pragma once

#include <string>

#include "app/form_view.h"
#include "core/analysis_settings.h"

namespace corvane {

class AnalysisDialog;

class CustomizeDialog {
 public:
  struct Fields {
    std::string outputRoot;                             // "Output root directory"
    std::string tempDirectory;                          // "Temp directory"
    std::string eggGroupFile;                           // "EGG subgroup file"
    std::string remoteSaveDirectory;                    // "Remote file save directory"
    bool saveCompressed = false;                        // "Save Compressed"
    std::string gnuplotPath;                            // "Gnuplot executable"
    PictureFormat plotPictures = PictureFormat::kNone;  // "Plot pictures"
    std::string timeZoneUrl;                            // "Time zone converter URL"
    std::string dataUrl;                                // "Base of egg data URL"
    std::string pseudoDataUrl;                          // "Base of pseudo egg data URL"
    bool logProgress = false;                           // "Log progress"
  };

  explicit CustomizeDialog(AnalysisDialog& form);

  Fields fields;

  void BrowseOutputRoot(DialogView& view, Choosers& choosers);
  void BrowseTempDirectory(DialogView& view, Choosers& choosers);
  void BrowseSubgroupFile(DialogView& view, Choosers& choosers);
  void BrowseRemoteSaveDirectory(DialogView& view, Choosers& choosers);
  void BrowseGnuplot(DialogView& view, Choosers& choosers);
  void RestoreDefaultDataUrl(DialogView& view);
  void RestoreDefaultPseudoDataUrl(DialogView& view);

  // OK: the dialog's values must have been pulled by its view.
  void Confirm();
  void Cancel();

 private:
  AnalysisDialog& form_;
  const std::string rememberedTempDirectory_;
};

}  // namespace corvane
