#include "terrakon/geodesy/geodesy.h"

#include "common/error.h"
#include "common/log.h"
#include "common/ui_services.h"
#include "platform/geoengine/geo_engine.h"
#include "platform/i18n/translate.h"
#include "quadcalc/quadcalc.h"
#include "terrakon/geodesy/geoid.h"
#include "common/operation_abandoned.h"

namespace tk {

bool InitGeodesy(const HStorageLink& settings) {
  if (InitializeEngine() != 0) {
    SetErrorText("%s", GetError());
    Log("!Conversion engine: %s", GetError());
    return false;
  }
  LoadGeoid(settings);
  return true;
}

int32_t DatumCount() { return DatumCountS(); }
const char* DatumName(int32_t index) { return DatumNameS(index); }
const char* DatumCode(int32_t index) { return DatumCodeS(index); }

int CoordSysCount() { return CoordinateSystemCount() + 1; }

const char* CoordSysName(int index) {
  if (index == kPixelSystem) return Translate("Google pixels X,Y");
  return CoordinateSystemName(index);
}

bool GoogleToSystem(PixelPoint p, uint16_t sys, int32_t datum, ConvertedCoord* result) {
  if (datum < 0 || datum >= DatumCountS()) {
    SetErrorText(Translate("Invalid datum index %d"), datum);
    return false;
  }
  if (sys >= CoordSysCount()) {
    SetErrorText(Translate("Invalid coord sys index %d"), static_cast<int>(sys));
    return false;
  }
  if (sys == kPixelSystem) {
    SetErrorText("%s", Translate("Conversion to google coord sys is not supported"));
    return false;
  }
  const double lon = Google2X(p.X) - 180, lat = Google2Y(p.Y);
  if (datum == 0 && sys == 0) {
    *result = ConvertedCoord{};
    result->SetNumber(0, G2Rad(lon));
    result->SetNumber(1, G2Rad(lat));
    return true;
  }
  if (!ConvertCoord(lon, lat, sys, 0, datum, result)) {
    SetErrorText("%s", GetError());
    return false;
  }
  return true;
}

bool GoogleToGeo(PixelPoint p, int32_t datum, double* lon180, double* lat) {
  ConvertedCoord c;
  if (!GoogleToSystem(p, 0, datum, &c)) return false;
  *lon180 = Rad2G(c.Number(0)) + 180;
  *lat = Rad2G(c.Number(1));
  return true;
}

bool GeoToGoogle(double lon180, double lat, int32_t datum, PixelPoint* p) {
  if (datum < 0 || datum >= DatumCountS()) {
    SetErrorText(Translate("Invalid datum index %d"), datum);
    return false;
  }
  if (datum != 0) {
    ConvertedCoord c;
    if (!ConvertCoord(lon180 - 180, lat, 0, datum, 0, &c)) {
      SetErrorText("%s", GetError());
      return false;
    }
    lon180 = Rad2G(c.Number(0)) + 180;
    lat = Rad2G(c.Number(1));
  }
  p->X = X2Google(lon180);
  p->Y = Y2Google(lat);
  return true;
}

PixelPoint GeoToGoogleChecked(double lon180, double lat, int32_t datum) {
  PixelPoint p;
  if (!GeoToGoogle(lon180, lat, datum, &p)) {
    ErrorBox(Translate("Coordinate conversion error: %s"), ErrorText().c_str());
    throw OperationAbandoned();
  }
  return p;
}

}  // namespace tk
