#include "app/form_fields.h"

#include "core/default_urls.h"
#include "core/paths.h"

namespace corvane {

ControlEnabling EnablingOf(const AnalysisFields& fields) {
  ControlEnabling enabling;
  enabling.saveRemoteInput = fields.remoteAccess;
  enabling.coeff = fields.smoothWindowType == 0;
  enabling.windowSize = fields.smoothWindowType == 1 || fields.smoothWindowType == 2;
  enabling.dftSize = fields.dft;
  enabling.intervals = fields.compareIntervals;
  return enabling;
}

FormConfig DefaultFormConfig() {
  FormConfig config;
  config.tempDirectory = SystemTempDirectory();
  config.dataUrl = kDefaultDataUrl;
  config.pseudoDataUrl = kDefaultPseudoDataUrl;
  config.timeZoneUrl = kDefaultTimeZoneUrl;
  return config;
}

}  // namespace corvane
