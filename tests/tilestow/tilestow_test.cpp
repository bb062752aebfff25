// The storage utility run as a process against the shipped plugins and the
// test plugins: usage, switches, every command's output, the walk of Add,
// the layout Extract writes, and the fatal errors with their exit code.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/tilestow/run_process.h"

namespace tk {
namespace {

namespace fs = std::filesystem;
using testing::ProcessResult;

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

const char kRule[] = "------------------------------------\n";

// Progress lines end in "    \r" and are overwritten; drop them.
std::string WithoutProgress(const std::string& output) {
  return std::regex_replace(output, std::regex("[^\n\r]*    \r"), "");
}

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string data(size, '\0');
  for (char& c : data) c = static_cast<char>(random());
  return data;
}

using Tree = std::map<std::string, std::string>;  // relative path -> content

Tree ReadTree(const std::string& root) {
  Tree tree;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file())
      tree[fs::relative(entry.path(), root).string()] = testing::ReadWholeFile(entry.path().string());
  return tree;
}

void WriteTree(const std::string& root, const Tree& tree) {
  for (const auto& [relative, content] : tree) {
    const fs::path path = fs::path(root) / relative;
    fs::create_directories(path.parent_path());
    testing::WriteWholeFile(path.string(), content);
  }
}

class TilestowTest : public ::testing::Test {
 protected:
  ProcessResult Run(const std::vector<std::string>& args) {
    return testing::RunProcess(TILESTOW, args, temp_.path());
  }
  std::string Path(const std::string& name) const { return temp_.File(name); }

  testing::TempDir temp_;
  const std::string mbtiles_ = MBTILES_PLUGIN;
};

TEST_F(TilestowTest, UsageWithoutArgumentsOrWithQuestionMark) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"-?"}, {"-l", "/?", "-db=x", MBTILES_PLUGIN}}) {
    const ProcessResult r = Run(args);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.output, kUsage);
  }
}

TEST_F(TilestowTest, NoCommandDoesNothing) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-st", mbtiles_}, {"-d=MoonQ", "-l=x", mbtiles_}}) {
    const ProcessResult r = Run(args);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.output, "");
  }
}

TEST_F(TilestowTest, StatInEveryWrittenForm) {
  for (const char* flag : {"-s", "/STAT", "-Stat"}) {
    const ProcessResult r = Run({flag, mbtiles_});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(std::regex_search(r.output, std::regex("^Module loaded at: 0x[0-9a-f]+\n")))
        << r.output;
    EXPECT_EQ(r.output.substr(r.output.find('\n') + 1),
              "     Module type: Storage\n"
              "     Description: MBTiles 1.3 storage file (SQLite)\n"
              "\n"
              "Storage plugin statistics:\n"
              "          Uses: Single file\n"
              "         Write: SUPPORTED\n"
              "   Enumeration: SUPPORTED\n"
              "  Default path: \"tiles.mbtiles\"\n"
              "   Default ext: \"mbtiles\"\n");
  }
  const ProcessResult dir = Run({"-s", TILEDIR_PLUGIN});
  EXPECT_NE(dir.output.find("          Uses: Directory\n"), std::string::npos);
}

