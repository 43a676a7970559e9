#include "output/plot_picture.h"

#include <cctype>

#include "core/output_file.h"
#include "output/headless_gnuplot.h"
#include "output/plot_script.h"

namespace corvane {
namespace {

struct FormatName {
  PictureFormat format;
  const char* name;
  const char* extension;
  const char* terminal;
};

constexpr FormatName kFormats[] = {
    {PictureFormat::kNone, "none", "", ""},
    {PictureFormat::kPng, "png", ".png", "set term pngcairo size 1200,750 noenhanced\n"},
    {PictureFormat::kSvg, "svg", ".svg", "set term svg size 1200,750 noenhanced\n"},
    // The cairo PDF terminal measures in inches: 1200 x 750 points.
    {PictureFormat::kPdf, "pdf", ".pdf", "set term pdfcairo size 1200/72.0,750/72.0 noenhanced\n"},
};

const FormatName& Entry(PictureFormat format) {
  for (const FormatName& entry : kFormats) {
    if (entry.format == format) return entry;
  }
  return kFormats[0];
}

// gnuplot's own time for one picture is well under a second; a long run's
// picture may take some seconds more.
constexpr std::chrono::minutes kDrawingTimeout(2);

}  // namespace

std::optional<PictureFormat> PictureFormatFromName(std::string_view name) {
  std::string lower;
  for (const char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const FormatName& entry : kFormats) {
    if (lower == entry.name) return entry.format;
  }
  return std::nullopt;
}

const char* PictureFormatName(PictureFormat format) { return Entry(format).name; }

const char* PictureExtension(PictureFormat format) { return Entry(format).extension; }

std::string PictureScript(std::string_view script, PictureFormat format) {
  std::string text = Entry(format).terminal;
  const std::string_view window = kTerminalLine;
  if (script.substr(0, window.size()) == window) script.remove_prefix(window.size());
  text += script;
  return text;
}

bool DrawPlotPicture(RunContext& context, const PlotFiles& files, std::string_view script) {
  const AnalysisSettings& settings = context.settings;
  if (settings.plotPictures == PictureFormat::kNone) return true;
  const std::string path =
      files.directory + settings.dataName + PictureExtension(settings.plotPictures);
  auto fail = [&](const std::string& reason) {
    context.results.Discard();
    context.ShowMessage("Failed to draw the plot picture " + path + ": " + reason);
    return false;
  };
  OutputFileSet& set = context.results;
  if (std::optional<std::string> refusal = set.Begin(files.directory, settings.dataName)) {
    return fail(*refusal);
  }
  OutputFile picture;
  if (!set.Open(picture, path, "wb")) return fail(picture.Reason());
  context.PostStatus("Drawing plot picture");
  bool empty = true;
  const std::optional<std::string> failure = RunHeadlessGnuplot(
      settings.gnuplotPath, PictureScript(script, settings.plotPictures),
      [&](std::string_view bytes) {
        empty = false;
        return picture.Write(bytes);
      },
      [&] { return context.StopRequested(); }, kDrawingTimeout);
  if (failure) return fail(picture.Ok() ? *failure : picture.Reason());
  if (empty) return fail("gnuplot drew nothing");
  if (!set.Finish(picture)) return fail(picture.Reason());
  const OutputFileSet::Outcome outcome = set.Commit();
  if (!outcome.committed) {
    std::string reasons;
    for (const std::string& message : outcome.failures)
      reasons += (reasons.empty() ? "" : "; ") + message;
    return fail(reasons.empty() ? std::string("it could not be moved into place") : reasons);
  }
  return true;
}

}  // namespace corvane
