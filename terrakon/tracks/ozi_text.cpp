#include "terrakon/tracks/ozi_text.h"

#include <charconv>
#include <climits>
#include <cmath>

#include "common/error.h"
#include "common/format_text.h"
#include "common/log.h"
#include "common/whole_file.h"
#include "platform/i18n/translate.h"
#include "terrakon/geodesy/ozi_datums.h"

namespace tk {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

constexpr unsigned char kCommaStandIn = 209;

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

bool OziLineReader::Open(const std::string& path) {
  file_.reset(std::fopen(path.c_str(), "rb"));
  number_ = 0;
  failed_ = false;
  first_ = true;
  if (!file_) {
    SetLastErrorFromErrno();
    return false;
  }
  return true;
}

// One piece as a 200-byte line buffer of the file's text mode yields it: at
// most 199 characters, the line feed (CR LF counting as one) included.
bool OziLineReader::ReadPiece(std::string& piece) {
  piece.clear();
  std::FILE* f = file_.get();
  bool any = false;
  while (piece.size() < kOziLineChars) {
    int c = getc_unlocked(f);
    if (c == EOF) break;
    any = true;
    if (c == '\r') {
      int next = getc_unlocked(f);
      if (next == '\n') break;
      if (next != EOF) ungetc(next, f);
    } else if (c == '\n') {
      break;
    }
    piece.push_back(static_cast<char>(c));
  }
  if (std::ferror(f)) {
    SetLastErrorFromErrno();
    failed_ = true;
    return false;
  }
  if (first_) {
    first_ = false;
    if (piece.compare(0, 3, "\xEF\xBB\xBF") == 0) piece.erase(0, 3);
  }
  return any;
}

bool OziLineReader::Next(std::string& line) {
  if (!file_ || failed_) return false;
  std::string piece;
  while (ReadPiece(piece)) {
    std::string_view trimmed = TrimOzi(piece);
    if (trimmed.empty()) continue;
    line.assign(trimmed);
    ++number_;
    return true;
  }
  return false;
}

std::string_view TrimOzi(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  return text.substr(b, e - b);
}

std::vector<std::string_view> SplitOziFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = line.find(',', start);
    fields.push_back(TrimOzi(line.substr(start, comma == std::string_view::npos ? std::string_view::npos
                                                                                : comma - start)));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return fields;
}

std::string_view OziField(const std::vector<std::string_view>& fields, std::size_t n) {
  return n >= 1 && n <= fields.size() ? fields[n - 1] : std::string_view{};
}

int32_t OziInt(std::string_view text, int32_t defaultValue) {
  text = TrimOzi(text);
  if (text.empty() || text.front() == '+') return defaultValue;
  int32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return defaultValue;
  return value;
}

bool OziDouble(std::string_view text, double* value) {
  text = TrimOzi(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  bool digits = false, point = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      digits = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (!digits) return false;
  double v = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::fixed);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return false;
  *value = negative ? -v : v;
  return true;
}

int32_t OziAltitude(std::string_view text, int32_t defaultValue) {
  double v = 0;
  if (!OziDouble(text, &v)) return defaultValue;
  v = std::round(v);
  if (v < INT32_MIN || v > INT32_MAX) return defaultValue;
  return static_cast<int32_t>(v);
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string OziFixed(double value, int decimals) {
  char buffer[400];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (error != std::errc()) return "0";
  return std::string(buffer, end);
}

std::string OziFieldText(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == ',') c = static_cast<char>(kCommaStandIn);
    else if (c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

std::string OziTextFromField(std::string_view field) {
  std::string out(field);
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (static_cast<unsigned char>(out[i]) != kCommaStandIn) continue;
    bool lead = i + 1 < out.size() && IsContinuation(static_cast<unsigned char>(out[i + 1]));
    if (!lead) out[i] = ',';
  }
  return out;
}

std::string FixedText(std::string_view text) { return std::string(text.substr(0, Utf8CutLength(text, kFixedTextChars))); }

bool WriteWholeTextFile(const std::string& path, std::string_view text) { return WriteWholeFile(path, text); }

bool OziReadFailed(const std::string& fileName, int line) {
  Log("!%s, line %d: %s", fileName.c_str(), line, ErrorText().c_str());
  return false;
}

OziHeadLine ReadOziHeadLine(int lineNumber, const std::string& line, std::string_view header,
                            int32_t* datum, const std::string& fileName) {
  if (lineNumber == 1) {
    if (SameTextIgnoringCase(line, header)) return OziHeadLine::kRead;
    SetLastError(kErrorNotSupported);
  } else if (lineNumber == 2) {
    *datum = DatumIndexByName(line);
    if (*datum >= 0) return OziHeadLine::kRead;
    SetErrorText(Translate("Datum \"%s\" is not supported"), line.c_str());
  } else {
    return OziHeadLine::kNotHead;
  }
  OziReadFailed(fileName, lineNumber);
  return OziHeadLine::kFailed;
}

}  // namespace tk
