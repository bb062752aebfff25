// The text layer of OziExplorer files: reading in lines of at most 199
// characters, comma-separated fields, numbers that do not depend on the
// locale, and writing a whole file or nothing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tk {

// Longest piece a line is read in [characters]; a longer line goes on as the
// next piece.
inline constexpr std::size_t kOziLineChars = 199;

// Hands out the trimmed, non-empty pieces of a file, numbered from 1.
// CR LF and LF both end a line; a UTF-8 byte order mark is skipped.
class OziLineReader {
 public:
  OziLineReader() = default;
  OziLineReader(const OziLineReader&) = delete;
  OziLineReader& operator=(const OziLineReader&) = delete;

  // False with the system's error when the file cannot be opened.
  bool Open(const std::string& path);
  // The next counted line; false at the end of the file or on a read error
  // (then Failed() tells, with the system's error as the thread's error).
  bool Next(std::string& line);
  int LineNumber() const { return number_; }
  bool Failed() const { return failed_; }

 private:
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  bool ReadPiece(std::string& piece);

  std::unique_ptr<std::FILE, Closer> file_;
  int number_ = 0;
  bool failed_ = false;
  bool first_ = true;
};

std::string_view TrimOzi(std::string_view text);

// Fields separated by ","; each trimmed. Field(fields, n) counts from 1 and
// gives "" for a field that is missing.
std::vector<std::string_view> SplitOziFields(std::string_view line);
std::string_view OziField(const std::vector<std::string_view>& fields, std::size_t n);

// A decimal integer with an optional leading minus; anything else, or a
// value beyond 32 bits, gives the default.
int32_t OziInt(std::string_view text, int32_t defaultValue);
// A decimal number without exponent (blanks around it, an optional sign);
// false for anything else.
bool OziDouble(std::string_view text, double* value);
// An altitude: an integer or a decimal number (rounded), else the default.
int32_t OziAltitude(std::string_view text, int32_t defaultValue);
// ASCII case ignored.
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

// Logs where a reader stopped ("!file, line N: reason"); returns false.
bool OziReadFailed(const std::string& fileName, int line);

// Lines 1 and 2 of an OziExplorer file: the header (any case) and the datum
// name. kFailed: the line was refused, with the error set and logged.
enum class OziHeadLine { kNotHead, kRead, kFailed };
OziHeadLine ReadOziHeadLine(int lineNumber, const std::string& line, std::string_view header,
                            int32_t* datum, const std::string& fileName);
// "%.6f" in the C locale, whatever the process's locale.
std::string OziFixed(double value, int decimals = 6);

// Names and descriptions in a field: a comma becomes the byte 209, the
// file format's stand-in, and line breaks become blanks; reading turns a
// 209 that does not begin a UTF-8 sequence back into a comma.
std::string OziFieldText(std::string_view text);
std::string OziTextFromField(std::string_view field);

// The rule of the fixed 260-character texts of the records: longer texts
// are cut, never inside a UTF-8 character.
inline constexpr std::size_t kFixedTextChars = 260;
std::string FixedText(std::string_view text);

// Writes text as the whole content of path: into a temporary file beside it,
// renamed over path once complete. False with the system's error (and no
// file left behind) otherwise.
bool WriteWholeTextFile(const std::string& path, std::string_view text);

}  // namespace tk
