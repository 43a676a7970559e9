#include "dataserver/data_request.h"

#include <cctype>
#include <regex>

#include "core/c_format.h"
#include "core/date_time.h"

namespace corvane::dataserver {
namespace {

bool Fail(std::string* error, const std::string& text) {
  if (error != nullptr) *error = text;
  return false;
}

// The seconds of 00:00:00 of a real calendar date from 1970 to 9999.
bool DayStart(long long year, long long month, long long day, std::int64_t* seconds,
              std::string* error) {
  if (year < 1970 || year > 9999) return Fail(error, "year must lie between 1970 and 9999");
  if (month < 1 || month > 12) return Fail(error, "month must lie between 1 and 12");
  if (day < 1 || day > 31) return Fail(error, "day must lie between 1 and 31");
  DateTime date;
  date.FromCalendar(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day), 0, 0,
                    0);
  int y = 0;
  int m = 0;
  int d = 0;
  date.ToCalendar(&y, &m, &d, nullptr, nullptr, nullptr);
  if (y != year || m != month || d != day) return Fail(error, "the date does not exist");
  *seconds = date.Seconds();
  return true;
}

bool Integer(const QueryParams& params, const char* key, long long* value, std::string* error) {
  const auto it = params.find(key);
  if (it == params.end()) return Fail(error, std::string(key) + " is missing");
  const std::optional<long long> number = ParseInteger(it->second);
  if (!number) return Fail(error, std::string(key) + " is not a whole number: " + it->second);
  *value = *number;
  return true;
}

// "HH:MM:SS" as seconds of the day; the default when the key is absent.
bool ClockTime(const QueryParams& params, const char* key, int fallback, int* seconds,
               std::string* error) {
  const auto it = params.find(key);
  if (it == params.end()) {
    *seconds = fallback;
    return true;
  }
  static const std::regex pattern(R"((\d{1,2}):(\d{1,2}):(\d{1,2}))");
  std::smatch match;
  if (!std::regex_match(it->second, match, pattern)) {
    return Fail(error, std::string(key) + " must be hh:mm:ss, not " + it->second);
  }
  const int hour = std::stoi(match[1]);
  const int minute = std::stoi(match[2]);
  const int second = std::stoi(match[3]);
  if (hour > 23 || minute > 59 || second > 59) {
    return Fail(error, std::string(key) + " is not a time of day: " + it->second);
  }
  *seconds = hour * 3600 + minute * 60 + second;
  return true;
}

}  // namespace

std::string DataRequest::DateText() const { return DateTime(dayStart).DateText(); }

std::optional<DataRequest> ParseRealDataRequest(const QueryParams& params, std::string* error) {
  long long year = 0;
  long long month = 0;
  long long day = 0;
  DataRequest request;
  if (!Integer(params, "year", &year, error) || !Integer(params, "month", &month, error) ||
      !Integer(params, "day", &day, error) ||
      !DayStart(year, month, day, &request.dayStart, error)) {
    return std::nullopt;
  }
  int start = 0;
  int end = 0;
  if (!ClockTime(params, "stime", 0, &start, error) ||
      !ClockTime(params, "etime", 86399, &end, error)) {
    return std::nullopt;
  }
  if (start > end) {
    Fail(error, "stime lies after etime");
    return std::nullopt;
  }
  request.from = request.dayStart + start;
  request.to = request.dayStart + end;
  const auto gzip = params.find("gzip");
  std::string flag = gzip == params.end() ? std::string() : gzip->second;
  for (char& c : flag) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  request.gzip = flag == "yes";
  return request;
}

std::optional<DataRequest> ParsePseudoDataPath(const std::string& path, std::string* error) {
  static const std::regex pattern(
      R"(/pseudoeggs\.dir/pseudoeggs/(\d{4})/basketdata-(\d{4})-(\d{2})-(\d{2})\.csv\.gz)");
  std::smatch match;
  if (!std::regex_match(path, match, pattern)) {
    Fail(error, "a pseudo-egg file is named YYYY/basketdata-YYYY-MM-DD.csv.gz");
    return std::nullopt;
  }
  if (match[1] != match[2]) {
    Fail(error, "the folder year and the file's year differ");
    return std::nullopt;
  }
  DataRequest request;
  if (!DayStart(std::stoll(match[2]), std::stoll(match[3]), std::stoll(match[4]), &request.dayStart,
                error)) {
    return std::nullopt;
  }
  request.from = request.dayStart;
  request.to = request.dayStart + 86399;
  request.gzip = true;
  return request;
}

}  // namespace corvane::dataserver