TEST_F(TilestowTest, LoadUsesThePlatformLoaderOnly) {
  ProcessResult r = Run({"-load", FAKE_NOEXPORT});  // no export needed
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(std::regex_match(r.output, std::regex(std::string("Load module \\[") + FAKE_NOEXPORT +
                                                    "\\]\\.\\.\\.\nLoaded successfully at: 0x[0-9a-f]+")))
      << r.output;
  r = Run({"-load", "missing.so"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.output.rfind("Load module [missing.so]...\nLoad error: missing.so: ", 0), 0u) << r.output;
  EXPECT_NE(r.output.back(), '\n');  // no line feed after the loader's text
}

TEST_F(TilestowTest, FatalErrors) {
  struct Case {
    std::vector<std::string> args;
    std::string output;  // exact, or a prefix ending in "StdError: "
  } cases[] = {
      {{"-s"}, "\nABORT: Plugin name not specified\n"},
      {{"-s", "-z=5", "x.so"}, "\nABORT: Error zoom lilmit format\n"},
      {{"-s", "-z=0,18", "x.so"}, "\nABORT: Error in zoom limit value: 0\n"},
      {{"-s", "-z=4,31", "x.so"}, "\nABORT: Error in zoom limit value: 31\n"},
      {{"-a=src", MBTILES_PLUGIN}, "\nABORT: Storage file/dir is not set\n"},
      {{"-x=out", MBTILES_PLUGIN}, "\nABORT: Storage file/dir is not set\n"},
      {{"-l", "-db=s", FAKE_NOFLAGS}, "\nABORT: Library does not support list operations\n"},
      {{"-a=src", "-db=s", FAKE_NOFLAGS}, "\nABORT: Library does not support update operations\n"},
      {{"-x=out", "-db=s", FAKE_NOFLAGS}, "\nABORT: Library does not support list operations\n"},
      {{"-s", FAKE_BADMAGIC}, "\nABORT: Error loading plugin\nStdError: Bad ID magic value\n"},
      {{"-s", FAKE_INITERROR},
       "\nABORT: Error loading plugin\nStdError: Plugin init error: broken on purpose\n"},
      {{"-l", MBTILES_PLUGIN},  // no DB: the storage stays closed
       "\nABORT: Error enumerating storage\nStdError: No such device or address\n"},
      {{"-l", "-db=nowhere/x", MBTILES_PLUGIN},
       "\nABORT: Error initialize storage data \"nowhere/x\"\nStdError: Storage folder does not "
       "exist: nowhere\n"},
  };
  for (const Case& c : cases) {
    const ProcessResult r = Run(c.args);
    EXPECT_EQ(r.exitCode, 1) << c.output;
    EXPECT_EQ(r.output.substr(r.output.find("\nABORT")), c.output);
  }
}

TEST_F(TilestowTest, AddListExtractRoundTrip) {
  // Sizes around and far beyond one 48 KiB read; none may be cut.
  Tree source = {{"q.jpg", RandomBytes(15000, 1)},       {"q/r.jpg", RandomBytes(49152, 2)},
                 {"q/r/s.jpg", RandomBytes(49153, 3)},   {"q/r/t.jpg", RandomBytes(200000, 4)},
                 {"t/t/t/t.jpg", RandomBytes(999, 5)},   {"r.jpg", RandomBytes(12345, 6)},
                 {"s/q.jpg", RandomBytes(1, 7)}};
  WriteTree(Path("src"), source);

  ProcessResult add = Run({"-a=src/", "-db=Moon", mbtiles_});
  ASSERT_EQ(add.exitCode, 0) << add.output;
  EXPECT_TRUE(fs::exists(Path("Moon.mbtiles")));
  const std::string addOut = WithoutProgress(add.output);
  EXPECT_EQ(addOut.substr(0, addOut.find(kRule)), "Adding files to storage (Using: " + mbtiles_.substr(mbtiles_.rfind('/') + 1) + ")\n");
  EXPECT_NE(addOut.find("     Files source: src\n Storage dir/file: Moon.mbtiles\n"), std::string::npos) << addOut;
  // q and q/r come twice: beside their directories and as their own plates.
  EXPECT_NE(addOut.find(std::string("\n") + kRule + "Total items added: 9\n"), std::string::npos) << addOut;

  ProcessResult list = Run({"-l", "-db=Moon.mbtiles", "-p=q", mbtiles_});
  ASSERT_EQ(list.exitCode, 0) << list.output;
  EXPECT_NE(list.output.find(" Storage dir/file: Moon.mbtiles\n       Start from: \"q\"\n" +
                             std::string(kRule) + "Index   Size     Name\n" + kRule),
            std::string::npos)
      << list.output;
  EXPECT_NE(list.output.find("     0)  15.000K q                             \n"), std::string::npos)
      << list.output;
  EXPECT_NE(list.output.find(" 200.000K qrt                           \n"), std::string::npos);
  EXPECT_NE(list.output.find(std::string(kRule) + "Total items found: 4\n"), std::string::npos);

  ProcessResult extract = Run({"-x=out", "-db=Moon", mbtiles_});
  ASSERT_EQ(extract.exitCode, 0) << extract.output;
  const std::string extractOut = WithoutProgress(extract.output);
  EXPECT_NE(extractOut.find("Save plates data...\n\n" + std::string(kRule) + "Total items saved: 7\n"),
            std::string::npos)
      << extractOut;
  EXPECT_EQ(ReadTree(Path("out")), source);
}

TEST_F(TilestowTest, AddUnderPrefixWithZoomLimits) {
  WriteTree(Path("src"), {{"q.jpg", "1"}, {"q/r.jpg", "22"}, {"q/r/s.jpg", "333"},
                          {"q/s.jpg", "4444"}, {"q/x.jpg", "x"}, {"q/qq.jpg", "x"},
                          {"q/R/t.jpg", "55555"},  // any directory is walked
                          {"r.jpg", "outside"}});
  ProcessResult add = Run({"-a=src", "-db=s", "-prefix=q", "-z=2,2", mbtiles_});
  ASSERT_EQ(add.exitCode, 0) << add.output;
  EXPECT_NE(add.output.find("Warning: Use zoom limits: 2..2\n"), std::string::npos);
  EXPECT_NE(add.output.find("     Files source: src/q\n"), std::string::npos);
  // qr twice (listing and own plate), qs once; nothing of another length.
  EXPECT_NE(add.output.find("Total items added: 3\n"), std::string::npos) << add.output;
  ProcessResult list = Run({"-l", "-db=s", mbtiles_});
  EXPECT_NE(list.output.find(" qr "), std::string::npos);
  EXPECT_NE(list.output.find(" qs "), std::string::npos);
  EXPECT_NE(list.output.find("Total items found: 2\n"), std::string::npos) << list.output;

  // The inverted range is accepted and lets nothing through.
  add = Run({"-a=src", "-db=s2", "-z=18,5", mbtiles_});
  EXPECT_EQ(add.exitCode, 0);
  EXPECT_NE(add.output.find("Total items added: 0\n"), std::string::npos);

  add = Run({"-a=src", "-db=s3", "-prefix=q", "-q", mbtiles_});
  EXPECT_EQ(add.exitCode, 0);
  EXPECT_NE(add.output.find("Total items added: 6\n"), std::string::npos) << add.output;
  EXPECT_EQ(ReadTree(Path("src")).size(), 8u);  // copied, not moved
}

TEST_F(TilestowTest, MoveDeletesSourcesAndTheSecondAddFindsNothing) {
  WriteTree(Path("src"), {{"q/r.jpg", "a"}, {"q/r/s.jpg", "b"}, {"q/r/s/t/q.jpg", "c"}});
  ProcessResult add = Run({"-a=src", "-db=s", "-Move", mbtiles_});
  ASSERT_EQ(add.exitCode, 0) << add.output;
  EXPECT_NE(add.output.find("Total items added: 3\n"), std::string::npos) << add.output;
  EXPECT_TRUE(fs::exists(Path("src")));  // the root stays
  EXPECT_TRUE(fs::is_empty(Path("src")));

  ProcessResult extract = Run({"-x=out", "-db=s", "-m", "-prefix=qr", mbtiles_});
  ASSERT_EQ(extract.exitCode, 0) << extract.output;
  EXPECT_EQ(ReadTree(Path("out")), (Tree{{"q/r/s.jpg", "b"}, {"q/r/s/t/q.jpg", "c"}}));
  ProcessResult list = Run({"-l", "-db=s", mbtiles_});
  // qr itself is the prefix's own plate: neither saved nor deleted.
  EXPECT_NE(list.output.find("Total items found: 1\n"), std::string::npos) << list.output;
}

TEST_F(TilestowTest, ExtractLaysPlatesBelowThePrefix) {
  WriteTree(Path("src"), {{"q/t.jpg", "qt"}, {"q/t/r/s.jpg", "qtrs"}, {"q/s.jpg", "qs"}});
  ASSERT_EQ(Run({"-a=src", "-db=s", TILEDIR_PLUGIN}).exitCode, 0);
  // A stale final file is replaced; a temporary file left behind is reused.
  WriteTree(Path("out"), {{"q/t/r/s.jpg", "old"}, {"q/t/r/s.jp", "leftover"}});
  ProcessResult r = Run({"-x=out/", "-db=s", "-p=qt", TILEDIR_PLUGIN});
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("     Files source: out/q/t\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("Save      0 qtrs                           -> out/q/t/r/s.jpg    \r"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(ReadTree(Path("out")), (Tree{{"q/t/r/s.jpg", "qtrs"}}));
}

TEST_F(TilestowTest, EmptyStoragesHaveTheirOwnLines) {
  ProcessResult list = Run({"-l", "-db=s", FAKE_PLUGIN});
  EXPECT_EQ(list.exitCode, 0);
  EXPECT_EQ(list.output.substr(list.output.size() - 16), "Strage is empty\n");
  ProcessResult extract = Run({"-x=out", "-db=s", FAKE_PLUGIN});
  EXPECT_EQ(extract.exitCode, 0);
  EXPECT_EQ(extract.output.substr(extract.output.size() - 17), "Storage is empty\n");
}

TEST_F(TilestowTest, KeysThatAreNoPlateKeysNeverBecomePaths) {
  fs::create_directories(Path("deep/out"));
  ProcessResult r = Run({"-x=deep/out", "-db=s", FAKE_BADKEY});
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("Warning: Skip item with bad plate key [q/../../escaped]\n"),
            std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("Total items saved: 0\n"), std::string::npos);
  EXPECT_EQ(ReadTree(temp_.path()).size(), 0u);  // nothing written anywhere
}

TEST_F(TilestowTest, FailedAddIsFatalWithThePluginsText) {
  WriteTree(Path("src"), {{"q.jpg", "a"}, {"abc/q.jpg", "b"}});  // "aq" is no key
  ProcessResult r = Run({"-a=src", "-db=s", mbtiles_});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("\nABORT: Error adding [src/abc/q.jpg] to storage: Invalid plate key\n"
                          "\nStdError: Invalid plate key\n"),
            std::string::npos)
      << r.output;
  // What was added before the failure is kept.
  ProcessResult list = Run({"-l", "-db=s", mbtiles_});
  EXPECT_NE(list.output.find("Total items found: 1\n"), std::string::npos) << list.output;
}

