#include "core/shard_journal.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>

#include "core/c_format.h"
#include "core/output_file.h"
#include "core/regular_file.h"

namespace corvane {
namespace {

constexpr char kJournalHeading[] = "corvane shard journal 1";

std::string ShardSuffix(ShardSpec shard) {
  return "-" + std::to_string(shard.index) + "-of-" + std::to_string(shard.count);
}

std::string FirstLine(ShardSpec shard) {
  return std::string(kJournalHeading) + "\nshard " + std::to_string(shard.index) + " of " +
         std::to_string(shard.count) + "\n";
}

// Reads the journal's text line by line and block by block.
class JournalParser {
 public:
  explicit JournalParser(const std::string& text) : text_(text) {}
  bool AtEnd() const { return pos_ >= text_.size(); }
  std::optional<std::string> Line() {
    const std::size_t end = text_.find('\n', pos_);
    if (end == std::string::npos) return std::nullopt;
    std::string line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    return line;
  }
  std::optional<std::string> Bytes(long long count) {
    if (count < 0 || static_cast<unsigned long long>(count) > text_.size() - pos_) {
      return std::nullopt;
    }
    std::string bytes = text_.substr(pos_, static_cast<std::size_t>(count));
    pos_ += static_cast<std::size_t>(count);
    return bytes;
  }

 private:
  const std::string& text_;
  std::size_t pos_ = 0;
};

// Whole numbers separated by single spaces after `keyword`.
bool ParseNumbers(const std::string& line, const std::string& keyword, std::vector<long long>& out,
                  std::size_t count) {
  if (line.rfind(keyword + " ", 0) != 0) return false;
  out.clear();
  const char* p = line.data() + keyword.size() + 1;
  const char* end = line.data() + line.size();
  while (p < end) {
    long long value = 0;
    const auto [next, error] = std::from_chars(p, end, value);
    if (error != std::errc() || value < 0) return false;
    out.push_back(value);
    p = next;
    if (p < end && *p++ != ' ') return false;
  }
  return out.size() == count;
}

}  // namespace

std::string ShardTableName(const std::string& name, ShardSpec shard) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return name + ShardSuffix(shard);
  return name.substr(0, dot) + ShardSuffix(shard) + name.substr(dot);
}

std::string ShardJournalName(ShardSpec shard) { return "shard" + ShardSuffix(shard) + ".journal"; }

std::optional<std::string> StartShardJournal(const std::string& folder, ShardSpec shard) {
  const std::string path = folder + ShardJournalName(shard);
  const std::string pending = folder + "." + ShardJournalName(shard) + ".pending";
  OutputFile file;
  file.Open(pending, "w");
  file.Write(FirstLine(shard));
  std::optional<std::string> failure;
  if (!file.Close()) {
    failure = pending + ": " + file.Reason();
  } else if (std::rename(pending.c_str(), path.c_str()) != 0) {
    failure = path + ": " + ErrorText(errno);
  }
  if (failure) unlink(pending.c_str());
  return failure;
}

std::optional<std::string> AddJournalUnit(const std::string& folder, ShardSpec shard, int item,
                                          char kind, const std::string& name,
                                          const TableText& text) {
  std::string unit = CFormat("unit %d %c %zu %zu %zu %zu\n", item, kind, name.size(),
                             text.heading.size(), text.headingLine.size(), text.text.size());
  unit += name + text.heading + text.headingLine + text.text + "\n";
  return AppendToTable(folder + ShardJournalName(shard), {unit, {}, {}});
}

std::optional<std::string> EndShardJournal(const std::string& folder, ShardSpec shard, int items) {
  return AppendToTable(folder + ShardJournalName(shard), {CFormat("end %d\n", items), {}, {}});
}

std::optional<std::string> ReadShardJournal(const std::string& path, ShardJournal& journal) {
  std::string notRegular;
  StdioFile file = OpenRegularFile(path, &notRegular);
  if (!file) {
    return path + ": " + (notRegular.empty() ? ErrorText(errno) : notRegular);
  }
  struct stat info {};
  if (fstat(fileno(file.get()), &info) != 0) return path + ": " + ErrorText(errno);
  if (info.st_size > kJournalLimit) {
    return path + ": the journal is larger than " + std::to_string(kJournalLimit) + " bytes";
  }
  std::string text(static_cast<std::size_t>(info.st_size), '\0');
  if (!text.empty() && std::fread(text.data(), 1, text.size(), file.get()) != text.size()) {
    return path + ": cannot be read whole";
  }
  const std::string damaged = path + ": not a complete shard journal";
  JournalParser parser(text);
  std::vector<long long> numbers;
  const auto heading = parser.Line();
  const auto shardLine = parser.Line();
  // "shard K of N" read as the numbers of "shard K N".
  const std::size_t of = shardLine ? shardLine->find(" of ") : std::string::npos;
  if (!heading || *heading != kJournalHeading || of == std::string::npos ||
      !ParseNumbers(shardLine->substr(0, of) + " " + shardLine->substr(of + 4), "shard", numbers,
                    2) ||
      numbers[0] < 1 || numbers[0] > numbers[1] || numbers[1] > 1000000) {
    return path + ": not a shard journal";
  }
  journal.shard = {static_cast<int>(numbers[0]), static_cast<int>(numbers[1])};
  journal.units.clear();
  journal.ended = false;
  while (!parser.AtEnd()) {
    const auto line = parser.Line();
    if (!line) return damaged + " (its last line is cut short)";
    if (journal.ended) return damaged + " (lines after its end)";
    if (ParseNumbers(*line, "end", numbers, 1)) {
      if (numbers[0] > 1000000) return damaged + " (" + *line + ")";
      journal.ended = true;
      journal.items = static_cast<int>(numbers[0]);
      continue;
    }
    // "unit ITEM KIND a b c d": the kind sits between two numbers.
    if (line->size() < 8 || line->rfind("unit ", 0) != 0) return damaged + " (" + *line + ")";
    const std::size_t kindAt = line->find(' ', 5);
    if (kindAt == std::string::npos || kindAt + 2 >= line->size() || (*line)[kindAt + 2] != ' ') {
      return damaged + " (" + *line + ")";
    }
    const char kind = (*line)[kindAt + 1];
    const std::string numbersText =
        "unit " + line->substr(5, kindAt - 5) + line->substr(kindAt + 2);
    if ((kind != 't' && kind != 'c') || !ParseNumbers(numbersText, "unit", numbers, 5) ||
        numbers[0] < 1 || numbers[0] > 1000000) {
      return damaged + " (" + *line + ")";
    }
    JournalUnit unit;
    unit.item = static_cast<int>(numbers[0]);
    unit.kind = kind;
    const auto name = parser.Bytes(numbers[1]);
    const auto unitHeading = parser.Bytes(numbers[2]);
    const auto headingLine = parser.Bytes(numbers[3]);
    const auto body = parser.Bytes(numbers[4]);
    const auto close = parser.Line();
    if (!name || !unitHeading || !headingLine || !body || !close || !close->empty()) {
      return damaged + " (a unit of item " + std::to_string(unit.item) + " is cut short)";
    }
    unit.name = *name;
    unit.text = {*body, *unitHeading, *headingLine};
    journal.units.push_back(std::move(unit));
  }
  return std::nullopt;
}

}  // namespace corvane
