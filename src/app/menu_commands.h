// The menu commands that hand a page to the user's default opener: the time
// zone converter, the network project's home page and the local help page.
//
// When the opener cannot show the page, a warning box says so and gives the
// address (or, for the help, the file) to open by hand.
#pragma once

#include <string>

namespace corvane {

class AnalysisDialog;

// "Open Time Zone Converter": the TimeZoneURL page.
void OpenTimeZoneConverter(AnalysisDialog& form);

// "Kelmar Home": the root page of the data server named by DataURL.
void OpenKelmarHome(AnalysisDialog& form);

// "Help": the contents page of the local help; "Failed to launch help."
// with the file to open by hand (or where it should have been installed)
// when it cannot be found or opened.
void OpenHelp(AnalysisDialog& form);

// The root page ("scheme://host[:port]/") of a data URL; the default home
// page when the URL names no web server.
std::string HomePageUrl(const std::string& dataUrl);

// The installed help page, or the one in the source tree for a program run
// from its build directory; empty when neither exists.
std::string HelpPagePath();

// Where the help page is installed, relative to the program's folder.
std::string InstalledHelpPage();

}  // namespace corvane
