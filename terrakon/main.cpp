#include <QApplication>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <exception>
#include <string>

#include "common/command_line.h"
#include "common/paths.h"
#include "common/ui_services.h"
#include "platform/i18n/translate.h"
#include "terrakon/app/fatal_error.h"
#include "terrakon/app/main_form.h"
#include "terrakon/app/list_overlays.h"
#include "terrakon/app/main_view_callbacks.h"
#include "terrakon/app/qt_ui_services.h"
#include "terrakon/app/queue_download_control.h"
#include "terrakon/plates/data_module.h"

namespace {

std::atomic<bool> g_terminate{false};
void OnTerminate(int) { g_terminate = true; }

}  // namespace

int main(int argc, char** argv) {
  tk::SetCommandLine(argc, argv);
  QApplication app(argc, argv);
  tk::LoadDictionary(tk::JoinPath(tk::ProgramFolder(), tk::kDictionaryFileName));
  app.setApplicationName(QString::fromUtf8(tk::Translate("Terrakon")));
  app.setApplicationDisplayName(QString::fromUtf8(tk::Translate("Terrakon")));

  tk::QtUiServices ui;
  tk::SetUi(&ui);
  int code = 0;
  try {
    tk::TData data;
    std::string fatal;
    if (!data.Create(tk::MainViewCallbacks(), &fatal)) tk::FatalError("%s", fatal.c_str());
    // Both outlive the window, which stops them as it closes.
    tk::QueueDownloadControl downloader;
    tk::ListOverlays overlays;
    tk::TMainForm form(data, &downloader, &overlays);
    ui.SetOwner(&form);
    form.show();
    // A session ending the program (SIGTERM, SIGINT) still closes it in order and
    // saves the settings; no question can be answered then.
    std::signal(SIGTERM, OnTerminate);
    std::signal(SIGINT, OnTerminate);
    QTimer terminateCheck;
    QObject::connect(&terminateCheck, &QTimer::timeout, &form, [&form] {
      if (!g_terminate) return;
      form.FormClose();
      QApplication::quit();
    });
    terminateCheck.start(200);
    code = app.exec();
    ui.SetOwner(nullptr);
  } catch (const std::exception& e) {
    // The last resort for what no handler caught: say so, then end normally.
    tk::ErrorBox("%s", e.what());
  }
  tk::SetUi(nullptr);
  return code;
}
