// The utility's commands over one storage plugin.
#pragma once

#include <optional>
#include <string>

#include "tilestow/console.h"

namespace tk::tilestow {

struct Options {
  std::optional<std::string> plugin;
  std::string prefix;
  std::optional<std::string> db;
  bool move = false;
  bool limitZoom = false;
  int zoomFrom = 1;
  int zoomTo = 30;

  bool InLimits(std::size_t keyLength) const {
    return !limitZoom || (static_cast<int>(keyLength) >= zoomFrom &&
                          static_cast<int>(keyLength) <= zoomTo);
  }
};

// Each throws FatalError for the failures that end the run.
void RunLoad(const Options& options);
void RunStat(const Options& options);
void RunList(const Options& options, Console& console);
void RunAdd(const Options& options, const std::string& root, Console& console);
void RunExtract(const Options& options, const std::string& root, Console& console);

}  // namespace tk::tilestow
