// Fuzz target: the information-file reader of a re-display (".inf"), and
// the script lines that carry what it read.
//
// Input: the text of an information file. A file that is read gives a
// record count within 32 bits, and its title and legends, put into the
// plot script, read back as themselves from exactly one line each: no text
// of the file can end a gnuplot string early or start a command.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "output/plot_information.h"
#include "output/plot_script.h"

namespace {

using corvane::fuzz::Require;

// Reads the double-quoted gnuplot string that starts at text[pos] (the
// opening quote) as gnuplot does, and moves pos past its closing quote.
std::optional<std::string> Unquote(std::string_view text, size_t& pos) {
  if (pos >= text.size() || text[pos] != '"') return std::nullopt;
  std::string value;
  for (size_t i = pos + 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n') return std::nullopt;
    if (c == '"') {
      pos = i + 1;
      return value;
    }
    if (c != '\\') {
      value += c;
      continue;
    }
    if (++i >= text.size()) return std::nullopt;
    if (text[i] >= '0' && text[i] <= '7') {
      int code = 0;
      for (int digits = 0; digits < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7';
           ++digits, ++i) {
        code = code * 8 + (text[i] - '0');
      }
      --i;
      value += static_cast<char>(code);
    } else {
      value += text[i];
    }
  }
  return std::nullopt;
}

// The line of the script that starts with prefix holds the string value,
// and nothing after its closing quote.
void RequireLine(std::string_view script, std::string_view prefix, std::string_view value,
                 std::string_view after) {
  const size_t start = script.find(prefix);
  Require(start != std::string_view::npos, "the script has the line");
  size_t pos = start + prefix.size();
  const std::optional<std::string> read = Unquote(script, pos);
  Require(read.has_value() && *read == value, "a text reads back as itself");
  Require(script.substr(pos, after.size()) == after, "nothing follows the string");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane;
  const std::string path = fuzz::WriteScratchFile("fuzz.inf", fuzz::AsText(data, size));
  PlotInformation information;
  const InformationStatus status = ReadPlotInformation(path, information);
  Require(status != InformationStatus::kMissing && status != InformationStatus::kNotRegular,
          "a regular file is read");
  if (status != InformationStatus::kOk) return 0;
  Require(information.records >= 0 && information.records <= INT32_MAX, "a record count");
  for (const std::string* text :
       {&information.title, &information.stoufferLegend, &information.covarLegend}) {
    Require(text->find('\n') == std::string::npos, "one line each");
  }

  const std::string head = ScriptHead(1.0, 1.0, information.title, "Variance");
  RequireLine(head, "set title ", information.title, "\nset ylabel ");
  const std::string plot = PlotCommand("/runs/Fuzz/Fuzz.dat", 2, information.stoufferLegend, true);
  RequireLine(plot, "using 1:2 title ", information.stoufferLegend, " with lines,\\\n");
  const std::string covar = PlotCommand("/runs/Fuzz/Fuzz.dat", 13, information.covarLegend, true);
  RequireLine(covar, "using 1:13 title ", information.covarLegend, " with lines,\\\n");
  return 0;
}
