#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "actions/update_log.h"
#include "tests/actions/actions_fixture.h"

namespace velqo::testing {
namespace {

using FileInfo = ActionsTest;

// Reports every entry it finds with a size of 3 GB.
class ThreeGigabytes : public PlatformWrapper {
 public:
  using PlatformWrapper::PlatformWrapper;
  Status FindFirst(std::string_view pattern, std::uint32_t mask,
                   std::unique_ptr<DirSearch>* search) override {
    Status status = target().FindFirst(pattern, mask, search);
    if (status.ok()) *search = std::make_unique<Resized>(std::move(*search));
    return status;
  }

 private:
  class Resized : public DirSearch {
   public:
    explicit Resized(std::unique_ptr<DirSearch> inner) : inner_(std::move(inner)) {}
    bool Next(FindData* entry) override {
      if (!inner_->Next(entry)) return false;
      entry->size = 3221225472ULL;
      return true;
    }

   private:
    std::unique_ptr<DirSearch> inner_;
  };
};

TEST_F(FileInfo, DescribesDateTimeAndSizeInFixedColumns) {
  sandbox.WriteFile("C:\\A\\EMPTY.TXT", "");
  sandbox.SetMtime("C:\\A\\EMPTY.TXT", Local(1999, 12, 31, 23, 59, 58));
  MakeFile("D:\\B\\BIG.DAT");
  std::filesystem::resize_file(sandbox.HostPath("D:\\B\\BIG.DAT"), 123456789);
  sandbox.SetMtime("D:\\B\\BIG.DAT", Local(2003, 7, 4, 9, 5, 6));

  CaptureFileInfo(*state, "C:\\A\\EMPTY.TXT", 1);
  CaptureFileInfo(*state, "D:\\B\\BIG.DAT", 4);
  EXPECT_EQ(state->File1Data.str(), "12/31/99   11:59:58 PM          0 Bytes");
  EXPECT_EQ(state->File2Data.str(), "07/04/03   09:05:06 AM   123456789 Bytes");

  state->intl.clock24 = 1;
  state->intl.date_order = 1;
  state->intl.date_sep.assign(1, '.');  // (not "=": GCC 12 -O3 misreports it)
  CaptureFileInfo(*state, "C:\\A\\EMPTY.TXT", 3);
  EXPECT_EQ(state->File1Data.str(), "31.12.99   23:59:58           0 Bytes");
}

TEST_F(FileInfo, HiddenFilesAreDescribedAndVanishedOnesLeaveABlankColumn) {
  MakeFile("C:\\A\\SECRET.TXT", "12345");
  ASSERT_TRUE(state->fs.SetAttributes("C:\\A\\SECRET.TXT", kAttrHidden | kAttrSystem).ok());
  CaptureFileInfo(*state, "C:\\A\\SECRET.TXT", 2);
  EXPECT_EQ(state->File2Data.str(), InfoOf(5));

  // A name the search would take for a pattern describes that file only.
  MakeFile("C:\\A\\S*.TXT", "1234567");
  CaptureFileInfo(*state, "C:\\A\\S*.TXT", 1);
  EXPECT_EQ(state->File1Data.str(), InfoOf(7));

  CaptureFileInfo(*state, "C:\\A\\GONE.TXT", 2);
  EXPECT_EQ(state->File2Data.str(), std::string(39, ' '));
  CaptureFileInfo(*state, "C:\\A\\SECRET.TXT", 0);  // not a column
  EXPECT_EQ(state->File1Data.str(), InfoOf(7));
}

TEST_F(FileInfo, SizesFrom2GigabytesUpAreShownInFull) {
  ThreeGigabytes big(clock);
  Use(big);
  MakeFile("C:\\A\\DISK.IMG");
  CaptureFileInfo(*state, "C:\\A\\DISK.IMG", 1);
  EXPECT_EQ(state->File1Data.str(), "07/04/03   09:05:06 AM   3221225472 Bytes");
}

}  // namespace
}  // namespace velqo::testing
