#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

namespace velqo::cli {

// One line of progress on a terminal (standard error): the walk's
// directories done of total, or the file being copied with its bytes done
// while a long copy runs. Redrawn in place with "\r"; other output must call
// Clear first so that it starts on a clean line. Disabled, it writes nothing
// at all, so redirected standard error stays free of control characters.
class ProgressDisplay {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  ProgressDisplay(std::ostream& err, bool enabled, int width,
                  std::chrono::milliseconds interval = std::chrono::milliseconds(100),
                  Clock clock = std::chrono::steady_clock::now);

  bool enabled() const { return enabled_; }
  void SetWalkMaximum(int maximum);
  void SetWalkPosition(int position);
  // The file the next copy progress belongs to.
  void SetCurrentFile(std::string_view path);
  // How a file's path is shown (the host's form); as given when unset.
  void SetPathForm(std::function<std::string(std::string_view)> form) { form_ = std::move(form); }
  void OnCopyProgress(std::uint64_t done, std::uint64_t total);
  // The run's totals, known from a silent preview before it: from then on
  // the line shows files and bytes done of them, the rate and the time left.
  void SetTotals(std::uint64_t files, std::uint64_t bytes);
  // A file's copy has ended (done or failed): it counts as done.
  void OnFileDone(std::uint64_t bytes);
  // Erases the line drawn, if any.
  void Clear();

 private:
  void Draw(bool force);
  std::string CurrentLine() const;

  std::ostream& err_;
  bool enabled_;
  int width_;
  std::chrono::milliseconds interval_;
  Clock clock_;
  std::chrono::steady_clock::time_point last_draw_{};
  bool drawn_ = false;
  int walk_max_ = 0;
  int walk_pos_ = 0;
  std::string file_;
  std::function<std::string(std::string_view)> form_;
  bool copying_ = false;
  std::uint64_t copy_done_ = 0;
  std::uint64_t copy_total_ = 0;
  bool totals_known_ = false;
  std::uint64_t files_total_ = 0;
  std::uint64_t bytes_total_ = 0;
  std::uint64_t files_done_ = 0;
  std::uint64_t bytes_done_ = 0;     // of the files done
  std::uint64_t current_bytes_ = 0;  // of the copy in progress, until it is done
  std::chrono::steady_clock::time_point started_{};
};

// What RunLine shows.
struct RunProgress {
  std::uint64_t files_done = 0;
  std::uint64_t files_total = 0;
  std::uint64_t bytes_done = 0;
  std::uint64_t bytes_total = 0;
  double seconds = 0;  // since the run began
};

// "Files 12/340  1.2 MiB of 56.0 MiB  3.4 MiB/s  0:12 left  <path>" fitted
// to width columns, the path shortened from its left end; the rate and the
// time left once a second has gone by and something was copied.
std::string RunLine(const RunProgress& p, std::string_view path, int width);

// "Directories  120/200 [#####-----]  60%" fitted to width columns.
std::string WalkLine(int done, int total, int width);
// "Copying <path>  12.0 MiB of 64.0 MiB  18%" fitted to width columns, the
// path shortened from its left end ("...") when it does not fit.
std::string CopyLine(std::string_view path, std::uint64_t done, std::uint64_t total, int width);

}  // namespace velqo::cli
