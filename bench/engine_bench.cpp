// Runs one headless update of two host directory trees and prints its wall
// time and the process's peak memory:
//   engine_bench DIR1 DIR2
// Dir 1 and Dir 2 are reached as C:\<name> and D:\<name> through the drive
// map (C: and D: are their parent directories). The run walks Dir 1 with
// all its subdirectories, updates matching files only, asks nothing
// (JFDI) and keeps no log: a second run over equal trees measures the cost
// of finding that there is nothing to do.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "common/posix/posix_platform.h"
#include "common/host/quiet_host.h"
#include "config/app_state.h"
#include "engine/update_run.h"

namespace {

// A host that shows nothing and answers every question with its first
// button (OK, Yes) and every confirmation with OK; it counts and prints
// the boxes, which a run over equal trees should not show at all.
class NullHost : public velqo::QuietHost {
 public:
  NullHost(std::string_view dir1, std::string_view dir2) {
    SetDir1Text(dir1);
    SetDir2Text(dir2);
  }

  velqo::Answer MessageBox(std::string_view text, std::string_view caption, velqo::Icon icon,
                           velqo::Buttons buttons) override {
    ++boxes;
    std::fprintf(stderr, "box: %.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
    return QuietHost::MessageBox(text, caption, icon, buttons);
  }

  int boxes = 0;
};

void SetOptions(velqo::OptionSet& o) {
  o = velqo::OptionSet{};
  o.UseDir1And = 1;
  o.VelqoOnly = 1;
  o.JFDI = 1;
  o.CreateNewDir = 1;
  o.ArchiveFilter = 2;
  o.ReadOnlyFilter = 2;
  o.HiddenFilter = 2;
  o.SystemFilter = 2;
  o.IncRODir = 1;
  o.ExclDaysInt = 5;
  o.EnableLog = 0;
}

const char* OutcomeName(velqo::UpdateOutcome outcome) {
  switch (outcome) {
    case velqo::UpdateOutcome::kCompleted:
      return "completed";
    case velqo::UpdateOutcome::kCancelled:
      return "cancelled";
    case velqo::UpdateOutcome::kNothingToDo:
      return "nothing-to-do";
    case velqo::UpdateOutcome::kFailed:
      return "failed";
  }
  return "?";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: engine_bench DIR1 DIR2\n");
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path dir1 = fs::absolute(argv[1]).lexically_normal();
  const fs::path dir2 = fs::absolute(argv[2]).lexically_normal();
  const fs::path config = fs::temp_directory_path() / "velqo-bench-config";
  fs::create_directories(config);

  velqo::PlatformConfig pc = velqo::PlatformConfig::FromEnvironment();
  pc.xdg_config_home = config.string();
  pc.velqo_drives = "C=" + dir1.parent_path().string() + ";D=" + dir2.parent_path().string();
  std::unique_ptr<velqo::Platform> platform = velqo::NewPosixPlatform(pc);
  NullHost host("C:\\" + dir1.filename().string(), "D:\\" + dir2.filename().string());
  auto state = std::make_unique<velqo::AppState>(*platform, host);
  SetOptions(state->opt.SessionOptions);
  state->opt.DefaultOptions = state->opt.SessionOptions;
  state->opt.ActiveOptions = state->opt.SessionOptions;

  const auto start = std::chrono::steady_clock::now();
  const velqo::UpdateOutcome outcome = velqo::RunUpdate(*state);
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;

  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("wall_seconds=%.3f peak_rss_kb=%ld outcome=%s boxes=%d files_changed=%d\n",
              wall.count(), usage.ru_maxrss, OutcomeName(outcome), host.boxes,
              state->flags.FileChanged);
  return 0;
}
