#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/sandbox.h"
#include "ui/logic/appearance.h"
#include "ui/logic/drives.h"
#include "ui/logic/skins.h"

namespace velqo::ui {
namespace {

using velqo::testing::Sandbox;
using velqo::testing::SandboxTest;

class SkinsTest : public SandboxTest {
 protected:
  void WriteSkin(const std::string& file, const std::string& text) {
    std::filesystem::create_directories(sandbox.ProgramDir() + "/Skins");
    WriteHost(sandbox.ProgramDir() + "/Skins/" + file, text);
  }
  static void WriteHost(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
};

TEST_F(SkinsTest, ListsSkinFilesByNameAndReadsTheirStyleSheets) {
  WriteSkin("Ocean.skn", "QWidget { color: blue; }");
  WriteSkin("Gray Ghost.SKN", "QWidget { color: gray; }");
  WriteSkin("notes.txt", "not a skin");
  std::filesystem::create_directories(sandbox.ProgramDir() + "/Skins/Dir.skn");
  EXPECT_EQ(ListSkins(*fs), (std::vector<std::string>{"Gray Ghost", "Ocean"}));

  std::string sheet;
  ASSERT_TRUE(ReadSkin(*fs, "Ocean", &sheet).ok());
  EXPECT_EQ(sheet, "QWidget { color: blue; }");
  EXPECT_FALSE(ReadSkin(*fs, "None", &sheet).ok());
  EXPECT_FALSE(ReadSkin(*fs, "Missing", &sheet).ok());
}

TEST_F(SkinsTest, RefusesFilesThatCannotBeStyleSheets) {
  WriteSkin("Huge.skn", std::string(kMaxSkinBytes + 1, 'a'));
  WriteSkin("Binary.skn", std::string("QWidget {}\0junk", 15));
  std::string sheet = "unchanged";
  EXPECT_FALSE(ReadSkin(*fs, "Huge", &sheet).ok());
  EXPECT_FALSE(ReadSkin(*fs, "Binary", &sheet).ok());
  EXPECT_EQ(sheet, "unchanged");
}

TEST(AppearanceTest, StoredColoursAndFontStyles) {
  const auto grey = ColorFromStored("  12632256");
  ASSERT_TRUE(grey);
  EXPECT_EQ(grey->red, 192);
  EXPECT_EQ(grey->blue, 192);
  const auto blue = ColorFromStored("16711680");  // 0x00FF0000 is blue
  ASSERT_TRUE(blue);
  EXPECT_EQ(blue->blue, 255);
  EXPECT_EQ(blue->red, 0);
  EXPECT_FALSE(ColorFromStored("grey"));
  EXPECT_FALSE(ColorFromStored("99999999999"));

  const FontStyle style = FontStyleFromStored("[fsBold][fsStrikeOut]");
  EXPECT_TRUE(style.bold);
  EXPECT_FALSE(style.italic);
  EXPECT_FALSE(style.underline);
  EXPECT_TRUE(style.strike_out);
  EXPECT_FALSE(FontStyleFromStored("fsbold").bold);  // the names are case-sensitive
}

TEST(DrivesTest, OffersOnlyMappedDrivesWhoseRootExists) {
  Sandbox sandbox;
  PlatformConfig config = sandbox.Config();
  config.velqo_drives += ";F=" + sandbox.root() + "/unplugged";
  auto fs = NewPosixPlatform(config);
  std::string letters;
  for (const DriveEntry& drive : MappedDrives(*fs)) {
    letters += drive.letter;
    if (drive.letter == 'd') {
      EXPECT_EQ(drive.host_dir, sandbox.DriveDir('d'));
    }
  }
  // C, D, E of the sandbox and Z, the whole file system; not F.
  EXPECT_EQ(letters, "cdez");
}

}  // namespace
}  // namespace velqo::ui
