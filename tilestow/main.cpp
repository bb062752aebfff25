// tilestow: lists, adds and extracts plates through one storage plugin.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "common/error.h"
#include "common/format_text.h"
#include "tilestow/commands.h"
#include "tilestow/console.h"
#include "tilestow/options.h"

namespace tk::tilestow {
namespace {

const char kUsage[] =
    "USAGE: tilestow [-/commands] [-/options] <plugin>\n"
    " Commands are:\n"
    "   Load              - try to load plugin library\n"
    "   <S>tat            - print module statistics\n"
    "   <L>ist            - list files in storage (\"DB\" must be set, \"prefix\" can be used to set subdir)\n"
    "   <A>dd=<path>      - add files to storage plugin (\"DB\" must be set, \"prefix\" can be used to set subdir)\n"
    "   e<X>tract=<path>  - extract files from storage plugin (\"DB\" must be set, \"prefix\" can be used to set subdir)\n"
    "\n"
    " Options are:\n"
    "   <P>refix=<name>   - set prefix for operation on google sub-paths\n"
    "   DB=<name>         - storage file or directory to use\n"
    "   <Q>uite           - supress warning and progress output\n"
    "   Move              - delete source plate data (files or storage items)\n"
    "   <Z>oom=<start>,<end> - limit add and extract operation with zoom bounds\n"
    "\n"
    " Samples:\n"
    " -a=/srv/GoogleCache/CacheMoon -db=MoonQ -prefix=q mbtiles.so\n"
    "   Creates storage from google disk files using \"mbtiles.so\" storage plugin\n"
    "   and place to storage \"q\" plates subtree only.\n"
    " -l -db=MoonQ -prefix=qstt mbtiles.so\n"
    "   List storage \"MoonQ\" contents using \"mbtiles.so\" storage plugin\n"
    "   starting from \"qstt\" plates subtree\n"
    " -x=/srv/CacheMoon1 -db=MoonQ -prefix=qt mbtiles.so\n"
    "   Extract google files from storage using \"mbtiles.so\" plugin\n"
    "   starting from \"qt\" plates subtree and place files starting from \"/srv/CacheMoon1/q/t\" directory.\n";

// The leading decimal digits, as the C library's atoi reads them.
int LeadingNumber(const std::string& text) { return std::atoi(text.c_str()); }

int Run(const std::vector<std::string>& args) {
  if (args.empty() || HasFlag(args, "?")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  Options options;
  options.plugin = FirstPositional(args);
  options.prefix = FindValue(args, "P;PREFIX").value_or("");
  options.db = FindValue(args, "DB");
  Console console(HasFlag(args, "Q;QUITE"));
  options.move = HasFlag(args, "M;MOVE");
  if (auto zoom = FindValue(args, "Z;ZOOM")) {
    const std::size_t comma = zoom->find(',');
    if (comma == std::string::npos) Fatal("Error zoom lilmit format", false);
    options.zoomFrom = LeadingNumber(zoom->substr(0, comma));
    options.zoomTo = LeadingNumber(zoom->substr(comma + 1));
    for (int value : {options.zoomFrom, options.zoomTo})
      if (value < 1 || value > 30) Fatal(FormatText("Error in zoom limit value: %d", value), false);
    options.limitZoom = true;
    console.Warning("Use zoom limits: %d..%d", options.zoomFrom, options.zoomTo);
  }

  if (HasFlag(args, "LOAD"))
    RunLoad(options);
  else if (HasFlag(args, "S;STAT"))
    RunStat(options);
  else if (HasFlag(args, "L;LIST"))
    RunList(options, console);
  else if (auto root = FindValue(args, "A;ADD"))
    RunAdd(options, *root, console);
  else if (auto root = FindValue(args, "X;EXTRACT"))
    RunExtract(options, *root, console);
  return 0;
}

}  // namespace
}  // namespace tk::tilestow

int main(int argc, char** argv) {
  tk::SetCommandLine(argc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  int code;
  try {
    code = tk::tilestow::Run(args);
  } catch (const tk::tilestow::FatalError& fatal) {
    std::printf("\nABORT: %s", fatal.message.c_str());
    if (fatal.error != 0) std::printf("\nStdError: %s", tk::ErrorText(fatal.error).c_str());
    std::printf("\n");
    code = 1;
  }
  std::fflush(stdout);
  return code;
}
