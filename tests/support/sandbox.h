#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <string>
#include <vector>
#include <string_view>

#include "common/posix/posix_platform.h"
#include "config/app_state.h"
#include "tests/support/scripted_host.h"

namespace velqo::testing {

// A local date and time as seconds since the epoch (mktime with the
// daylight-saving rule of that date), for file times in tests.
std::time_t LocalEpoch(int year, int month, int day, int hour, int minute, int second);
// The same moment read as UTC.
std::time_t UtcEpoch(int year, int month, int day, int hour, int minute, int second);

// A fresh temporary directory holding three drives (C:, D:, E:, mapped
// through VELQO_DRIVES), a Windows directory (XDG_CONFIG_HOME/velqo) and a
// program directory laid out as a build tree's (it holds Skins/). Removed, read-only entries included, when destroyed.
class Sandbox {
 public:
  Sandbox();
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  const std::string& root() const { return root_; }
  // Host directory of a drive letter ('C', 'D', 'E').
  std::string DriveDir(char letter) const;
  std::string ProgramDir() const { return root_ + "/prog"; }
  std::string ConfigHome() const { return root_ + "/config"; }
  std::string WindowsDir() const { return root_ + "/config/velqo"; }
  PlatformConfig Config() const { return ConfigFor(root_); }
  // The platform's configuration over a sandbox rooted at root (a child
  // process given the sandbox's directory).
  static PlatformConfig ConfigFor(const std::string& root);

  // Host path of a Windows path on one of the drives, spelled exactly as
  // given (no case resolution): "C:\A\b" -> root/c/A/b.
  std::string HostPath(std::string_view windows) const;

  // Helpers working on Windows paths of the sandbox's drives.
  void WriteFile(std::string_view windows, std::string_view contents) const;
  std::string ReadFile(std::string_view windows) const;
  bool Exists(std::string_view windows) const;
  // Host names in a directory, in directory order, the platform's own
  // temporary files included.
  std::vector<std::string> HostNames(std::string_view windows_dir) const;
  void MakeDir(std::string_view windows) const;
  // Sets the last-write time (seconds since the epoch).
  void SetMtime(std::string_view windows, std::time_t when) const;
  std::time_t Mtime(std::string_view windows) const;
  void SetReadOnly(std::string_view windows, bool read_only) const;

 private:
  std::string root_;
};

// A test with a sandbox, the real platform over it, a scripted host and a
// fresh program state.
class SandboxTest : public ::testing::Test {
 protected:
  SandboxTest();
  // Replaces the platform the state uses (e.g. a PlatformWrapper over fs).
  void UsePlatform(Platform& platform);

  Sandbox sandbox;
  std::unique_ptr<Platform> fs;
  ScriptedHost host;
  std::unique_ptr<AppState> state;
};

}  // namespace velqo::testing
