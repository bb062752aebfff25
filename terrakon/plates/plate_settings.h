// Fills what the plate sources read from the main window's settings link:
// the switches, the memory cache's limit ("MaxCount") and the cache
// directory ("Cache"). Called when the settings are loaded and applied.
#pragma once

namespace tk {

class HStorageLink;

// Also marks the memory cache as in use, for good.
void ApplyPlateSettings(const HStorageLink& link);

}  // namespace tk
