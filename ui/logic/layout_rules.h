#pragma once

namespace velqo::ui {

// The smallest size of the main window.
struct MinimumSize {
  int width = 0;
  int height = 0;
};
MinimumSize MainMinimumSize(bool large_caption);

// Control sizes of the batch panel from its width and height.
struct BatchLayout {
  int update_width = 0;
  int batch_combo_width = 0;
  int pairs_width = 0;
  int pairs_height = 0;
};
BatchLayout ComputeBatchLayout(bool large_caption, int width, int height);

// Control places and sizes of the directory panel from its width and
// height; the width beyond the minimum is shared equally by the columns.
struct DirectoryLayout {
  int edit_width = 0;
  int update_width = 0;
  int column2_left = 0;  // LD2, the Dir 2 tree and DC2
  int tree_height = 0;
  int tree_width = 0;    // both trees and both drive selectors
  int drive_top = 0;     // DC1 and DC2
};
DirectoryLayout ComputeDirectoryLayout(bool large_caption, int width, int height);

// The row of the Update button: Update, then the Preview button at its
// right end, together as wide as the layout's update width.
struct UpdateRow {
  int update_width = 0;
  int preview_left = 0;
  int preview_width = 0;
};
UpdateRow SplitUpdateRow(bool large_caption, int left, int width);

// A title bar this high or higher selects the large set of constants.
inline constexpr int kLargeCaptionHeight = 23;

// The narrowest window whose title bar shows its whole caption, a text
// text_width pixels wide, in a title bar caption_height high (0: not known).
inline constexpr int kCaptionMargin = 12;
int CaptionFitWidth(int text_width, int caption_height);

}  // namespace velqo::ui
