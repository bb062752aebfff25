#include "common/command_line.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "common/paths.h"

namespace tk {
namespace {

TEST(CommandLinePath, SwitchesAndDefaults) {
  setenv("TK_TEST_LOGS", "/var/tk logs", 1);
  unsetenv("TK_TEST_UNSET");
  struct Row {
    std::vector<std::string> arguments;  // after the program name
    const char* name;
    const char* defaultFile;
    std::string path;
  };
  const Row rows[] = {
      {{"-LOG=$TK_TEST_LOGS/run.log"}, "LOG", "Terrakon.log", "/var/tk logs/run.log"},
      {{"-log=${TK_TEST_LOGS}x.log"}, "LOG", "Terrakon.log", "/var/tk logsx.log"},
      {{"/cfg=my.hcfg"}, "CFG", "Terrakon.hcfg", "/opt/tk/my.hcfg"},
      {{"/CFG=sub/my.hcfg"}, "CFG", "Terrakon.hcfg", "/opt/tk/sub/my.hcfg"},
      {{"-Config=/etc/a.hcfg"}, "CFG;CONFIG", "Terrakon.hcfg", "/etc/a.hcfg"},
      {{"x", "-CFG=/a", "-CFG=/b"}, "CFG", "", "/a"},  // the first one counts
      {{"-LOG=${TK_TEST_UNSET}z.log"}, "LOG", "Terrakon.log", "/opt/tk/z.log"},
      {{"-LOG=/logs/$"}, "LOG", "Terrakon.log", "/logs/$"},
      {{"-LOG=-"}, "LOG", "Terrakon.log", "-"},
      {{"-LOG="}, "LOG", "Terrakon.log", ""},
      {{}, "CFG", "Terrakon.hcfg", "/opt/tk/Terrakon.hcfg"},
      {{}, "LOG", "", ""},
      {{}, "CFG", "/etc/tk.hcfg", "/etc/tk.hcfg"},
      {{"-LOGX=/a", "-LOG", "LOG=/b", "+LOG=/c", "-CFG=/d"}, "LOG", "t.log", "/opt/tk/t.log"},
      {{"-=/a"}, "LOG;", "t.log", "/opt/tk/t.log"},  // an empty alternative names nothing
  };
  for (const Row& row : rows) {
    std::vector<std::string> arguments{"/opt/tk/terrakon"};
    arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
    EXPECT_EQ(CommandLinePath(row.name, row.defaultFile, arguments, "/opt/tk"), row.path)
        << row.name << " " << (row.arguments.empty() ? "" : row.arguments[0]);
  }
}

TEST(CommandLinePath, ProgramNameIsNoSwitchAndPathsAreCut) {
  EXPECT_EQ(CommandLinePath("LOG", "t.log", {"-LOG=/x"}, "/opt/tk"), "/opt/tk/t.log");
  const std::string longPath = "/" + std::string(400, 'p');
  EXPECT_EQ(CommandLinePath("LOG", "t.log", {"prog", "-LOG=" + longPath}, "/opt/tk"),
            longPath.substr(0, kMaxPath));
}

TEST(CommandLinePath, UsesTheProcessCommandLine) {
  const char* argv[] = {"terrakon", "/LOG=other.log"};
  SetCommandLine(2, argv);
  EXPECT_EQ(CommandLine(), (std::vector<std::string>{"terrakon", "/LOG=other.log"}));
  EXPECT_EQ(CommandLinePath("LOG", "Terrakon.log"), ProgramFolder() + "/other.log");
  EXPECT_EQ(CommandLinePath("CFG", "Terrakon.hcfg"), ProgramFolder() + "/Terrakon.hcfg");
  SetCommandLine(0, nullptr);
}

TEST(ExpandEnvironment, Forms) {
  setenv("TK_TEST_A", "aa", 1);
  unsetenv("TK_TEST_UNSET");
  struct Row {
    const char* text;
    const char* expanded;
  };
  const Row rows[] = {
      {"$TK_TEST_A/x", "aa/x"},   {"${TK_TEST_A}x", "aax"},       {"$TK_TEST_Ax", ""},
      {"a$TK_TEST_UNSET.b", "a.b"}, {"$", "$"},                   {"$$", "$$"},
      {"$1", "$1"},               {"${TK_TEST_A", "${TK_TEST_A"}, {"${}", ""},
      {"no vars", "no vars"},
  };
  for (const Row& row : rows) EXPECT_EQ(ExpandEnvironment(row.text), row.expanded) << row.text;
}

}  // namespace
}  // namespace tk
