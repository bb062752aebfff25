#include "platform/i18n/translate.h"

#include <memory>
#include <mutex>
#include <shared_mutex>

#include "common/error.h"
#include "platform/i18n/dictionary.h"

namespace tk {
namespace {

std::shared_mutex g_mutex;
std::shared_ptr<const Dictionary> g_dictionary;
// Dictionaries replaced earlier stay: a thread may still hold a text of one.
std::vector<std::shared_ptr<const Dictionary>> g_retired;
int g_language = 0;

void Replace(std::shared_ptr<const Dictionary> dictionary) {
  std::unique_lock lock(g_mutex);
  if (g_dictionary) g_retired.push_back(std::move(g_dictionary));
  g_dictionary = std::move(dictionary);
  const std::size_t count = g_dictionary ? g_dictionary->Languages().size() : 1;
  if (g_language < 0 || static_cast<std::size_t>(g_language) >= count) g_language = 0;
}

}  // namespace

const char* Translate(const char* text) {
  if (!text) return text;
  std::shared_lock lock(g_mutex);
  if (!g_dictionary || g_language == 0) return text;
  const char* translation = g_dictionary->Find(text, g_language);
  return translation ? translation : text;
}

bool LoadDictionary(const std::string& path) {
  auto dictionary = std::make_shared<Dictionary>();
  if (!dictionary->Load(path)) return false;
  Replace(std::move(dictionary));
  return true;
}

void UnloadDictionary() { Replace(nullptr); }

bool DictionaryLoaded() {
  std::shared_lock lock(g_mutex);
  return g_dictionary != nullptr;
}

std::vector<std::string> LanguageNames() {
  std::shared_lock lock(g_mutex);
  return g_dictionary ? g_dictionary->Languages() : std::vector<std::string>();
}

bool SetLanguage(int index) {
  std::unique_lock lock(g_mutex);
  // Without a dictionary only the program's own language exists.
  const std::size_t count = g_dictionary ? g_dictionary->Languages().size() : 1;
  if (index < 0 || static_cast<std::size_t>(index) >= count) {
    SetErrorText("DefaultDictionaryIndex is out or range: %d", index);
    return false;
  }
  g_language = index;
  return true;
}

int Language() {
  std::shared_lock lock(g_mutex);
  return g_language;
}

}  // namespace tk
