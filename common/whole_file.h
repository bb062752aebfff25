// Files written whole or not at all: the bytes go to a temporary file beside
// the target, which replaces the target by one rename once every byte is on
// disk. A failure leaves the previous file as it was and no temporary behind.
#pragma once

#include <string>
#include <string_view>

namespace tk {

// A name beside path that no other writer of this process uses at the same time.
std::string TemporaryNameBeside(const std::string& path);

// Writes bytes to path as above; false with the thread's error number set.
bool WriteWholeFile(const std::string& path, std::string_view bytes);

}  // namespace tk
