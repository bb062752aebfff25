#include "terrakon/geodesy/coord_choice.h"

#include <utility>

#include "terrakon/config/settings_table.h"
#include "terrakon/geodesy/geodesy.h"

namespace tk {
namespace {

// The value a stored coordinate system of the pixel view had.
constexpr int kStoredPixelSystem = -100;

CoordChoice g_choice;
ChoiceListener g_listener;

void Notify(ChoiceChange change) {
  if (g_listener) g_listener(change);
}

}  // namespace

const CoordChoice& CurrentChoice() { return g_choice; }

void SetCurrentDatum(int32_t datum) {
  if (datum < 0) datum = 0;
  if (datum == g_choice.datum) return;
  g_choice.datum = datum;
  Notify(ChoiceChange::kDatum);
}

void SetCurrentCoordSys(int coordSys) {
  if (coordSys == kStoredPixelSystem) coordSys = kPixelSystem;
  const auto value = static_cast<int16_t>(coordSys);
  if (value == g_choice.coordSys) return;
  g_choice.coordSys = value;
  Notify(ChoiceChange::kCoordSys);
}

void SetCurrentDegType(int degType) {
  const auto value = static_cast<int16_t>(degType);
  if (value == g_choice.degType) return;
  g_choice.degType = value;
  Notify(ChoiceChange::kDegType);
}

ChoiceListener SetChoiceListener(ChoiceListener listener) {
  std::swap(g_listener, listener);
  return listener;
}

void LoadChoice(const HStorageLink& settings) {
  SetCurrentDatum(settings::DatumNum.Get(settings));
  SetCurrentCoordSys(settings::CoordSys.Get(settings, g_choice.coordSys));
  SetCurrentDegType(settings::DegType.Get(settings));
}

void SaveChoice(const HStorageLink& settings) {
  settings::DatumNum.Set(settings, g_choice.datum);
  settings::CoordSys.Set(settings, g_choice.coordSys);
  settings::DegType.Set(settings, g_choice.degType);
}

}  // namespace tk
