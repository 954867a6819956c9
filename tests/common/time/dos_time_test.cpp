#include "common/time/dos_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/posix/posix_platform.h"
#include "tests/support/sandbox.h"

namespace velqo {
namespace {

// Sets TZ for one test and restores the previous zone afterwards.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) saved_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (saved_) {
      setenv("TZ", saved_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::optional<std::string> saved_;
};

LocalTime At(int y, int mo, int d, int h, int mi, int s, int ms = 0) { return LocalTime{y, mo, d, h, mi, s, ms}; }

std::string Text(const LocalTime& t) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return buffer;
}

std::string Packed(const LocalTime& t) { return Text(UnpackDosTime(PackDosTime(t))); }

std::uint32_t FromUnix(std::time_t seconds, long nanoseconds = 0) {
  std::timespec ts{};
  ts.tv_sec = seconds;
  ts.tv_nsec = nanoseconds;
  return DosTimeFromTimespec(ts);
}

TEST(DosTimeTest, PacksDateHighAndTimeLow) {
  // 2024-03-05 13:47:22: year 44, month 3, day 5; hour 13, minute 47, 11 two-second units.
  const std::uint32_t packed = PackDosTime(At(2024, 3, 5, 13, 47, 22));
  EXPECT_EQ(packed >> 16, (44u << 9) | (3u << 5) | 5u);
  EXPECT_EQ(packed & 0xFFFFu, (13u << 11) | (47u << 5) | 11u);
  EXPECT_EQ(Text(UnpackDosTime(packed)), "2024-03-05 13:47:22");
}

TEST(DosTimeTest, OddSecondsAndFractionsRoundUpAcrossEveryBoundary) {
  EXPECT_EQ(Packed(At(2024, 3, 5, 13, 47, 23)), "2024-03-05 13:47:24");
  EXPECT_EQ(Packed(At(2024, 3, 5, 13, 47, 22, 1)), "2024-03-05 13:47:24");
  EXPECT_EQ(Packed(At(2024, 3, 5, 13, 47, 59)), "2024-03-05 13:48:00");
  EXPECT_EQ(Packed(At(2023, 2, 28, 23, 59, 59)), "2023-03-01 00:00:00");
  EXPECT_EQ(Packed(At(2024, 2, 28, 23, 59, 59)), "2024-02-29 00:00:00");
  EXPECT_EQ(Packed(At(2023, 12, 31, 23, 59, 58, 500)), "2024-01-01 00:00:00");
}

TEST(DosTimeTest, ClampsToTheRangeThePackedFormHolds) {
  EXPECT_EQ(Packed(At(1979, 12, 31, 23, 59, 59)), "1980-01-01 00:00:00");
  EXPECT_EQ(Packed(At(1601, 1, 1, 0, 0, 0)), "1980-01-01 00:00:00");
  EXPECT_EQ(Packed(At(2108, 1, 1, 0, 0, 0)), "2107-12-31 23:59:58");
  EXPECT_EQ(Packed(At(2107, 12, 31, 23, 59, 59)), "2107-12-31 23:59:58");
  // Nonsense fields never spill into their neighbours' bits.
  EXPECT_EQ(Packed(At(2000, 13, 40, 25, 61, 58)), "2000-12-31 23:59:58");

  ScopedTimeZone utc("UTC");
  EXPECT_EQ(Text(UnpackDosTime(FromUnix(0))), "1980-01-01 00:00:00");
  EXPECT_EQ(Text(UnpackDosTime(FromUnix(-5000000000LL))), "1980-01-01 00:00:00");
  EXPECT_EQ(Text(UnpackDosTime(FromUnix(9000000000LL))), "2107-12-31 23:59:58");
  EXPECT_EQ(Text(UnpackDosTime(FromUnix(1700000000, 1))), "2023-11-14 22:13:22");
  EXPECT_EQ(Text(UnpackDosTime(FromUnix(1700000001))), "2023-11-14 22:13:22");
}

TEST(DosTimeTest, EachTimeStampUsesTheDaylightSavingRuleOfItsOwnDate) {
  ScopedTimeZone berlin("Europe/Berlin");
  EXPECT_EQ(Text(UnpackDosTime(FromUnix(1610712000))), "2021-01-15 13:00:00");  // 12:00 UTC, winter
  EXPECT_EQ(Text(UnpackDosTime(FromUnix(1625140800))), "2021-07-01 14:00:00");  // 12:00 UTC, summer
  // The night the clocks went forward: 01:00 UTC on 2021-03-28.
  EXPECT_EQ(Text(UnpackDosTime(FromUnix(1616893198))), "2021-03-28 01:59:58");
  EXPECT_EQ(Text(UnpackDosTime(FromUnix(1616893199))), "2021-03-28 03:00:00");  // rounded past the change
}

TEST(DosTimeTest, DateTimeValueCountsDaysFromTheEndOf1899) {
  EXPECT_EQ(DateTimeValue(At(1899, 12, 30, 0, 0, 0)), 0.0L);
  EXPECT_EQ(DateTimeValue(At(1900, 1, 1, 0, 0, 0)), 2.0L);
  EXPECT_EQ(DateTimeValue(At(2000, 1, 1, 12, 0, 0)), 36526.5L);
  // Two seconds is more than the engine's tolerance, one unit of the packed form.
  const long double a = DosTimeToDateTime(PackDosTime(At(2020, 6, 1, 10, 0, 0)));
  const long double b = DosTimeToDateTime(PackDosTime(At(2020, 6, 1, 10, 0, 2)));
  EXPECT_NEAR(static_cast<double>(b - a), 2.0 / 86400.0, 1e-9);
}

TEST(DosTimeTest, SetLastWriteTimeReadsBackInSummerAndWinter) {
  ScopedTimeZone berlin("Europe/Berlin");
  testing::Sandbox sandbox;
  auto fs = NewPosixPlatform(sandbox.Config());
  sandbox.WriteFile("C:\\summer", "s");
  sandbox.WriteFile("C:\\winter", "w");
  ASSERT_TRUE(fs->SetLastWriteTime("C:\\summer", At(2021, 7, 1, 14, 0, 0)).ok());
  ASSERT_TRUE(fs->SetLastWriteTime("C:\\winter", At(2021, 1, 15, 13, 0, 0)).ok());
  EXPECT_EQ(sandbox.Mtime("C:\\summer"), 1625140800);
  EXPECT_EQ(sandbox.Mtime("C:\\winter"), 1610712000);
  std::unique_ptr<DirSearch> search;
  ASSERT_TRUE(fs->FindFirst("C:\\summer", kMaskAllFiles, &search).ok());
  FindData entry;
  ASSERT_TRUE(search->Next(&entry));
  EXPECT_EQ(Text(UnpackDosTime(entry.dos_time)), "2021-07-01 14:00:00");
}

// Many time stamps converted in a row give what each converted alone
// gives: across daylight-saving changes (an hour, half an hour), in a zone
// that counts leap seconds, at the clamps, and in any order.
TEST(DosTimeTest, AConverterOfManyTimesAgreesWithSingleConversions) {
  for (const char* zone : {"UTC", "Europe/Berlin", "America/New_York", "Australia/Lord_Howe",
                           "right/Europe/London", "EST5EDT,M3.2.0,M11.1.0", "Asia/Kathmandu"}) {
    ScopedTimeZone tz(zone);
    DosTimeConverter converter;
    std::vector<std::timespec> stamps;
    // Every 997 seconds through a year with both changes, with fractions.
    for (std::time_t t = 1583020800; t < 1614556800; t += 997) {
      stamps.push_back(std::timespec{t, (t % 3 == 0) ? 500000000L : 0L});
    }
    // Around the clamps and the ends of whole days, and the edges.
    for (const std::time_t t : {std::time_t{0}, std::time_t{315532799}, std::time_t{315532800},
                                std::time_t{315619199}, std::time_t{4354819199}, std::time_t{4354819200},
                                std::time_t{4354905599}, std::time_t{4354905600}, std::time_t{5000000000},
                                std::time_t{1483228799}, std::time_t{1483228800}, std::time_t{-5}}) {
      stamps.push_back(std::timespec{t, 0});
      stamps.push_back(std::timespec{t, 1});
    }
    // Back and forth, as directory order gives them.
    for (std::size_t i = 0; i + 1 < stamps.size(); i += 7) std::swap(stamps[i], stamps[stamps.size() - 1 - i]);
    for (const std::timespec& ts : stamps) {
      ASSERT_EQ(converter.FromTimespec(ts), DosTimeFromTimespec(ts)) << zone << " at " << ts.tv_sec << "." << ts.tv_nsec;
    }
  }
}

}  // namespace
}  // namespace velqo