TEST_F(TilestowTest, UnreadableSourceFolderIsAWarning) {
  ProcessResult r = Run({"-a=nothing", "-db=s", "-prefix=q", mbtiles_});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.output.find("Warning: !open [nothing/q] directory\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("Total items added: 0\n"), std::string::npos);
  r = Run({"-a=nothing", "-db=s", "-prefix=q", "-quite", mbtiles_});
  EXPECT_EQ(r.output.find("Warning"), std::string::npos);
}

// A key pressed on the terminal stops Extract at the next progress point.
TEST_F(TilestowTest, KeyPressOnTheTerminalCancels) {
  WriteTree(Path("src"), {{"q.jpg", "a"}, {"r.jpg", "b"}});
  ASSERT_EQ(Run({"-a=src", "-db=s", mbtiles_}).exitCode, 0);
  int master = -1, slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  ASSERT_EQ(write(master, "x\n", 2), 2);  // typed before the run starts
  const pid_t pid = fork();
  if (pid == 0) {
    setsid();
    ioctl(slave, TIOCSCTTY, 0);
    dup2(slave, 0);
    dup2(slave, 1);
    dup2(slave, 2);
    close(master);
    if (chdir(temp_.path().c_str()) != 0) _exit(126);
    execl(TILESTOW, TILESTOW, "-x=out", "-db=s", MBTILES_PLUGIN, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(slave);
  std::string output;
  char buffer[1024];
  for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) output.append(buffer, n);
  close(master);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
  EXPECT_NE(output.find("Save plates data..."), std::string::npos) << output;
  EXPECT_EQ(output.find("Total items saved"), std::string::npos) << output;
  EXPECT_FALSE(fs::exists(Path("out/q.jpg")));
  EXPECT_FALSE(fs::exists(Path("out/r.jpg")));
}

}  // namespace
}  // namespace tk
