// A main window on the offscreen platform with its settings, log and disk
// cache in a temporary folder, and a scripted responder for its questions.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_dir.h"
#include "terrakon/app/main_form.h"
#include "terrakon/app/main_view_callbacks.h"
#include "terrakon/plates/data_module.h"

namespace tk::testing {

// One application per test process, gone before the process's static objects.
class AppEnvironment final : public ::testing::Environment {
 public:
  static QApplication& App() {
    static int argc = 1;
    static char name[] = "main_form_test";
    static char* argv[] = {name, nullptr};
    if (!app_) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
      app_ = new QApplication(argc, argv);
    }
    return *app_;
  }
  void TearDown() override {
    delete app_;
    app_ = nullptr;
  }

 private:
  inline static QApplication* app_ = nullptr;
};

inline QApplication& App() { return AppEnvironment::App(); }

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    cfgPath = dir.File("Terrakon.hcfg");
    SetArguments();
    ASSERT_TRUE(data.Create(MainViewCallbacks(), nullptr));
  }

  void SetArguments() {
    arguments = {"terrakon", "-CFG=" + cfgPath, "-LOG=" + dir.File("Terrakon.log")};
    std::vector<const char*> argv;
    for (const std::string& a : arguments) argv.push_back(a.c_str());
    SetCommandLine(static_cast<int>(argv.size()), argv.data());
  }

  // A shown window whose map is width x height pixels.
  TMainForm& Open(int width = 640, int height = 400) {
    form = std::make_unique<TMainForm>(data);
    form->show();
    form->paintBox()->setFixedSize(width, height);
    Settle();
    return *form;
  }

  static void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  }

  QImage Grab() { return form->paintBox()->grab().toImage(); }

  TempDir dir;
  std::string cfgPath;
  std::vector<std::string> arguments;
  ScriptedUi ui;
  TData data;
  std::unique_ptr<TMainForm> form;
};

}  // namespace tk::testing
