#pragma once

#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "common/platform/platform_ops.h"
#include "common/platform/platform_wrapper.h"
#include "engine/update_run.h"
#include "tests/support/sandbox.h"

namespace velqo::testing {

// The real platform with a stopped clock, and volumes, free space, sizes
// and unreadable directories reported as a test chooses.
class EnginePlatform : public PlatformWrapper {
 public:
  using PlatformWrapper::PlatformWrapper;

  LocalTime Now() override { return now; }

  Status VolumeFileSystemName(std::string_view root, std::string* name) override {
    const auto it = fs_names.find(AsciiUpper(root[0]));
    if (it == fs_names.end()) return PlatformWrapper::VolumeFileSystemName(root, name);
    *name = it->second;
    return Status::Ok();
  }

  Status DiskSpace(std::string_view root, std::uint64_t* total, std::uint64_t* free) override {
    const char letter = AsciiUpper(root[0]);
    ++space_reads[letter];
    space_paths.emplace_back(root);
    if (unreadable_space.count(letter) != 0) return Status::IOError("no drive");
    Status status = PlatformWrapper::DiskSpace(root, total, free);
    if (const auto it = totals.find(letter); it != totals.end()) *total = it->second;
    if (const auto it = frees.find(letter); it != frees.end()) *free = it->second;
    return status;
  }

  Status FindFirst(std::string_view pattern, std::uint32_t mask,
                   std::unique_ptr<DirSearch>* search) override {
    if (unreadable.count(std::string(pattern)) != 0) return Status::AccessDenied("unreadable");
    Status status = PlatformWrapper::FindFirst(pattern, mask, search);
    if (!status.ok()) return status;
    const auto fake = fake_subdirs.find(std::string(pattern));
    const auto fake_f = fake_files.find(std::string(pattern));
    const int extra = fake == fake_subdirs.end() ? 0 : fake->second;
    const int extra_files = fake_f == fake_files.end() ? 0 : fake_f->second;
    if (!sizes.empty() || extra > 0 || extra_files > 0) {
      *search = std::make_unique<SizedSearch>(std::move(*search), sizes, extra, extra_files);
    }
    return status;
  }

  Status CopyFile(std::string_view from, std::string_view to) override {
    if (failing_copies.count(std::string(from)) != 0) return Status::AccessDenied("cannot read");
    return PlatformWrapper::CopyFile(from, to);
  }

  Status RemoveDirectory(std::string_view path) override {
    if (failing_removals.count(std::string(path)) != 0) return Status::AccessDenied("busy");
    return PlatformWrapper::RemoveDirectory(path);
  }

  LocalTime now{2023, 11, 14, 12, 0, 0, 0};
  std::set<std::string> failing_copies;      // sources whose copy fails
  std::set<std::string> failing_removals;    // directories that cannot be removed
  std::map<char, std::string> fs_names;      // drive letter -> file-system name
  std::map<char, std::uint64_t> totals;      // drive letter -> total size
  std::map<char, std::uint64_t> frees;       // drive letter -> free space
  std::set<char> unreadable_space;           // drives whose sizes cannot be read
  std::map<char, int> space_reads;
  std::vector<std::string> space_paths;      // every path whose space was read
  std::map<std::string, std::uint64_t> sizes;  // file name -> size reported by searches
  std::set<std::string> unreadable;          // search patterns that fail
  std::map<std::string, int> fake_subdirs;   // pattern -> directories d0, d1, ... added to its results
  std::map<std::string, int> fake_files;     // pattern -> files f0.txt, f1.txt, ... added

 private:
  class SizedSearch : public DirSearch {
   public:
    SizedSearch(std::unique_ptr<DirSearch> inner, const std::map<std::string, std::uint64_t>& sizes,
                int extra_dirs, int extra_files)
        : inner_(std::move(inner)), sizes_(sizes), extra_dirs_(extra_dirs), extra_files_(extra_files) {}
    bool Next(FindData* entry) override {
      if (!inner_->Next(entry)) {
        if (extra_dirs_ > 0) {
          *entry = FindData{"d" + std::to_string(--extra_dirs_), kAttrDirectory, 0, 0};
          return true;
        }
        if (extra_files_ <= 0) return false;
        *entry = FindData{"f" + std::to_string(--extra_files_) + ".txt", kAttrArchive, 1, 0};
        return true;
      }
      if (const auto it = sizes_.find(entry->name); it != sizes_.end()) entry->size = it->second;
      return true;
    }

   private:
    std::unique_ptr<DirSearch> inner_;
    const std::map<std::string, std::uint64_t>& sizes_;
    int extra_dirs_;
    int extra_files_;
  };
};

// A sandbox whose state has first-run-like session options (single pair,
// matching files only, no confirmation, no backup, every file admitted,
// logging into C:\LOG\LOG.TXT), Dir 1 C:\A and Dir 2 D:\B.
class EngineTest : public SandboxTest {
 protected:
  EngineTest() : platform(*fs) {
    UsePlatform(platform);
    state->places.IniPath = "C:\\WINVELQO.INI";
    OptionSet& o = opt();
    o.SelectSeparate = 1;
    o.VelqoOnly = 1;
    o.ArchiveFilter = 2;
    o.ReadOnlyFilter = 2;
    o.HiddenFilter = 2;
    o.SystemFilter = 2;
    o.ExclDaysInt = 5;
    o.IncRODir = 1;
    o.EnableLog = 1;
    (void)o.LogFilePath.Assign("C:\\LOG");
    o.AppendToFile = 1;
    sandbox.MakeDir("C:\\LOG");
    sandbox.MakeDir("C:\\A");
    sandbox.MakeDir("D:\\B");
    host.dir1 = "C:\\A";
    host.dir2 = "D:\\B";
  }

  // The session options every pair starts from.
  OptionSet& opt() { return state->opt.SessionOptions; }

  UpdateOutcome Run() {
    state->opt.ActiveOptions = state->opt.SessionOptions;
    return RunUpdate(*state);
  }

  static std::time_t Local(int year, int month, int day, int hour, int minute, int second) {
    return LocalEpoch(year, month, day, hour, minute, second);
  }
  static constexpr std::time_t kHour = 3600;
  // An even-second time some days before the platform's "now".
  static std::time_t Base() { return Local(2023, 11, 10, 10, 0, 0); }

  void File(std::string_view path, std::string_view contents, std::time_t mtime) {
    sandbox.WriteFile(path, contents);
    sandbox.SetMtime(path, mtime);
  }

  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    const std::string text = sandbox.ReadFile("C:\\LOG\\LOG.TXT");
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
      lines.push_back(text.substr(start, end - start));
    }
    return lines;
  }
  bool LogHas(std::string_view part) const {
    for (const std::string& line : LogLines()) {
      if (line.find(part) != std::string::npos) return true;
    }
    return false;
  }

  std::vector<ShownBox> BoxesOf(ShownBox::Kind kind) const {
    std::vector<ShownBox> out;
    for (const ShownBox& b : host.boxes) {
      if (b.kind == kind) out.push_back(b);
    }
    return out;
  }
  std::vector<std::string> Confirmations() const {
    std::vector<std::string> out;
    for (const ShownBox& b : host.boxes) {
      if (b.kind == ShownBox::Kind::kConfirmCopy) out.push_back("copy:" + b.text);
      if (b.kind == ShownBox::Kind::kConfirmOlderCopy) out.push_back("older:" + b.text);
      if (b.kind == ShownBox::Kind::kConfirmDelete) out.push_back("delete:" + b.text);
    }
    return out;
  }

  EnginePlatform platform;
};

}  // namespace velqo::testing
