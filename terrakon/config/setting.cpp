#include "terrakon/config/setting.h"

namespace tk {

std::string IndexedKey(std::string_view pattern, int index) {
  std::string key(pattern);
  std::size_t at = key.find("%d");
  if (at != std::string::npos) key.replace(at, 2, std::to_string(index));
  return key;
}

}  // namespace tk
