// The crash harness: a child process runs the real engine over a generated
// tree and is killed with SIGKILL at a random moment; a normal run then
// completes the update, and every file must be its old or its new version
// byte for byte, every backup the original old version, nothing missing.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "actions/copy_backup.h"
#include "common/posix/path_resolver.h"
#include "common/host/quiet_host.h"
#include "config/app_state.h"
#include "engine/update_run.h"
#include "tests/support/sandbox.h"

namespace velqo::crash {

namespace fsys = std::filesystem;

enum class Mode { kMatching, kAdd1To2, kAddBothWays, kCleanUp };
const char* const kModeNames[] = {"matching", "add1to2", "addbothways", "cleanup"};

// What a child process is asked to do: one update of the sandbox at root.
struct Job {
  std::string root;
  Mode mode = Mode::kMatching;
  bool backups = false;

  std::string Text() const {
    return root + "|" + std::to_string(static_cast<int>(mode)) + "|" + (backups ? "1" : "0");
  }
  static Job Parse(const std::string& text) {
    Job job;
    std::istringstream in(text);
    std::string mode;
    std::string backups;
    std::getline(in, job.root, '|');
    std::getline(in, mode, '|');
    std::getline(in, backups, '|');
    job.mode = static_cast<Mode>(std::atoi(mode.c_str()));
    job.backups = backups == "1";
    return job;
  }
};

// Runs the update as the console program would: Dir 1 C:\A and all its
// subdirectories onto D:\B, nothing confirmed, every box answered with its
// first button.
int RunChild(const Job& job) {
  std::unique_ptr<Platform> fs = NewPosixPlatform(testing::Sandbox::ConfigFor(job.root));
  QuietHost host;
  AppState s(*fs, host);
  s.places.IniPath = "C:\\WINVELQO.INI";
  host.SetDir1Text("C:\\A");
  host.SetDir2Text("D:\\B");
  OptionSet& o = s.opt.SessionOptions;
  o.UseDir1And = 1;
  o.VelqoOnly = job.mode == Mode::kMatching ? 1 : 0;
  o.Add1To2 = job.mode == Mode::kAdd1To2 ? 1 : 0;
  o.AddBothWays = job.mode == Mode::kAddBothWays ? 1 : 0;
  o.CleanUp = job.mode == Mode::kCleanUp ? 1 : 0;
  o.CreateBackup = job.backups ? 1 : 0;
  o.CreateNewDir = 1;
  o.ArchiveFilter = o.ReadOnlyFilter = o.HiddenFilter = o.SystemFilter = 2;
  o.IncRODir = 1;
  o.ExclDaysInt = 5;
  o.EnableLog = 1;
  (void)o.LogFilePath.Assign("C:\\LOG");
  o.AppendToFile = 1;
  s.opt.ActiveOptions = o;
  RunUpdate(s);
  return s.flags.ErrorLogged == 0 ? 0 : 3;
}

// How a file of the generated tree starts out.
enum class Kind { kDir1Newer, kDir2Newer, kEqual, kOnly1, kOnly2 };

struct FileCase {
  std::string rel;  // path below Dir 1 and Dir 2, "/" separated
  Kind kind;
  std::string in1;  // Dir 1's version (empty: none)
  std::string in2;  // Dir 2's version (empty: none)
};

// A tagged stretch of random bytes from a pool, so that every version of
// every file differs from every other.
std::string Contents(std::mt19937& rng, const std::string& pool, const std::string& tag, std::size_t size) {
  std::string text = tag + "|";
  text.reserve(size + tag.size() + 1);
  while (text.size() < size + tag.size() + 1) {
    const std::size_t from = rng() % (pool.size() / 2);
    text.append(pool, from, std::min(pool.size() - from, size + tag.size() + 1 - text.size()));
  }
  return text;
}

class Tree {
 public:
  Tree(const std::string& root, std::uint32_t seed) : root_(root) {
    std::mt19937 rng(seed);
    pool_.resize(1 << 16);
    for (char& c : pool_) c = static_cast<char>(rng());
    const Kind kinds[] = {Kind::kDir1Newer, Kind::kDir2Newer, Kind::kEqual, Kind::kOnly1, Kind::kOnly2};
    std::uniform_int_distribution<std::size_t> small(0, 3000);
    int n = 0;
    // Two directory pairs: every pair ends with a flush of the whole file
    // system, which costs most of a run's time.
    for (const std::string dir : {"", "sub/"}) {
      for (int i = 0; i < 150; ++i, ++n) {
        const Kind kind = kinds[static_cast<std::size_t>(n) % 5];
        Add(rng, dir + "f" + std::to_string(n) + ".txt", kind, small(rng));
      }
    }
    for (int i = 0; i < 3; ++i) Add(rng, "large" + std::to_string(i) + ".bin", i == 1 ? Kind::kDir2Newer : Kind::kDir1Newer, 2u << 20);
    const std::time_t base = std::time(nullptr) - 10 * 86400;
    for (const FileCase& file : cases_) Write(file, base);
  }

