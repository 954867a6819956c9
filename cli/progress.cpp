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
  copy_done_ = done;
  copy_total_ = total;
  // The end of a copy is drawn at once so the walk line comes back.
  Draw(!copying_);
}

void ProgressDisplay::Clear() {
  if (!enabled_ || !drawn_) return;
  err_ << "\r\x1b[K" << std::flush;
  drawn_ = false;
  // The next progress call redraws without waiting for the interval.
  last_draw_ = {};
}

std::string ProgressDisplay::CurrentLine() const {
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
