#include "ui/logic/layout_rules.h"

namespace velqo::ui {

MinimumSize MainMinimumSize(bool large_caption) {
  return large_caption ? MinimumSize{482, 514} : MinimumSize{406, 414};
}

BatchLayout ComputeBatchLayout(bool large_caption, int width, int height) {
  if (large_caption) return {width - 30, width - 126, width - 30, height - 97};
  return {width - 24, width - 105, width - 24, height - 77};
}

UpdateRow SplitUpdateRow(bool large_caption, int left, int width) {
  const int preview = large_caption ? 116 : 96;
  const int gap = large_caption ? 8 : 6;
  return {width - preview - gap, left + width - preview, preview};
}

DirectoryLayout ComputeDirectoryLayout(bool large_caption, int width, int height) {
  DirectoryLayout l;
  // C++ division truncates toward zero, as the shared width must.
  if (large_caption) {
    const int share = (width - 474) / 2;
    l = {width - 93, width - 30, share + 245, height - 152, share + 215, height - 37};
  } else {
    const int share = (width - 398) / 2;
    l = {width - 77, width - 24, share + 206, height - 127, share + 179, height - 30};
  }
  return l;
}

}  // namespace velqo::ui

namespace velqo::ui {

int CaptionFitWidth(int text_width, int caption_height) {
  const int button = caption_height > 0 ? caption_height : 24;
  // The window icon and three title bar buttons, each about as wide as the
  // bar is high, and a margin at each end.
  return text_width + 4 * button + 2 * kCaptionMargin;
}

}  // namespace velqo::ui
