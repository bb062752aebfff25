// Translation of the program's texts through the loaded dictionary. Without a
// dictionary, or in language 0, every text is its own translation.
#pragma once

#include <string>
#include <vector>

namespace tk {

// The file the program looks for in its folder.
inline constexpr const char* kDictionaryFileName = "Terrakon.mld";

// The translation of text in the chosen language, or text itself when there
// is none. The result stays valid until the dictionary is reloaded (in fact
// for the rest of the process). Safe from any thread.
const char* Translate(const char* text);

// Replaces the dictionary. A file that cannot be read or is malformed gives
// false with the error text and keeps the previous dictionary. The chosen
// language is kept when the new dictionary has it, else 0.
bool LoadDictionary(const std::string& path);
void UnloadDictionary();
bool DictionaryLoaded();

// The languages of the dictionary ("" none loaded); index 0 is the program's
// own. SetLanguage fails for an index out of range with the error text
// "DefaultDictionaryIndex is out or range: N" and keeps the language.
std::vector<std::string> LanguageNames();
bool SetLanguage(int index);
int Language();

}  // namespace tk
