// A translation dictionary: the program's texts and their translations into
// one or more languages, read from a UTF-8 text file (see FORMAT.md).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tk {

class Dictionary {
 public:
  static constexpr std::size_t kMaxFileBytes = 16u << 20;

  Dictionary() = default;
  Dictionary(const Dictionary&) = delete;
  Dictionary& operator=(const Dictionary&) = delete;
  Dictionary(Dictionary&&) = default;
  Dictionary& operator=(Dictionary&&) = default;

  // Reads a whole dictionary. On failure returns false with an error text
  // that names the line (SetErrorText) and leaves this dictionary unchanged.
  bool Parse(std::string_view content);
  bool Load(const std::string& path);

  // Language 0 is the language of the program's own texts; 1 ... are the
  // translation columns.
  const std::vector<std::string>& Languages() const { return languages_; }
  std::size_t size() const { return entries_.size(); }

  // The translation of text into language, or null when there is none.
  // The pointer lives as long as the dictionary.
  const char* Find(std::string_view text, int language) const;

 private:
  struct Entry {
    std::string source;
    std::vector<std::string> translations;  // per language 1 ...; "" none
  };
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };

  std::vector<std::string> languages_;
  std::vector<Entry> entries_;
  std::unordered_map<std::string, std::size_t, Hash, std::equal_to<>> index_;
};

}  // namespace tk
