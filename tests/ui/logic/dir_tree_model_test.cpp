#include "ui/logic/dir_tree_model.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/platform/platform_ops.h"
#include "tests/support/sandbox.h"

namespace velqo::ui {
namespace {

using velqo::testing::SandboxTest;

class DirTreeModelTest : public SandboxTest {
 protected:
  DirTreeModelTest() : tree(*fs) {
    tree.SetOnChange([this] { ++changes; });
  }

  // The shown names of an item's children, in display order.
  std::vector<std::string> Children(int item) const {
    std::vector<std::string> names;
    for (int child : tree.item(item).children) names.push_back(tree.item(child).text);
    return names;
  }
  int Child(int item, const std::string& name) const {
    for (int child : tree.item(item).children) {
      if (tree.item(child).text == name) return child;
    }
    return DirTreeModel::kNone;
  }

  DirTreeModel tree;
  int changes = 0;
};

TEST_F(DirTreeModelTest, ListsOnlyDirectoriesWhoseAttributesAreAllSwitchedOn) {
  sandbox.MakeDir("C:\\plain");
  sandbox.MakeDir("C:\\archived");
  sandbox.MakeDir("C:\\locked");
  sandbox.MakeDir("C:\\.cache");
  sandbox.WriteFile("C:\\file.txt", "x");
  sandbox.SetReadOnly("C:\\locked", true);
  std::filesystem::create_directory_symlink(sandbox.HostPath("C:\\plain"), sandbox.HostPath("C:\\link"));
  const bool archive_stored = fs->SetAttributes("C:\\archived", kTreeArchive).ok();

  ASSERT_TRUE(tree.SetDriveLetter('C').ok());
  tree.Expand(tree.root());
  std::vector<std::string> expected = {"locked", "plain"};
  if (!archive_stored) expected.insert(expected.begin(), "archived");
  // Files, dot names and links (another attribute bit) never show.
  EXPECT_EQ(Children(tree.root()), expected);

  TreeSwitches switches;
  switches.read_only = false;
  switches.archive = true;
  tree.SetSwitches(switches);
  tree.Rebuild();
  tree.Expand(tree.root());
  EXPECT_EQ(Children(tree.root()), (std::vector<std::string>{"archived", "plain"}));
}

TEST_F(DirTreeModelTest, NamesAreShownInOneCaseAndSortedWhateverTheDirectoryOrder) {
  std::vector<std::string> names = {"b", "A", "c", "Program Files", "zeta", "Mid", "alpha", "b2",
                                    "Q", "k", "kk", "k0", "x", "yy", "e", "d", "f1", "f0"};
  for (const std::string& name : names) sandbox.MakeDir("C:\\" + name);
  sandbox.MakeDir("C:\\Program Files\\Tools");
  ASSERT_TRUE(tree.SetDriveLetter('c').ok());
  tree.Expand(tree.root());
  std::vector<std::string> shown = Children(tree.root());
  std::vector<std::string> sorted = shown;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(shown, sorted);
  EXPECT_EQ(shown.size(), names.size());
  EXPECT_EQ(shown.front(), "a");

  const int program_files = Child(tree.root(), "program files");
  ASSERT_NE(program_files, DirTreeModel::kNone);
  tree.Expand(program_files);
  EXPECT_EQ(tree.FullPath(tree.item(program_files).children.at(0)), "c:\\program files\\tools");

  tree.SetTextCase(TextCase::tcUpperCase);
  tree.Rebuild();
  tree.Expand(tree.root());
  EXPECT_EQ(tree.item(tree.root()).text, "C:\\");
  EXPECT_NE(Child(tree.root(), "PROGRAM FILES"), DirTreeModel::kNone);
}

TEST_F(DirTreeModelTest, ChangeDirectoryAndRebuildOpenTheTreeDownToThePath) {
  sandbox.MakeDir("C:\\Work\\Src\\Deep");
  sandbox.MakeDir("C:\\Other");
  ASSERT_TRUE(tree.SetDriveLetter('c').ok());
  changes = 0;
  ASSERT_TRUE(tree.ChangeDirectory("C:\\WORK\\src\\").ok());
  EXPECT_EQ(tree.current_directory(), "c:\\work\\src");
  EXPECT_EQ(changes, 1);
  tree.Rebuild();
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(tree.FullPath(tree.selected()), "c:\\work\\src");
  // Only the branch down to it is listed.
  EXPECT_EQ(tree.item(Child(tree.root(), "other")).data, 0);

  // The same directory in another spelling changes nothing.
  EXPECT_TRUE(tree.ChangeDirectory("c:\\Work\\Src").ok());
  EXPECT_EQ(changes, 2);
  // A relative text is taken against the working directory.
  ASSERT_TRUE(tree.ChangeDirectory("deep").ok());
  EXPECT_EQ(tree.current_directory(), "c:\\work\\src\\deep");
  ASSERT_TRUE(tree.ChangeDirectory("..\\..").ok());
  EXPECT_EQ(tree.current_directory(), "c:\\work");
}

TEST_F(DirTreeModelTest, AWalkSkipsComponentsThatAreNotThere) {
  sandbox.MakeDir("C:\\a\\c");
  ASSERT_TRUE(tree.SetDriveLetter('c').ok());
  // A component missing from the tree: the walk stays where it is and
  // looks for the next one at the same level.
  EXPECT_FALSE(tree.ChangeDirectory("c:\\a\\x\\c").ok());
  tree.Rebuild();
  EXPECT_EQ(tree.FullPath(tree.selected()), "c:\\a\\c");
}

TEST_F(DirTreeModelTest, ClickingARemovedDirectoryKeepsItsTextButNotTheWorkingDirectory) {
  sandbox.MakeDir("C:\\gone");
  sandbox.MakeDir("C:\\kept");
  ASSERT_TRUE(tree.SetDriveLetter('c').ok());
  tree.Expand(tree.root());
  const int gone = Child(tree.root(), "gone");
  std::filesystem::remove(sandbox.HostPath("C:\\gone"));
  changes = 0;
  tree.Click(gone);
  EXPECT_EQ(tree.current_directory(), "c:\\gone");
  EXPECT_EQ(changes, 0);
  EXPECT_TRUE(EqualsIgnoreCase(fs->CurrentDirectory(), "C:\\"));

  tree.Click(Child(tree.root(), "kept"));
  EXPECT_EQ(tree.current_directory(), "c:\\kept");
  EXPECT_EQ(changes, 1);
}

TEST_F(DirTreeModelTest, DriveSwitchesIgnoreBadAndUnchangedLettersAndFailOnMissingDrives) {
  sandbox.MakeDir("D:\\backup");
  ASSERT_TRUE(tree.SetDriveLetter('c').ok());
  const int generation = tree.generation();
  EXPECT_TRUE(tree.SetDriveLetter('C').ok());
  EXPECT_TRUE(tree.SetDriveLetter('1').ok());
  EXPECT_EQ(tree.generation(), generation);

  // Changing to another drive's directory switches the drive and keeps the
  // directory asked for.
  ASSERT_TRUE(tree.ChangeDirectory("D:\\backup").ok());
  EXPECT_EQ(tree.drive_letter(), 'd');
  EXPECT_EQ(tree.current_directory(), "d:\\backup");
  EXPECT_EQ(tree.FullPath(tree.selected()), "d:\\backup");

  EXPECT_FALSE(tree.SetDriveLetter('q').ok());
}

}  // namespace
}  // namespace velqo::ui
