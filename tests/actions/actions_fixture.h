#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "common/platform/platform_wrapper.h"
#include "tests/support/sandbox.h"

namespace velqo::testing {

// The real platform with the clock stopped, so headers and daily file names
// are known in advance.
class FixedClock : public PlatformWrapper {
 public:
  using PlatformWrapper::PlatformWrapper;
  LocalTime Now() override { return now; }
  LocalTime now{2004, 2, 1, 9, 5, 7, 0};
};

// A sandbox with logging on into C:\LOGS\LOG.TXT (appending, no header
// pending) and the program INI file at C:\WINVELQO.INI.
class ActionsTest : public SandboxTest {
 protected:
  ActionsTest() : clock(*fs) { Use(clock); }

  // Runs the state over another platform (a wrapper over `clock`).
  void Use(Platform& platform) {
    UsePlatform(platform);
    state->places.IniPath = "C:\\WINVELQO.INI";
    OptionSet& o = opt();
    o.EnableLog = 1;
    (void)o.LogFilePath.Assign("C:\\LOGS");
    o.AppendToFile = 1;
    o.CreateNewDir = 1;
    state->log.HeaderPending = false;
    sandbox.MakeDir("C:\\LOGS");
  }

  OptionSet& opt() { return state->opt.ActiveOptions; }

  // The one message box shown so far, checked whole.
  void ExpectOnlyBox(std::string_view text, std::string_view caption, Icon icon,
                     Buttons buttons) const {
    const std::vector<ShownBox> boxes = host.Messages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, text);
    EXPECT_EQ(boxes[0].caption, caption);
    EXPECT_EQ(boxes[0].icon, icon);
    EXPECT_EQ(boxes[0].buttons, buttons);
  }

  std::vector<std::string> LogLines(std::string_view file = "C:\\LOGS\\LOG.TXT") const {
    std::vector<std::string> lines;
    const std::string text = sandbox.ReadFile(file);
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
      lines.push_back(text.substr(start, end - start));
    }
    if (start < text.size()) lines.push_back(text.substr(start) + "<no line end>");
    return lines;
  }

  static std::time_t Local(int year, int month, int day, int hour, int minute, int second) {
    return LocalEpoch(year, month, day, hour, minute, second);
  }

  // A file with contents and a known time, captured into File1Data/File2Data.
  void MakeFile(std::string_view path, std::string_view contents = "data") {
    sandbox.WriteFile(path, contents);
    sandbox.SetMtime(path, Local(2003, 7, 4, 9, 5, 6));
  }

  FixedClock clock;
};

// The description CaptureFileInfo gives a file made by MakeFile.
inline std::string InfoOf(std::size_t size) {
  std::string digits = std::to_string(size);
  if (digits.size() < 8) digits.insert(0, 8 - digits.size(), ' ');
  return "07/04/03   09:05:06 AM   " + digits + " Bytes";
}

}  // namespace velqo::testing
