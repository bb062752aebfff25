// What a plate source answers: a plate image or a state.
//
// An image reference shares the ownership of its pixels, so the block stays
// valid while a caller holds the reference, even after the memory cache has
// evicted or replaced the entry. States are plain values.
#pragma once

#include <cstdint>
#include <memory>

namespace tk {

// 256 rows of 768 bytes: blue, green, red, bottom row first.
inline constexpr uint32_t kPlateImageBytes = 196608;
inline constexpr int kPlateLineBytes = 768;

enum PlateState : int {
  PlateNone = 0,         // no source has it, nothing queued
  PlateNotFound = -1,    // the tile service answered 404
  PlateForbidden = -2,   // the tile service answered 403
  PlateQueued = -3,      // a download is queued
};
// States run from -1 down to this; anything else is no state.
inline constexpr int kLowestPlateState = -11;

class PlateRef {
 public:
  PlateRef() = default;
  PlateRef(PlateState state) : state_(state) {}  // implicit: a marker reads as a value
  // state is one of -1 ... -11 (or 0); other values give none.
  static PlateRef FromState(int state);
  static PlateRef Image(std::shared_ptr<const uint8_t[]> bits, uint32_t bytes);

  bool IsImage() const { return bits_ != nullptr; }
  // The state; 0 for an image and for none.
  int state() const { return state_; }
  const uint8_t* bits() const { return bits_.get(); }
  uint32_t bytes() const { return bytes_; }
  // Something other than none: an image or a marker.
  explicit operator bool() const { return bits_ || state_ != 0; }
  bool operator==(PlateState state) const { return !bits_ && state_ == state; }
  bool SameImage(const PlateRef& other) const { return bits_ == other.bits_ && bytes_ == other.bytes_; }

 private:
  std::shared_ptr<const uint8_t[]> bits_;
  uint32_t bytes_ = 0;
  int state_ = PlateNone;
};

bool IsPlateImage(const PlateRef& ref);
// "Data", "Not found (404)", "Forbidden (403)" or "Unknown state", translated.
const char* PlateStateText(const PlateRef& ref);

}  // namespace tk
