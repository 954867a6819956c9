#pragma once

#include <memory>
#include <string>

#include "common/platform/platform.h"

namespace velqo {

// What the real platform takes from the process environment. Tests fill it
// with temporary directories instead.
struct PlatformConfig {
  std::string home;             // $HOME
  std::string xdg_config_home;  // $XDG_CONFIG_HOME (empty: home/.config)
  std::string xdg_data_home;    // $XDG_DATA_HOME (empty: home/.local/share)
  std::string xdg_cache_home;   // $XDG_CACHE_HOME (empty: home/.cache)
  std::string xdg_state_home;   // $XDG_STATE_HOME (empty: home/.local/state)
  std::string tmpdir;           // $TMPDIR (empty: /tmp)
  std::string velqo_drives;     // $VELQO_DRIVES, "C=/tmp/t/c;D=/tmp/t/d"
  std::string visual;           // $VISUAL
  std::string editor;           // $EDITOR
  std::string path_env;         // $PATH
  std::string program_path;     // host path of the running executable

  // Reads the environment; program_path from /proc/self/exe.
  static PlatformConfig FromEnvironment();
};

// The real implementation over POSIX.
std::unique_ptr<Platform> NewPosixPlatform(const PlatformConfig& config);

// Makes a host directory and its missing ancestors, each new one with mode
// 0700: the program's settings and logs are nobody else's to read.
Status MakePrivateDirectories(const std::string& host);

// Removes the temporary file of a copy in progress, if any. Safe to call
// from a signal handler (the console program's second Ctrl-C).
void AbortCopyInProgress();

}  // namespace velqo
