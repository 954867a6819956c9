#include "cli/progress.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "common/preview/plan_text.h"
#include "common/text/printable.h"

namespace velqo::cli {

namespace {

constexpr int kMinWidth = 20;

int Percent(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return 100;
  done = std::min(done, total);
  // done * 100 would overflow only beyond 180 PB; divide first there.
  if (total > UINT64_MAX / 100) return static_cast<int>(done / (total / 100));
  return static_cast<int>(done * 100 / total);
}

std::string Fit(std::string line, int width) {
  if (static_cast<int>(line.size()) > width) line.resize(static_cast<std::size_t>(width));
  return line;
}

}  // namespace

std::string WalkLine(int done, int total, int width) {
  width = std::max(width, kMinWidth);
  total = std::max(total, 0);
  done = std::clamp(done, 0, total);
  const std::string count = std::to_string(done) + "/" + std::to_string(total);
  const int percent = total == 0 ? 100 : static_cast<int>(static_cast<std::int64_t>(done) * 100 / total);
  const std::string head = "Directories  " + count + " ";
  const std::string tail = "  " + std::to_string(percent) + "%";
  const int bar = width - 1 - static_cast<int>(head.size() + tail.size()) - 2;
  if (bar < 5) return Fit(head + tail, width - 1);
  const int filled = total == 0 ? bar : static_cast<int>(static_cast<std::int64_t>(done) * bar / total);
  std::string line = head + "[";
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(bar - filled), '-');
  line += "]" + tail;
  return line;
}

std::string CopyLine(std::string_view path, std::uint64_t done, std::uint64_t total, int width) {
  width = std::max(width, kMinWidth);
  done = std::min(done, total);
  const std::string tail = "  " + FormatBytes(done) + " of " + FormatBytes(total) + "  " +
                           std::to_string(Percent(done, total)) + "%";
  const std::string head = "Copying ";
  const int room = width - 1 - static_cast<int>(head.size() + tail.size());
  std::string shown(path);
  if (room < 8) return Fit(head + shown + tail, width - 1);
  if (static_cast<int>(shown.size()) > room) {
    shown = "..." + shown.substr(shown.size() - static_cast<std::size_t>(room - 3));
  }
  return head + shown + tail;
}

namespace {

std::string Clock(double seconds) {
  const auto total = static_cast<std::uint64_t>(seconds + 0.5);
  char text[32];
  if (total >= 3600) {
    std::snprintf(text, sizeof text, "%llu:%02llu:%02llu",
                  static_cast<unsigned long long>(total / 3600),
                  static_cast<unsigned long long>(total / 60 % 60),
                  static_cast<unsigned long long>(total % 60));
  } else {
    std::snprintf(text, sizeof text, "%llu:%02llu", static_cast<unsigned long long>(total / 60),
                  static_cast<unsigned long long>(total % 60));
  }
  return text;
}

}  // namespace

std::string RunLine(const RunProgress& p, std::string_view path, int width) {
  width = std::max(width, kMinWidth);
  const std::uint64_t done = std::min(p.bytes_done, p.bytes_total);
  std::string head = "Files " + std::to_string(std::min(p.files_done, p.files_total)) + "/" +
                     std::to_string(p.files_total) + "  " + FormatBytes(done) + " of " +
                     FormatBytes(p.bytes_total);
  if (p.seconds >= 1.0 && done > 0) {
    const double rate = static_cast<double>(done) / p.seconds;
    head += "  " + FormatBytes(static_cast<std::uint64_t>(rate)) + "/s  " +
            Clock(static_cast<double>(p.bytes_total - done) / rate) + " left";
  }
  if (path.empty()) return Fit(head, width - 1);
  head += "  ";
  const int room = width - 1 - static_cast<int>(head.size());
  if (room < 8) return Fit(head, width - 1);
  std::string shown(path);
  if (static_cast<int>(shown.size()) > room) {
    shown = "..." + shown.substr(shown.size() - static_cast<std::size_t>(room - 3));
  }
  return head + shown;
}

ProgressDisplay::ProgressDisplay(std::ostream& err, bool enabled, int width,
                                 std::chrono::milliseconds interval, Clock clock)
    : err_(err), enabled_(enabled), width_(width), interval_(interval), clock_(std::move(clock)) {}

void ProgressDisplay::SetWalkMaximum(int maximum) {
  walk_max_ = std::max(maximum, 0);
  Draw(true);
}

void ProgressDisplay::SetWalkPosition(int position) {
  walk_pos_ = position;
  // Position 0 is the run putting the bar back when it ends: the line goes.
  Draw(position <= 0 || position >= walk_max_);
}

void ProgressDisplay::SetCurrentFile(std::string_view path) {
  // Converted only where the line is drawn: a redirected run pays nothing.
  if (enabled_) file_ = Printable(form_ ? form_(path) : std::string(path), false);
}

void ProgressDisplay::OnCopyProgress(std::uint64_t done, std::uint64_t total) {
  copying_ = done < total;
  current_bytes_ = done;
  copy_done_ = done;
  copy_total_ = total;
  // The end of a copy is drawn at once so the walk line comes back.
  Draw(!copying_);
}

void ProgressDisplay::SetTotals(std::uint64_t files, std::uint64_t bytes) {
  totals_known_ = true;
  files_total_ = files;
  bytes_total_ = bytes;
  started_ = clock_();
}

void ProgressDisplay::OnFileDone(std::uint64_t bytes) {
  ++files_done_;
  bytes_done_ += bytes;
  current_bytes_ = 0;
  copying_ = false;
  Draw(false);
}

void ProgressDisplay::Clear() {
  if (!enabled_ || !drawn_) return;
  err_ << "\r\x1b[K" << std::flush;
  drawn_ = false;
  // The next progress call redraws without waiting for the interval.
  last_draw_ = {};
}

std::string ProgressDisplay::CurrentLine() const {
  if (totals_known_ && files_total_ > 0) {
    RunProgress p;
    p.files_done = files_done_;
    p.files_total = files_total_;
    p.bytes_done = bytes_done_ + current_bytes_;
    p.bytes_total = bytes_total_;
    p.seconds = std::chrono::duration<double>(clock_() - started_).count();
    return RunLine(p, file_, width_);
  }
  if (copying_) return CopyLine(file_, copy_done_, copy_total_, width_);
  if (walk_max_ > 0 && walk_pos_ > 0) return WalkLine(walk_pos_, walk_max_, width_);
  return {};
}

void ProgressDisplay::Draw(bool force) {
  if (!enabled_) return;
  const auto now = clock_();
  if (!force && drawn_ && now - last_draw_ < interval_) return;
  const std::string line = CurrentLine();
  if (line.empty()) {
    Clear();
    return;
  }
  err_ << "\r" << line << "\x1b[K" << std::flush;
  drawn_ = true;
  last_draw_ = now;
}

}  // namespace velqo::cli
