#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/profile/profile.h"
#include "config/startup.h"
#include "tests/support/sandbox.h"

namespace velqo::testing {

// A sandbox with the program's INI file at hand: read and written as host
// files, so the tests see exactly the bytes the program stores.
class ConfigTest : public SandboxTest {
 protected:
  std::string ProgIni() const { return sandbox.ProgramDir() + "/WINVELQO.INI"; }
  std::string WinIni() const { return sandbox.WindowsDir() + "/WINVELQO.INI"; }

  static void WriteHost(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string ReadHost(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  // A key of section WINVELQO of a file as the profile functions read it.
  std::string Value(const std::string& key, const std::string& path = {}) const {
    const auto v = IniDocument::Parse(ReadHost(path.empty() ? ProgIni() : path)).Get("WINVELQO", key);
    return v ? *v : "<missing>";
  }

  // A complete INI file with plain valid values: Path1 C:\, Path2 D:\, logs in C:\LOG.
  std::string FullIni(const std::map<std::string, std::string>& changes = {},
                      const std::set<std::string>& without = {}) {
    sandbox.MakeDir("C:\\LOG");
    std::map<std::string, std::string> keys = {
        {"MainLeft", "20"}, {"MainTop", "30"}, {"MainWidth", "700"}, {"MainHeight", "300"},
        {"MainSkin", "None"}, {"Path1", "C:\\"}, {"Path2", "D:\\"}, {"SelectSeparate", "1"},
        {"UseDir1", "0"}, {"UseDir1And", "0"}, {"UseSubOnly", "0"}, {"UseBatchFile", "0"},
        {"VelqoOnly", "1"}, {"Add1To2", "0"}, {"AddBothWays", "0"}, {"CleanUp", "0"},
        {"ConfirmEveryFile", "1"}, {"CreateBackup", "1"}, {"CreateNewDir", "0"},
        {"IgnoreOptUpd", "0"}, {"ArchiveFilter", "2"}, {"ReadOnlyFilter", "0"},
        {"HiddenFilter", "0"}, {"SystemFilter", "0"}, {"ExclDays", "0"}, {"ExclDaysInt", "5"},
        {"DeleteExclDays", "0"}, {"ExclDaysDriveString", ""}, {"IncArcDir", "0"},
        {"IncHidDir", "0"}, {"IncRODir", "1"}, {"IncSysDir", "0"}, {"Incl", "0"},
        {"ExtString", ""}, {"InclFile", "0"}, {"FileString", ""}, {"EnableLog", "0"},
        {"LogFilePath", "C:\\LOG"}, {"AutoGenerateFile", "1"}, {"AppendToFile", "1"},
        {"ShowHints", "1"}, {"Brief", "0"}, {"DIRDEL", "0"}, {"JFDI", "0"}, {"Quiet", "0"},
        {"XATTR", "0"}};
    for (const auto& [k, v] : changes) keys[k] = v;
    std::string text = "[WINVELQO]\r\n";
    for (const auto& [k, v] : keys) {
      if (!without.count(k)) text += k + "=" + v + "\r\n";
    }
    return text;
  }

  bool Start(const std::vector<std::string>& args = {"velqo"}) {
    return StartConfiguration(*state, args);
  }
  int Count(const std::string& text) const {
    const auto texts = host.MessageTexts();
    return static_cast<int>(std::count(texts.begin(), texts.end(), text));
  }
  const OptionSet& Defaults() const { return state->opt.DefaultOptions; }
};

}  // namespace velqo::testing
