// Titles and filters of the program's file and folder choosers, where a
// chooser opens, and the conversion of a filter to Qt's form.
//
// A filter lists pairs of a description and its patterns, separated by "|"
// and ended by "||"; patterns within a pair are separated by ";".
#pragma once

#include <string>

namespace corvane {

inline constexpr const char* kOpenBatchFileTitle = "Open Batch File";
inline constexpr const char* kBatchFileFilter = "Batch file (*.ebb)|*.ebb|All Files (*.*)|*.*||";

inline constexpr const char* kOpenEggFileTitle = "Open EGG File";
inline constexpr const char* kEggFileFilter =
    "EGG data files (*.csv;*.txt;*.dat;*.gz)|*.csv;*.txt;*.dat;*.gz|All Files (*.*)|*.*||";

inline constexpr const char* kLocateGnuplotTitle = "Locate gnuplot";
// Executables here carry no ".exe": the filter offers gnuplot by name.
inline constexpr const char* kGnuplotFilter =
    "gnuplot executable (gnuplot*)|gnuplot*|All Files (*)|*||";

inline constexpr const char* kOpenSubgroupFileTitle = "Open Egg Subgroup File";
inline constexpr const char* kSubgroupFileFilter =
    "Subgroup file (*.esg)|*.esg|All Files (*.*)|*.*||";

inline constexpr const char* kDataFolderTitle = "Browse to data folder";
inline constexpr const char* kTempFolderTitle = "Browse to temp folder";
inline constexpr const char* kRemoteSaveFolderTitle = "Browse to folder for saving remote files";

// Where a chooser opens for a field that holds current: the folder that
// current names, or the folder of the file it names (whether or not that
// file exists), when current is an absolute path and that folder exists;
// otherwise home (the user's home folder).
std::string ChooserStartDirectory(const std::string& current, const std::string& home);

// "Batch file (*.ebb)|*.ebb|All Files (*.*)|*.*||" becomes
// "Batch file (*.ebb);;All Files (*)": each description keeps its text and
// carries its patterns, blank-separated, in one pair of parentheses; "*.*"
// (every file) becomes "*", which also matches names without a dot.
std::string QtFileFilter(const std::string& filter);

}  // namespace corvane
