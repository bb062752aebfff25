// EGM96 geoid heights for the status bar. Main thread only.
#pragma once

#include <string>

#include "terrakon/plates/pixel_space.h"

namespace tk {

class HStorageLink;

// Loads the grid named by "EGMHeight" into the engine when "LoadEGM" is on,
// once at start-up; a relative path is taken against the program folder.
// Every failure is only a line in the log.
void LoadGeoid(const HStorageLink& settings);

// "Geoid: %8.2lf m" of the height at the point, or "<error>" (both
// translated) when the engine has no answer.
std::string GeoidHeightText(PixelPoint p);

}  // namespace tk
