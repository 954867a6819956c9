#include "config/ini_locate.h"

#include "common/platform/platform_ops.h"

namespace velqo {

namespace {

constexpr std::string_view kProbeName = "X2Y3Z1A4.ZZZ";
constexpr unsigned kNoCriticalErrorBoxes = 1;

bool TryProbe(Platform& fs, const std::string& probe) {
  const Status made = fs.CreateNewFile(probe);
  if (!made.ok()) return false;
  (void)fs.DeleteFile(probe);
  return true;
}

bool DirectoryIsWritable(Platform& fs, std::string_view dir) {
  const std::string probe = ChildPath(dir, kProbeName);
  fs.SetErrorMode(kNoCriticalErrorBoxes);
  bool writable = TryProbe(fs, probe);
  // A probe left behind by an interrupted start would make a writable
  // directory look read-only for ever; it is ours, so clear it and retry.
  if (!writable && EntryExists(fs, probe) && fs.DeleteFile(probe).ok()) {
    writable = TryProbe(fs, probe);
  }
  fs.SetErrorMode(0);
  return writable;
}

bool FileExists(Platform& fs, std::string_view path) {
  std::uint32_t attributes = 0;
  return fs.GetAttributes(path, &attributes).ok() && (attributes & kAttrDirectory) == 0;
}

// Settings live beside a program only in a build tree: the program has a
// Windows form, finds its data beside itself rather than in ../share/velqo
// (an installed program, where even root must not write into the binaries'
// folder), and its directory is writable. A program with no Windows form
// would otherwise name a file in the current directory.
bool ProgramDirectoryHoldsSettings(AppState& s) {
  const std::string& dir = s.places.ProgramDir;
  if (dir.empty()) return false;
  if (!EqualsIgnoreCase(s.fs.DataDirectory(), dir)) return false;
  return DirectoryIsWritable(s.fs, dir);
}

}  // namespace

void LocateIniFile(AppState& s) {
  const std::string in_windows = ChildPath(s.places.WindowsDir, kIniFileName);
  if (!ProgramDirectoryHoldsSettings(s)) {
    s.places.IniPath = in_windows;
    return;
  }
  const std::string in_program = ChildPath(s.places.ProgramDir, kIniFileName);
  s.places.IniPath = in_program;
  if (FileExists(s.fs, in_program) || !FileExists(s.fs, in_windows)) return;
  // Keep using the Windows directory's settings when they cannot be copied,
  // rather than starting afresh beside them.
  if (!s.fs.CopyFile(in_windows, in_program).ok()) s.places.IniPath = in_windows;
  s.profiles.Flush();
}

std::string IniDirectory(const AppState& s) {
  const std::string& path = s.places.IniPath;
  const std::size_t cut = path.rfind('\\');
  if (cut == std::string::npos) return {};
  // A file in a drive root keeps the root's backslash.
  return path.substr(0, cut == 2 ? 3 : cut);
}

}  // namespace velqo
