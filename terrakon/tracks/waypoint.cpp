#include "terrakon/tracks/waypoint.h"

#include "terrakon/config/settings_table.h"
#include "terrakon/tracks/track_settings.h"

namespace tk {

void LoadWaypointSettings(const HStorageLink& link, std::string_view prefix, WaypointSettings* s) {
  namespace st = settings;
  if (prefix == kPlacesPrefix) {
    s->font = st::SP_WP_Font.Get(link);
    s->selectionForeground = st::SP_WPSelColor.Get(link);
    s->selectionBackground = st::SP_WPSelBk.Get(link);
    s->defaultAltitude = st::SP_WP_Def_Alt.Get(link);
    s->defaultForeground = st::SP_WP_Def_Color.Get(link);
    s->defaultBackground = st::SP_WP_Def_Back.Get(link);
    s->defaultFontSize = st::SP_WP_Def_FSize.Get(link);
    s->defaultFontStyle = static_cast<uint16_t>(st::SP_WP_Def_FType.Get(link));
    s->defaultSymbolSize = st::SP_WP_Def_Size.Get(link);
    s->defaultCorrectionX = st::SP_WP_Def_CorX.Get(link);
    s->defaultCorrectionY = st::SP_WP_Def_CorY.Get(link);
    s->globalCorrectionX = st::SP_WP_CorX.Get(link);
    s->globalCorrectionY = st::SP_WP_CorY.Get(link);
    return;
  }
  s->font = st::WP_Font.Get(link);
  s->selectionForeground = st::WPSelColor.Get(link);
  s->selectionBackground = st::WPSelBk.Get(link);
  s->defaultAltitude = st::WP_Def_Alt.Get(link);
  s->defaultForeground = st::WP_Def_Color.Get(link);
  s->defaultBackground = st::WP_Def_Back.Get(link);
  s->defaultFontSize = st::WP_Def_FSize.Get(link);
  s->defaultFontStyle = static_cast<uint16_t>(st::WP_Def_FType.Get(link));
  s->defaultSymbolSize = st::WP_Def_Size.Get(link);
  s->defaultCorrectionX = st::WP_Def_CorX.Get(link);
  s->defaultCorrectionY = st::WP_Def_CorY.Get(link);
  s->globalCorrectionX = st::WP_CorX.Get(link);
  s->globalCorrectionY = st::WP_CorY.Get(link);
}

}  // namespace tk
