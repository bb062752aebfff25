#include "platform/i18n/dictionary.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#include "common/error.h"
#include "common/format_text.h"

namespace tk {
namespace {

constexpr std::string_view kTag = "TKDICT 1";

bool ValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t extra;
    unsigned int code;
    if (c < 0x80) { ++i; continue; }
    if ((c & 0xE0) == 0xC0) { extra = 1; code = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { extra = 2; code = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { extra = 3; code = c & 0x07; }
    else return false;
    if (i + extra >= text.size()) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
    static constexpr unsigned int kMin[] = {0, 0x80, 0x800, 0x10000};
    if (code < kMin[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

// One tab-separated field with its escapes resolved; false with a reason.
bool Unescape(std::string_view field, std::string& out, std::string& error) {
  out.clear();
  for (std::size_t i = 0; i < field.size(); ++i) {
    char c = field[i];
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      error = FormatText("control character 0x%02X (write \\t, \\n or \\r)", static_cast<unsigned>(c));
      return false;
    }
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i == field.size()) {
      error = "backslash at the end of a text";
      return false;
    }
    switch (field[i]) {
      case 't': out += '\t'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case '\\': out += '\\'; break;
      case '#': out += '#'; break;
      default:
        error = FormatText("unknown escape \"\\%c\"", field[i]);
        return false;
    }
  }
  return true;
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  while (true) {
    std::size_t tab = line.find('\t');
    fields.push_back(line.substr(0, tab));
    if (tab == std::string_view::npos) break;
    line.remove_prefix(tab + 1);
  }
  return fields;
}

// The argument-consuming parts of a text's printf conversions, in order. A
// translation is used as the same format with the same arguments, so it must
// have the same signature, or a wrong one could read arguments that are not
// there.
std::string FormatSignature(std::string_view text) {
  std::string signature;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    if (++i < text.size() && text[i] == '%') continue;
    signature += '%';
    auto digits = [&] { while (i < text.size() && text[i] >= '0' && text[i] <= '9') signature += text[i++]; };
    // position "N$", flags, width, precision, length, conversion
    std::size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    if (i < text.size() && text[i] == '$') {
      signature.append(text.substr(start, i - start + 1));
      ++i;
    } else {
      i = start;
    }
    while (i < text.size() && std::string_view("-+ #0'I").find(text[i]) != std::string_view::npos) ++i;
    auto width = [&] {
      if (i < text.size() && text[i] == '*') {
        signature += text[i++];
        digits();
        if (i < text.size() && text[i] == '$') signature += text[i++];
      } else {
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
      }
    };
    width();
    if (i < text.size() && text[i] == '.') {
      ++i;
      width();
    }
    while (i < text.size() && std::string_view("hlLqjzt").find(text[i]) != std::string_view::npos)
      signature += text[i++];
    if (i >= text.size()) {
      signature += '!';
      break;
    }
    char conversion = text[i];
    switch (conversion) {
      case 'i': conversion = 'd'; break;
      case 'o': case 'x': case 'X': conversion = 'u'; break;
      case 'e': case 'E': case 'F': case 'g': case 'G': case 'a': case 'A': conversion = 'f'; break;
      default: break;
    }
    signature += conversion;
  }
  return signature;
}

}  // namespace

bool Dictionary::Parse(std::string_view content) {
  Dictionary result;
  std::string error;
  std::size_t lineNumber = 0;
  std::vector<std::size_t> entryLines;
  if (content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);

  while (!content.empty() && error.empty()) {
    ++lineNumber;
    std::size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (!ValidUtf8(line)) {
      error = "the text is not UTF-8";
      break;
    }
    std::vector<std::string_view> fields = SplitTabs(line);

    if (result.languages_.empty()) {
      if (fields[0] != kTag) {
        error = FormatText("the file does not begin with \"%.*s\"", static_cast<int>(kTag.size()),
                           kTag.data());
        break;
      }
      if (fields.size() < 2) {
        error = "no language named after the format tag";
        break;
      }
      for (std::size_t f = 1; f < fields.size() && error.empty(); ++f) {
        std::string name;
        if (!Unescape(fields[f], name, error)) break;
        if (name.empty()) error = FormatText("language %zu has no name", f - 1);
        result.languages_.push_back(std::move(name));
      }
      continue;
    }

    if (fields.size() > result.languages_.size()) {
      error = FormatText("%zu texts for %zu languages", fields.size(), result.languages_.size());
      break;
    }
    Entry entry;
    if (!Unescape(fields[0], entry.source, error)) break;
    if (entry.source.empty()) {
      error = "the program's text is empty";
      break;
    }
    const std::string signature = FormatSignature(entry.source);
    entry.translations.resize(result.languages_.size() - 1);
    for (std::size_t f = 1; f < fields.size() && error.empty(); ++f) {
      if (!Unescape(fields[f], entry.translations[f - 1], error)) break;
      if (!entry.translations[f - 1].empty() && FormatSignature(entry.translations[f - 1]) != signature)
        error = FormatText("the %s text has other %% conversions than the program's text",
                           result.languages_[f].c_str());
    }
    if (!error.empty()) break;
    auto [it, added] = result.index_.emplace(entry.source, result.entries_.size());
    if (!added) {
      error = FormatText("the text is already on line %zu", entryLines[it->second]);
      break;
    }
    result.entries_.push_back(std::move(entry));
    entryLines.push_back(lineNumber);
  }

  if (error.empty() && result.languages_.empty()) {
    error = FormatText("the file does not begin with \"%.*s\"", static_cast<int>(kTag.size()),
                       kTag.data());
    lineNumber = 1;
  }
  if (!error.empty()) {
    SetErrorText("line %zu: %s", lineNumber, error.c_str());
    return false;
  }
  *this = std::move(result);
  return true;
}

bool Dictionary::Load(const std::string& path) {
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    SetErrorText("%s: %s", path.c_str(), ErrorText(errno).c_str());
    return false;
  }
  std::string content;
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    if (content.size() + n > kMaxFileBytes) {
      SetErrorText("%s: larger than %zu bytes", path.c_str(), kMaxFileBytes);
      return false;
    }
    content.append(buffer, n);
  }
  if (std::ferror(file.get())) {
    SetErrorText("%s: %s", path.c_str(), ErrorText(errno).c_str());
    return false;
  }
  if (!Parse(content)) {
    SetErrorText("%s: %s", path.c_str(), ErrorText(kErrorText).c_str());
    return false;
  }
  return true;
}

const char* Dictionary::Find(std::string_view text, int language) const {
  if (language < 1 || static_cast<std::size_t>(language) >= languages_.size()) return nullptr;
  auto it = index_.find(text);
  if (it == index_.end()) return nullptr;
  const std::string& translation = entries_[it->second].translations[static_cast<std::size_t>(language) - 1];
  return translation.empty() ? nullptr : translation.c_str();
}

}  // namespace tk
