#pragma once

// The fixture of the end-to-end runs of the built velqo-cli: a copy of the
// binary in a temporary program directory, drives mapped by VELQO_DRIVES,
// the Windows directory under XDG_CONFIG_HOME, started without a shell.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/child_process.h"
#include "tests/support/sandbox.h"

namespace velqo::cli {

namespace fsys = std::filesystem;
using testing::ChildResult;

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline std::string LastLine(const std::string& text) {
  std::string trimmed = text;
  while (!trimmed.empty() && trimmed.back() == '\n') trimmed.pop_back();
  const std::size_t cut = trimmed.rfind('\n');
  return cut == std::string::npos ? trimmed : trimmed.substr(cut + 1);
}

inline const std::string kCopyPrompt =
    "(OK/OK To All/Next File/Next Directory/Delete Pair/Cancel UpDate) ";

// Everything below a directory: path, mode, size, time and contents.
inline std::string Snapshot(const std::string& root) {
  std::ostringstream out;
  for (auto it = fsys::recursive_directory_iterator(root); it != fsys::recursive_directory_iterator();
       ++it) {
    struct stat st {};
    const std::string path = it->path().string();
    if (lstat(path.c_str(), &st) != 0) continue;
    out << path.substr(root.size()) << ' ' << st.st_mode << ' ' << st.st_size << ' '
        << st.st_mtim.tv_sec << '.' << st.st_mtim.tv_nsec;
    if (S_ISREG(st.st_mode)) out << ' ' << ReadText(path);
    out << '\n';
  }
  return out.str();
}

// The lines of the output that hold part, with from replaced by to.
inline std::vector<std::string> LinesWith(const std::string& text, const std::string& part,
                                   const std::string& from = "", const std::string& to = "") {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.find(part) == std::string::npos) continue;
    if (!from.empty()) line.replace(line.find(from), from.size(), to);
    lines.push_back(line);
  }
  return lines;
}

inline int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class CliEndToEnd : public ::testing::Test {
 protected:
  CliEndToEnd() {
    program_ = sandbox.ProgramDir() + "/velqo-cli";
    fsys::copy_file(VELQO_CLI_BINARY, program_, fsys::copy_options::overwrite_existing);
    fsys::permissions(program_, fsys::perms::owner_all, fsys::perm_options::add);
  }

  std::vector<std::string> Env() const {
    const velqo::PlatformConfig c = sandbox.Config();
    return {"HOME=" + c.home,          "XDG_CONFIG_HOME=" + config_home_,
            "VELQO_DRIVES=" + drives_, "PATH=/usr/bin:/bin",
            "TMPDIR=" + sandbox.root(), "LC_ALL=C",
            "XDG_STATE_HOME=" + sandbox.root() + "/state"};
  }

  ChildResult Run(const std::vector<std::string>& args, const std::string& input = "") {
    return testing::RunProgram(program_, args, Env(), sandbox.root(), input);
  }

  std::string IniPath() const { return sandbox.ProgramDir() + "/WINVELQO.INI"; }
  // Where the console program keeps its logs unless told otherwise.
  std::string LogDir() const { return sandbox.root() + "/state/velqo"; }
  std::string Ini() const { return ReadText(IniPath()); }

  // The value of a key of the program section as written ("" when missing).
  std::string IniValue(const std::string& key) const {
    std::istringstream lines(Ini());
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    }
    return "";
  }

  // Replaces keys of the program section (the first run writes them all).
  void SetIni(const std::map<std::string, std::string>& values) {
    std::istringstream lines(Ini());
    std::string text;
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const std::size_t eq = line.find('=');
      if (eq != std::string::npos && values.count(line.substr(0, eq)) != 0) {
        line = line.substr(0, eq + 1) + values.at(line.substr(0, eq));
      }
      text += line + "\n";
    }
    for (const auto& [key, value] : values) {
      ASSERT_NE(text.find("\n" + key + "="), std::string::npos) << key << " not in the INI file";
    }
    std::ofstream(IniPath(), std::ios::binary | std::ios::trunc) << text;
  }

  void AppendIni(const std::string& text) {
    std::ofstream(IniPath(), std::ios::binary | std::ios::app) << text;
  }

  // The first run, which writes the INI file; then Dir 1 -> Dir 2 copying
  // of new files as one pair, confirmed file by file, without backups.
  void FirstRunThenAddToDir2(const std::string& walk = "0") {
    ASSERT_EQ(Run({}).exit_status, 0);
    SetIni({{"VelqoOnly", "0"},
            {"Add1To2", "1"},
            {"SelectSeparate", walk == "1" ? "0" : "1"},
            {"UseDir1And", walk},
            {"CreateBackup", "0"},
            {"ConfirmEveryFile", "1"}});
  }

  // Three files in C:\src, and an empty D:\dst.
  void MakeSource() {
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
      sandbox.WriteFile(std::string("C:\\src\\") + name, std::string("data of ") + name);
      sandbox.SetMtime(std::string("C:\\src\\") + name, 1700000000);
    }
    sandbox.MakeDir("D:\\dst");
  }

  std::vector<std::string> DirEntries(const std::string& windows_dir) const {
    std::vector<std::string> names;
    for (const auto& e : fsys::directory_iterator(sandbox.HostPath(windows_dir))) {
      names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  velqo::testing::Sandbox sandbox;
  std::string program_;
  std::string config_home_ = sandbox.ConfigHome();
  std::string drives_ = sandbox.Config().velqo_drives;
};

}  // namespace velqo::cli
