// The main window's current choice of datum, coordinate system and degree
// type, which every coordinate read-out uses. Main thread only.
#pragma once

#include <cstdint>
#include <functional>

namespace tk {

class HStorageLink;

struct CoordChoice {
  int32_t datum = 0;
  int16_t coordSys = 0;
  int16_t degType = 0;
};

enum class ChoiceChange { kDatum, kCoordSys, kDegType };

const CoordChoice& CurrentChoice();

// Each setter normalises (a negative datum becomes 0, the coordinate system
// -100 becomes the pixel system 33) and, when the value changes, tells the
// listener: the main window then renames its datum or system button and
// refreshes the read-outs. Setting the current value does nothing.
void SetCurrentDatum(int32_t datum);
void SetCurrentCoordSys(int coordSys);
void SetCurrentDegType(int degType);

// Installs the listener (empty: none); returns the previous one.
using ChoiceListener = std::function<void(ChoiceChange)>;
ChoiceListener SetChoiceListener(ChoiceListener listener);

// "DatumNum", "CoordSys" and "DegType" of the main window's settings: read
// once at start-up (the system's default is the current one), written at
// shutdown.
void LoadChoice(const HStorageLink& settings);
void SaveChoice(const HStorageLink& settings);

}  // namespace tk