  const std::vector<FileCase>& cases() const { return cases_; }

  // The files on one side ('c' or 'd' under the drive directory), by path.
  std::map<std::string, std::string> Read(char side, const std::string& top) const {
    std::map<std::string, std::string> files;
    const fsys::path dir = fsys::path(root_) / std::string(1, side) / top;
    for (auto it = fsys::recursive_directory_iterator(dir); it != fsys::recursive_directory_iterator(); ++it) {
      if (!it->is_regular_file()) continue;
      std::ifstream in(it->path(), std::ios::binary);
      std::stringstream data;
      data << in.rdbuf();
      files[fsys::relative(it->path(), dir).string()] = data.str();
    }
    return files;
  }

 private:
  void Add(std::mt19937& rng, const std::string& rel, Kind kind, std::size_t size) {
    FileCase file{rel, kind, {}, {}};
    // A newer version is never much smaller: the size-drop question stays out.
    const std::string older = Contents(rng, pool_, "old " + rel, size);
    const std::string newer = Contents(rng, pool_, "new " + rel, size + size / 4 + 1);
    switch (kind) {
      case Kind::kDir1Newer: file.in1 = newer; file.in2 = older; break;
      case Kind::kDir2Newer: file.in1 = older; file.in2 = newer; break;
      case Kind::kEqual: file.in1 = file.in2 = older; break;
      case Kind::kOnly1: file.in1 = newer; break;
      case Kind::kOnly2: file.in2 = newer; break;
    }
    cases_.push_back(std::move(file));
  }

  void Write(const FileCase& file, std::time_t base) const {
    const bool one_newer = file.kind == Kind::kDir1Newer;
    const bool two_newer = file.kind == Kind::kDir2Newer;
    WriteSide('c', "A", file.rel, file.in1, base + (one_newer ? 7200 : 0));
    WriteSide('d', "B", file.rel, file.in2, base + (two_newer ? 7200 : 0));
  }

