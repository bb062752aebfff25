#include "common/logging.h"

#include <sys/stat.h>

#include <ctime>
#include <mutex>

#include "common/command_line.h"
#include "common/paths.h"
#include "common/pr_period.h"
#include "platform/i18n/translate.h"

namespace tk {
namespace {

std::mutex g_mutex;
std::shared_ptr<LogBox> g_box;
LogFileNameProvider g_previousProvider;
bool g_active = false;

constexpr const char* kDashes = "------------------------------------------";

// The program file's modification time stands for its version.
bool ProgramTime(std::string& text) {
  struct stat info {};
  if (ProgramPath().empty() || stat(ProgramPath().c_str(), &info) != 0) return false;
  std::tm local{};
  if (!localtime_r(&info.st_mtime, &local)) return false;
  char buffer[64];
  if (std::strftime(buffer, sizeof buffer, "%d-%m-%Y %H:%M:%S", &local) == 0) return false;
  text = buffer;
  return true;
}

}  // namespace

void InitLogging(std::shared_ptr<LogBox> box, std::string* storeFileName) {
  if (!box) return;
  SetLogTarget(box);
  SetSharedPRPeriod(std::make_shared<PRPeriod>());
  if (storeFileName) *storeFileName = CommandLinePath("CFG", *storeFileName);
  box->SetLogFile(CommandLinePath("LOG", box->LogFile()));
  box->CreateWindow();
  LogFileNameProvider previous = SetLogFileNameProvider([] {
    std::shared_ptr<LogTarget> target = CurrentLogTarget();
    return target ? target->LogFile() : std::string();
  });
  {
    std::lock_guard lock(g_mutex);
    // A second InitLogging keeps the provider from before the first one.
    if (!g_active) g_previousProvider = std::move(previous);
    g_box = box;
    g_active = true;
  }

  Log("%s", kDashes);
  Log(Translate("Programm: %s"), ProgramPath().c_str());
  std::string time;
  if (ProgramTime(time))
    Log(Translate("Vesion: %s"), time.c_str());
  else
    Log("%s", Translate("Version: Error getting programm version!"));
  Log("%s", kDashes);
}

void ShutdownLogging() {
  std::shared_ptr<LogBox> box;
  LogFileNameProvider previous;
  {
    std::lock_guard lock(g_mutex);
    if (!g_active) return;
    g_active = false;
    box.swap(g_box);
    previous.swap(g_previousProvider);
  }
  // Workers' lines still queued reach the file before the box goes.
  if (box && box->OnOwnerThread()) box->Drain();
  Log("%s", Translate("Shutting down..."));
  SetLogTarget(nullptr);
  SetSharedPRPeriod(nullptr);
  SetLogFileNameProvider(std::move(previous));
}

}  // namespace tk
