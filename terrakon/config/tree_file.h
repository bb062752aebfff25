// The binary configuration file: "TreE", a 32-bit signature length, the
// signature "RTSm0001", then the root's children block. A children block is
// "TreE", a 32-bit count and the child records; a child record is a 16-bit
// name length, the name, the type byte, the value and the child's own
// children block. Numbers are little-endian, nothing is padded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "terrakon/config/config_item.h"

namespace tk {

inline constexpr std::string_view kTreeMagic = "TreE";
inline constexpr std::string_view kFormatSignature = "RTSm0001";
// Deepest item level a file may hold (the root's children are level 1);
// deeper trees are refused on load and on save.
inline constexpr std::size_t kMaxTreeDepth = 256;
// Largest file the loader reads into memory [bytes].
inline constexpr std::uint64_t kMaxTreeFileSize = 64u << 20;

enum class TreeReadResult {
  kOk,
  kNotATree,  // wrong magic or signature: the tree is left as it was
  kBroken,    // cut inside a value or a children block: the tree is emptied
};

// Replaces the root's children by those of a file image. A file cut inside a
// child's name header keeps the children read before it. Sets the thread's
// error text on failure.
TreeReadResult ReadTree(std::span<const std::uint8_t> image, HConfigItem& root);
// The file image of the root's children; false (with the error text) when
// the tree cannot be stored (a name over 65535 bytes, too deep a tree).
bool WriteTree(const HConfigItem& root, std::vector<std::uint8_t>& image);

// File forms of the above. Saving writes a temporary file beside the target
// and renames it over the target only when it is complete, so a failed save
// leaves the previous file as it was.
bool LoadTreeFile(const std::string& path, HConfigItem& root);
bool SaveTreeFile(const std::string& path, const HConfigItem& root);

}  // namespace tk