  void WriteSide(char side, const char* top, const std::string& rel, const std::string& data, std::time_t when) const {
    const fsys::path dir = fsys::path(root_) / std::string(1, side) / top;
    fsys::create_directories(dir);
    if (data.empty()) return;
    const fsys::path path = dir / rel;
    fsys::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << data;
    const struct timespec times[2] = {{when, 0}, {when, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
  }

  std::string root_;
  std::string pool_;
  std::vector<FileCase> cases_;
};

// Where a file's backup lies, and what it must hold, for a FileCase.
std::string BackupRel(const std::string& rel) {
  std::string backup;
  if (!BackupPathFor(rel, &backup)) return {};
  return backup;
}

class CrashHarness : public ::testing::TestWithParam<std::tuple<Mode, bool>> {
 protected:
  // Starts the update in a child process of this very program.
  pid_t Start(const Job& job) {
    const pid_t child = fork();
    if (child == 0) {
      setenv("VELQO_CRASH_CHILD", job.Text().c_str(), 1);
      execl("/proc/self/exe", "crash_child", static_cast<char*>(nullptr));
      _exit(127);
    }
    return child;
  }
  int Wait(pid_t child) {
    int status = 0;
    waitpid(child, &status, 0);
    return status;
  }

  // The checks that hold at every moment: each file of either side is its
  // old or its new version, each backup the original old version, and
  // nothing is missing that the mode does not delete.
  void CheckAnyMoment(const Tree& tree, const Job& job, bool complete) {
    const auto one = tree.Read('c', "A");
    const auto two = tree.Read('d', "B");
    std::set<std::string> known;
    for (const FileCase& file : tree.cases()) {
      known.insert(file.rel);
      const std::string backup = BackupRel(file.rel);
      if (!backup.empty()) known.insert(backup);
      CheckFile(file, one, two, job, complete);
      CheckBackups(file, backup, one, two, job);
    }
    for (const auto* side : {&one, &two}) {
      for (const auto& [rel, data] : *side) {
        // The killed run's temporary files may stay until the next run lists their directory.
        const bool temporary = IsTemporaryName(fsys::path(rel).filename().string());
        EXPECT_FALSE(complete && temporary) << "leftover temporary file " << rel;
        EXPECT_TRUE(temporary || known.count(rel) != 0) << "stray file " << rel;
      }
    }
  }

  void CheckFile(const FileCase& file, const std::map<std::string, std::string>& one,
                 const std::map<std::string, std::string>& two, const Job& job, bool complete) {
    const auto at1 = one.find(file.rel);
    const auto at2 = two.find(file.rel);
    const std::string* now1 = at1 == one.end() ? nullptr : &at1->second;
    const std::string* now2 = at2 == two.end() ? nullptr : &at2->second;
    const bool cleanup = job.mode == Mode::kCleanUp;
    // What each side ends as.
    std::string end1 = file.in1;
    std::string end2 = file.in2;
    switch (file.kind) {
      case Kind::kDir1Newer: end2 = file.in1; break;
      case Kind::kDir2Newer:
        if (cleanup) {
          end2 = file.in1;
        } else {
          end1 = file.in2;
        }
        break;
      case Kind::kEqual: break;
      case Kind::kOnly1:
        if (job.mode != Mode::kMatching) end2 = file.in1;
        break;
      case Kind::kOnly2:
        if (job.mode == Mode::kAddBothWays) end1 = file.in2;
        if (cleanup) end2.clear();
        break;
    }
    auto check = [&](const std::string* now, const std::string& start, const std::string& end, const char* side) {
      if (complete) {
        if (end.empty()) {
          EXPECT_EQ(now, nullptr) << side << " should not hold " << file.rel;
        } else {
          ASSERT_NE(now, nullptr) << side << " is missing " << file.rel;
          EXPECT_TRUE(*now == end) << side << " " << file.rel << " is not its new version";
        }
        return;
      }
      if (now == nullptr) {
        EXPECT_TRUE(start.empty() || end.empty()) << side << " lost " << file.rel;
      } else {
        EXPECT_TRUE(*now == start || *now == end) << side << " " << file.rel << " is neither old nor new";
      }
    };
    check(now1, file.in1, end1, "Dir 1");
    check(now2, file.in2, end2, "Dir 2");
  }

  // A backup, wherever it lies (the modes that add files carry backups to
  // the other side too), holds the version that was replaced.
  void CheckBackups(const FileCase& file, const std::string& backup, const std::map<std::string, std::string>& one,
                    const std::map<std::string, std::string>& two, const Job& job) {
    if (backup.empty()) return;
    std::string original;
    if (job.backups && job.mode != Mode::kCleanUp) {
      if (file.kind == Kind::kDir1Newer) original = file.in2;
      if (file.kind == Kind::kDir2Newer) original = file.in1;
    }
    for (const auto* side : {&one, &two}) {
      const auto it = side->find(backup);
      if (it == side->end()) continue;
      EXPECT_FALSE(original.empty()) << "unexpected backup " << backup;
      EXPECT_TRUE(it->second == original) << "backup " << backup << " does not hold the original old version";
    }
  }
};

int TrialsPerConfiguration() {
  const char* text = std::getenv("VELQO_CRASH_TRIALS");
  const int n = text == nullptr ? 2 : std::atoi(text);
  return n > 0 ? n : 2;
}

TEST_P(CrashHarness, KilledRunsLoseNothingAndTheNextRunCompletesThem) {
  const auto [mode, backups] = GetParam();
  std::mt19937 rng(static_cast<std::uint32_t>(std::random_device{}()));
  double run_seconds = 0;
  for (int trial = 0; trial <= TrialsPerConfiguration(); ++trial) {
    testing::Sandbox sandbox;
    fsys::create_directories(sandbox.root() + "/c/LOG");
    const Tree tree(sandbox.root(), static_cast<std::uint32_t>(rng()));
    const Job job{sandbox.root(), mode, backups};
    SCOPED_TRACE("mode " + std::string(kModeNames[static_cast<int>(mode)]) + (backups ? ", backups" : "") +
                 ", trial " + std::to_string(trial));
    const auto started = std::chrono::steady_clock::now();
    const pid_t child = Start(job);
    ASSERT_GT(child, 0);
    if (trial == 0) {
      // The first run is not killed: it gives the length of a whole run.
      const int status = Wait(child);
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
      run_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    } else {
      std::uniform_real_distribution<double> when(0.0, run_seconds);
      std::this_thread::sleep_for(std::chrono::duration<double>(when(rng)));
      kill(child, SIGKILL);
      Wait(child);
      CheckAnyMoment(tree, job, false);
      const int status = Wait(Start(job));
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }
    CheckAnyMoment(tree, job, true);
    if (HasFatalFailure() || HasNonfatalFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryModeWithAndWithoutBackups, CrashHarness,
                         ::testing::Combine(::testing::Values(Mode::kMatching, Mode::kAdd1To2, Mode::kAddBothWays,
                                                              Mode::kCleanUp),
                                            ::testing::Bool()),
                         [](const auto& param_info) {
                           return std::string(kModeNames[static_cast<int>(std::get<0>(param_info.param))]) +
                                  (std::get<1>(param_info.param) ? "_backups" : "_plain");
                         });

}  // namespace velqo::crash

int main(int argc, char** argv) {
  if (const char* job = std::getenv("VELQO_CRASH_CHILD")) return velqo::crash::RunChild(velqo::crash::Job::Parse(job));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
