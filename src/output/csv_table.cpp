#include "output/csv_table.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace corvane {
namespace {

constexpr char kLineEnd[] = "\r\n";

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The first record of the file (without its line end), reading no more than
// a header can hold; nullopt when it cannot be read.
std::optional<std::string> FirstRecord(const std::string& path, std::size_t limit) {
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) return std::nullopt;
  std::string line;
  int c = 0;
  while (line.size() <= limit && (c = std::fgetc(file.get())) != EOF && c != '\n') {
    line.push_back(static_cast<char>(c));
  }
  if (std::ferror(file.get())) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace

std::string CsvField(const std::string& text) {
  const bool quote = text.find_first_of(",\"\r\n") != std::string::npos ||
                     (!text.empty() && (text.front() == ' ' || text.front() == '\t' ||
                                        text.back() == ' ' || text.back() == '\t'));
  if (!quote) return text;
  std::string field = "\"";
  for (char c : text) {
    if (c == '"') field.push_back('"');
    field.push_back(c);
  }
  field.push_back('"');
  return field;
}

std::string CsvNumber(double value) {
  if (std::isnan(value)) return std::string();
  if (std::isinf(value)) return value > 0 ? "Inf" : "-Inf";
  char buffer[64];
  const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string CsvInteger(long long value) { return std::to_string(value); }

std::string CsvRecord(const std::vector<std::string>& fields) {
  std::string record;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) record.push_back(',');
    record += fields[i];
  }
  return record;
}

std::optional<std::string> AppendCsvRecords(const std::string& path, const std::string& header,
                                            const std::vector<std::string>& records) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(path, error);  // a missing file is no error
  const bool exists = fs::exists(status);
  error.clear();
  if (exists && !fs::is_regular_file(status)) {
    return path + " is not a regular file; the table was not written";
  }
  const std::uintmax_t oldSize = exists ? fs::file_size(path, error) : 0;
  if (error) return "Cannot read " + path + ": " + error.message();
  if (oldSize > 0) {
    const std::optional<std::string> first = FirstRecord(path, header.size());
    if (!first) return "Cannot read " + path;
    if (*first != header) {
      return path +
             " holds a table with other columns; rows were not added to it (rename it to keep "
             "it, and the next run starts a new table)";
    }
  }

  std::string text;
  if (oldSize == 0) text += header + kLineEnd;
  for (const std::string& record : records) text += record + kLineEnd;

  FilePtr file(std::fopen(path.c_str(), "ab"));
  if (!file) return "Cannot open " + path + " for writing";
  const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size() &&
                       std::fflush(file.get()) == 0;
  const bool closed = std::fclose(file.release()) == 0;
  if (written && closed) return std::nullopt;
  // Never leave half a record behind: the table stays as it was.
  fs::resize_file(path, oldSize, error);
  return "Failed to write " + path;
}

}  // namespace corvane
