// Two-way syncs of real replicas by the built velqo-cli: what each side
// holds after the first sync, after edits, deletions and conflicts, and
// what the remembered state protects against.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "state/pair_key.h"
#include "tests/cli/cli_fixture.h"

namespace velqo::cli {
namespace {

class SyncEndToEnd : public CliEndToEnd {
 protected:
  SyncEndToEnd() {
    sandbox.MakeDir(kA);
    sandbox.MakeDir(kB);
  }

  ChildResult Sync(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--sync"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(sandbox.HostPath(kA));
    args.push_back(sandbox.HostPath(kB));
    return Run(args);
  }

  void Write(const std::string& windows, const std::string& text, std::time_t when) {
    sandbox.WriteFile(windows, text);
    sandbox.SetMtime(windows, when);
  }

  std::string Side(const char* top, const std::string& rel) const {
    std::string path = std::string(top) + "\\" + rel;
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
    return path;
  }
  bool Has(const char* top, const std::string& rel) const { return sandbox.Exists(Side(top, rel)); }
  std::string Text(const char* top, const std::string& rel) const { return sandbox.ReadFile(Side(top, rel)); }

  // Names of the conflict copies in a directory of one side.
  std::vector<std::string> ConflictCopies(const char* dir) const {
    std::vector<std::string> found;
    for (const std::string& name : DirEntries(dir)) {
      if (name.find(".conflict-") != std::string::npos) found.push_back(name);
    }
    return found;
  }

  // Both trees as a listing relative to their tops: equal when in step.
  // Each side keeps its own versions, which take no part in the sync.
  void ExpectInStep() const {
    EXPECT_EQ(WithoutVersions(Snapshot(sandbox.HostPath(kA))), WithoutVersions(Snapshot(sandbox.HostPath(kB))));
  }
  static std::string WithoutVersions(const std::string& snapshot) {
    std::string kept;
    std::istringstream in(snapshot);
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("/.velqo-versions", 0) != 0) kept += line + "\n";
    }
    return kept;
  }

  // The files kept in a side's versions folder, as "path=content" below
  // the run folders.
  std::vector<std::string> Versions(const char* top) const {
    std::vector<std::string> found;
    const std::filesystem::path folder = sandbox.HostPath(top) + "/.velqo-versions";
    if (!std::filesystem::exists(folder)) return found;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
      if (!e.is_regular_file()) continue;
      const std::string rel = std::filesystem::relative(e.path(), folder).string();
      found.push_back(rel.substr(rel.find('/') + 1) + "=" + ReadText(e.path().string()));
    }
    std::sort(found.begin(), found.end());
    return found;
  }

  std::string StateDb() const { return sandbox.root() + "/state/velqo/state.db"; }

  static constexpr const char* kA = "C:\\a";
  static constexpr const char* kB = "D:\\b";
};

TEST_F(SyncEndToEnd, TheFirstSyncMakesTheUnionOfBothTrees) {
  Write("C:\\a\\only-a.txt", "from a", 1700000000);
  Write("C:\\a\\sub\\deep.txt", "deep", 1700000100);
  Write("D:\\b\\only-b.txt", "from b", 1700000200);
  sandbox.MakeDir("D:\\b\\empty");
  Write("C:\\a\\same.txt", "same", 1700000300);
  Write("D:\\b\\same.txt", "same", 1700000300);

  const ChildResult r = Sync();
  EXPECT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(Text(kB, "only-a.txt"), "from a");
  EXPECT_EQ(Text(kB, "sub/deep.txt"), "deep");
  EXPECT_EQ(Text(kA, "only-b.txt"), "from b");
  EXPECT_TRUE(Has(kA, "empty"));
  ExpectInStep();

  // Nothing is left to do.
  const ChildResult again = Sync({"-n"});
  EXPECT_EQ(again.exit_status, 0) << again.err;
  EXPECT_EQ(LastLine(again.out), "0 copies, 0 deletions, 0 conflicts");
}

TEST_F(SyncEndToEnd, EditsAndNewEntriesOfEitherSideReachTheOther) {
  Write("C:\\a\\x.txt", "x1", 1700000000);
  Write("C:\\a\\y.txt", "y1", 1700000000);
  ASSERT_EQ(Sync().exit_status, 0);
  Write("C:\\a\\x.txt", "x2 from a", 1700001000);
  Write("D:\\b\\y.txt", "y2 from b", 1700002000);
  Write("D:\\b\\newdir\\n.txt", "new in b", 1700003000);

  const ChildResult r = Sync({"-v"});
  EXPECT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(Text(kB, "x.txt"), "x2 from a");
  EXPECT_EQ(Text(kA, "y.txt"), "y2 from b");
  EXPECT_EQ(Text(kA, "newdir/n.txt"), "new in b");
  // Itemized as the other modes itemize their changes.
  EXPECT_EQ(LinesWith(r.out, "update > x.txt").size(), 1u) << r.out;
  EXPECT_EQ(LinesWith(r.out, "update < y.txt").size(), 1u) << r.out;
  EXPECT_EQ(LinesWith(r.out, "mkdir < newdir").size(), 1u) << r.out;
  EXPECT_EQ(LinesWith(r.out, "copy < newdir/n.txt").size(), 1u) << r.out;
  ExpectInStep();
}

TEST_F(SyncEndToEnd, DeletionsOfFilesAndDirectoriesGoBothWays) {
  Write("C:\\a\\gone-in-a.txt", "1", 1700000000);
  Write("C:\\a\\kept.txt", "2", 1700000000);
  Write("C:\\a\\tree\\t1.txt", "3", 1700000000);
  Write("C:\\a\\tree\\inner\\t2.txt", "4", 1700000000);
  ASSERT_EQ(Sync().exit_status, 0);
  std::filesystem::remove(sandbox.HostPath("C:\\a\\gone-in-a.txt"));
  std::filesystem::remove_all(sandbox.HostPath("D:\\b\\tree"));

  const ChildResult r = Sync();
  EXPECT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_FALSE(Has(kB, "gone-in-a.txt"));
  EXPECT_FALSE(Has(kA, "tree"));
  EXPECT_TRUE(Has(kA, "kept.txt"));
  EXPECT_TRUE(Has(kB, "kept.txt"));
  ExpectInStep();
  // What each side lost is kept in its own versions folder, and no
  // versions folder travels to the other side.
  EXPECT_EQ(Versions(kB), std::vector<std::string>{"gone-in-a.txt=1"});
  EXPECT_EQ(Versions(kA), (std::vector<std::string>{"tree/inner/t2.txt=4", "tree/t1.txt=3"}));
  ASSERT_EQ(Sync().exit_status, 0);
  EXPECT_EQ(Versions(kB), std::vector<std::string>{"gone-in-a.txt=1"});
  EXPECT_FALSE(Has(kA, ".velqo-versions/gone-in-a.txt"));
}

TEST_F(SyncEndToEnd, ReplacedFilesAreKeptAsVersionsUnlessToldNot) {
  Write("C:\\a\\note.txt", "first", 1700000000);
  ASSERT_EQ(Sync().exit_status, 0);
  Write("D:\\b\\note.txt", "second", 1700000100);
  ASSERT_EQ(Sync().exit_status, 0);
  EXPECT_EQ(Text(kA, "note.txt"), "second");
  EXPECT_EQ(Versions(kA), std::vector<std::string>{"note.txt=first"});
  EXPECT_TRUE(Versions(kB).empty());

  Write("C:\\a\\note.txt", "third", 1700000200);
  std::filesystem::remove_all(sandbox.HostPath("C:\\a\\.velqo-versions"));
  const ChildResult r = Sync({"--no-versions"});
  EXPECT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(Text(kB, "note.txt"), "third");
  EXPECT_TRUE(Versions(kA).empty());
  EXPECT_TRUE(Versions(kB).empty());
}

TEST_F(SyncEndToEnd, ADirectoryDeletedOnOneSideKeepsWhatTheOtherChangedInIt) {
  Write("C:\\a\\tree\\old.txt", "old", 1700000000);
  Write("C:\\a\\tree\\edited.txt", "v1", 1700000000);
  Write("C:\\a\\keep.txt", "so that A is not empty", 1700000000);
  ASSERT_EQ(Sync().exit_status, 0);
  std::filesystem::remove_all(sandbox.HostPath("C:\\a\\tree"));
  Write("D:\\b\\tree\\edited.txt", "v2", 1700005000);

  const ChildResult r = Sync();
  EXPECT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_FALSE(Has(kB, "tree/old.txt"));
  EXPECT_EQ(Text(kB, "tree/edited.txt"), "v2");
  EXPECT_EQ(Text(kA, "tree/edited.txt"), "v2");
  ExpectInStep();
}

TEST_F(SyncEndToEnd, AChangeOnBothSidesIsAConflictThatLosesNeitherVersion) {
  Write("C:\\a\\doc.txt", "base", 1700000000);
  ASSERT_EQ(Sync().exit_status, 0);
  Write("C:\\a\\doc.txt", "edit in a (older)", 1700001000);
  Write("D:\\b\\doc.txt", "edit in b (newer)", 1700002000);

  const ChildResult r = Sync();
  EXPECT_EQ(r.exit_status, 2) << r.out << r.err;
  EXPECT_NE(r.err.find("conflict: doc.txt"), std::string::npos) << r.err;
  EXPECT_EQ(Text(kA, "doc.txt"), "edit in b (newer)");
  EXPECT_EQ(Text(kB, "doc.txt"), "edit in b (newer)");
  const std::vector<std::string> saved_a = ConflictCopies(kA);
  ASSERT_EQ(saved_a.size(), 1u);
  EXPECT_EQ(saved_a, ConflictCopies(kB));
  EXPECT_EQ(saved_a[0].rfind("doc.conflict-", 0), 0u) << saved_a[0];
  EXPECT_EQ(saved_a[0].substr(saved_a[0].size() - 4), ".txt");
  EXPECT_EQ(Text(kA, saved_a[0]), "edit in a (older)");
  EXPECT_EQ(Text(kB, saved_a[0]), "edit in a (older)");
  ExpectInStep();

  // Settled: the next sync has nothing to do.
  const ChildResult again = Sync();
  EXPECT_EQ(again.exit_status, 0) << again.err;
}

TEST_F(SyncEndToEnd, TheSameChangeOnBothSidesNeedsNothing) {
  Write("C:\\a\\doc.txt", "base", 1700000000);
  ASSERT_EQ(Sync().exit_status, 0);
  Write("C:\\a\\doc.txt", "same edit", 1700001000);
  Write("D:\\b\\doc.txt", "same edit", 1700001000);
  const ChildResult r = Sync({"-n"});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(LastLine(r.out), "0 copies, 0 deletions, 0 conflicts");
}

TEST_F(SyncEndToEnd, AnEditWinsOverADeletionAndIsBroughtBack) {
  Write("C:\\a\\doc.txt", "base", 1700000000);
  Write("C:\\a\\keep.txt", "so that A is not empty", 1700000000);
  ASSERT_EQ(Sync().exit_status, 0);
  std::filesystem::remove(sandbox.HostPath("C:\\a\\doc.txt"));
  Write("D:\\b\\doc.txt", "edited in b", 1700001000);

  const ChildResult r = Sync();
  EXPECT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(Text(kA, "doc.txt"), "edited in b");
  ExpectInStep();
}

TEST_F(SyncEndToEnd, ALostStateDeletesNothing) {
  Write("C:\\a\\one.txt", "1", 1700000000);
  Write("C:\\a\\two.txt", "2", 1700000000);
  ASSERT_EQ(Sync().exit_status, 0);
  std::filesystem::remove(sandbox.HostPath("C:\\a\\one.txt"));
  ASSERT_TRUE(std::filesystem::remove(StateDb()));
  std::filesystem::remove(StateDb() + "-wal");
  std::filesystem::remove(StateDb() + "-shm");

  const ChildResult r = Sync();
  EXPECT_EQ(r.exit_status, 0) << r.out << r.err;
  // Without the state the deletion looks like a file new in B.
  EXPECT_EQ(Text(kA, "one.txt"), "1");
  EXPECT_TRUE(Has(kB, "one.txt"));
  ExpectInStep();
}

TEST_F(SyncEndToEnd, AnEmptiedSideIsRefusedUnlessAllowed) {
  Write("C:\\a\\one.txt", "1", 1700000000);
  Write("C:\\a\\sub\\two.txt", "2", 1700000000);
  ASSERT_EQ(Sync().exit_status, 0);
  std::filesystem::remove_all(sandbox.HostPath("C:\\a\\one.txt"));
  std::filesystem::remove_all(sandbox.HostPath("C:\\a\\sub"));
  const std::string before = Snapshot(sandbox.HostPath(kB));

  const ChildResult refused = Sync();
  EXPECT_EQ(refused.exit_status, 2) << refused.out << refused.err;
  EXPECT_NE(refused.err.find("is empty"), std::string::npos) << refused.err;
  EXPECT_EQ(Snapshot(sandbox.HostPath(kB)), before);

  const ChildResult allowed = Sync({"--allow-empty-source"});
  EXPECT_EQ(allowed.exit_status, 0) << allowed.err;
  // What B held is kept in its versions folder, all that is left there.
  EXPECT_EQ(DirEntries(kB), std::vector<std::string>{".velqo-versions"});
  EXPECT_EQ(Versions(kB), (std::vector<std::string>{"one.txt=1", "sub/two.txt=2"}));
}

TEST_F(SyncEndToEnd, MaxDeleteStopsASyncThatWouldDeleteMore) {
  for (const char* name : {"1.txt", "2.txt", "3.txt"}) Write(std::string("C:\\a\\") + name, name, 1700000000);
  ASSERT_EQ(Sync().exit_status, 0);
  std::filesystem::remove(sandbox.HostPath("C:\\a\\1.txt"));
  std::filesystem::remove(sandbox.HostPath("C:\\a\\2.txt"));
  Write("C:\\a\\3.txt", "changed", 1700009000);

  const ChildResult r = Sync({"--max-delete=1"});
  EXPECT_EQ(r.exit_status, 2) << r.err;
  EXPECT_TRUE(Has(kB, "1.txt"));
  EXPECT_EQ(Text(kB, "3.txt"), "3.txt");
  EXPECT_EQ(Sync({"--max-delete=2"}).exit_status, 0);
  EXPECT_FALSE(Has(kB, "1.txt"));
}

TEST_F(SyncEndToEnd, APreviewListsEveryDecisionAndChangesNothingNotEvenTheState) {
  Write("C:\\a\\gone.txt", "1", 1700000000);
  Write("C:\\a\\edit.txt", "2", 1700000000);
  ASSERT_EQ(Sync().exit_status, 0);
  std::filesystem::remove(sandbox.HostPath("C:\\a\\gone.txt"));
  Write("D:\\b\\edit.txt", "edited", 1700001000);
  const std::string a = Snapshot(sandbox.HostPath(kA));
  const std::string b = Snapshot(sandbox.HostPath(kB));

  const ChildResult preview = Sync({"-n"});
  EXPECT_EQ(preview.exit_status, 0) << preview.err;
  EXPECT_EQ(LinesWith(preview.out, "delete in B  gone.txt").size(), 1u) << preview.out;
  EXPECT_EQ(LinesWith(preview.out, "copy B->A  edit.txt").size(), 1u) << preview.out;
  EXPECT_EQ(Snapshot(sandbox.HostPath(kA)), a);
  EXPECT_EQ(Snapshot(sandbox.HostPath(kB)), b);

  // Had the preview written its state, gone.txt would now look new in B.
  ASSERT_EQ(Sync().exit_status, 0);
  EXPECT_FALSE(Has(kB, "gone.txt"));
  EXPECT_EQ(Text(kA, "edit.txt"), "edited");
}

TEST_F(SyncEndToEnd, APreviewOfAPairNeverSyncedMakesNoStateDatabase) {
  Write("C:\\a\\x.txt", "1", 1700000000);
  const ChildResult r = Sync({"-n"});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(LinesWith(r.out, "copy A->B  x.txt").size(), 1u) << r.out;
  EXPECT_FALSE(std::filesystem::exists(StateDb()));
  EXPECT_FALSE(Has(kB, "x.txt"));
}

TEST_F(SyncEndToEnd, ASecondSyncOfThePairIsRefusedWhileOneRuns) {
  Write("C:\\a\\x.txt", "1", 1700000000);
  ASSERT_EQ(Sync().exit_status, 0);
  Write("C:\\a\\x.txt", "2", 1700001000);
  std::string real_a;
  std::string real_b;
  ASSERT_TRUE(state::RealPath(sandbox.HostPath(kA), &real_a).ok());
  ASSERT_TRUE(state::RealPath(sandbox.HostPath(kB), &real_b).ok());
  {
    // B A is the same pair as A B.
    state::PairLock running;
    ASSERT_TRUE(state::PairLock::Acquire(sandbox.root() + "/state/velqo", state::MakePairKey(real_b, real_a),
                                         false, &running)
                    .ok());
    const ChildResult r = Sync();
    EXPECT_EQ(r.exit_status, 2) << r.err;
    EXPECT_NE(r.err.find("another sync of this pair is running"), std::string::npos) << r.err;
    EXPECT_EQ(Text(kB, "x.txt"), "1");
  }
  EXPECT_EQ(Sync().exit_status, 0);
  EXPECT_EQ(Text(kB, "x.txt"), "2");
}

TEST_F(SyncEndToEnd, TreesInsideEachOtherAreRefused) {
  sandbox.MakeDir("C:\\a\\inner");
  const ChildResult r = Run({"--sync", sandbox.HostPath(kA), sandbox.HostPath("C:\\a\\inner")});
  EXPECT_EQ(r.exit_status, 1) << r.err;
  EXPECT_NE(r.err.find("one lies inside the other"), std::string::npos) << r.err;
}

TEST_F(SyncEndToEnd, AFileReplacedByADirectoryOnOneSideIsReplacedOnTheOther) {
  Write("C:\\a\\item", "a file", 1700000000);
  Write("C:\\a\\keep.txt", "k", 1700000000);
  ASSERT_EQ(Sync().exit_status, 0);
  std::filesystem::remove(sandbox.HostPath("D:\\b\\item"));
  Write("D:\\b\\item\\inside.txt", "now a directory", 1700001000);

  const ChildResult r = Sync();
  EXPECT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(Text(kA, "item/inside.txt"), "now a directory");
  ExpectInStep();
}

TEST_F(SyncEndToEnd, AFileAgainstADirectoryKeepsTheDirectoryAndSavesTheFileOnBothSides) {
  Write("C:\\a\\item", "a file in a", 1700000000);
  Write("D:\\b\\item\\inside.txt", "a directory in b", 1700000000);

  const ChildResult r = Sync();
  EXPECT_EQ(r.exit_status, 2) << r.out << r.err;
  EXPECT_NE(r.err.find("conflict: item"), std::string::npos) << r.err;
  EXPECT_EQ(Text(kA, "item/inside.txt"), "a directory in b");
  const std::vector<std::string> saved = ConflictCopies(kA);
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(Text(kA, saved[0]), "a file in a");
  EXPECT_EQ(Text(kB, saved[0]), "a file in a");
  ExpectInStep();
  EXPECT_EQ(Sync().exit_status, 0);
}

TEST_F(SyncEndToEnd, ACopyThatFailsIsTriedAgainByTheNextSync) {
  Write("C:\\a\\doc.txt", "v1", 1700000000);
  ASSERT_EQ(Sync().exit_status, 0);
  Write("C:\\a\\doc.txt", "v2", 1700001000);
  sandbox.SetReadOnly("D:\\b\\doc.txt", true);

  const ChildResult failed = Sync({"-j"});
  EXPECT_EQ(failed.exit_status, 2) << failed.out << failed.err;
  EXPECT_EQ(Text(kB, "doc.txt"), "v1");
  // Had the state taken the copy for made, B's old file would now look
  // changed in B and be copied over A's edit.
  sandbox.SetReadOnly("D:\\b\\doc.txt", false);
  const ChildResult retried = Sync();
  EXPECT_EQ(retried.exit_status, 0) << retried.err;
  EXPECT_EQ(Text(kA, "doc.txt"), "v2");
  EXPECT_EQ(Text(kB, "doc.txt"), "v2");
}

TEST_F(SyncEndToEnd, ASyncKilledHalfwayLosesNothingAndTheNextOneFinishesIt) {
  constexpr int kFiles = 400;
  for (int i = 0; i < kFiles; ++i) {
    const std::string n = std::to_string(1000 + i);
    Write("C:\\a\\f" + n + ".txt", "a " + n, 1700000000 + i);
    Write("D:\\b\\g" + n + ".txt", "b " + n, 1700000000 + i);
  }
  {
    testing::ChildProcess child(program_, {"-v", "--sync", sandbox.HostPath(kA), sandbox.HostPath(kB)}, Env(),
                                sandbox.root());
    // Killed once it has reached the middle of the first side's files.
    child.WaitForOutput("f1200.txt", std::chrono::seconds(60));
    child.Signal(SIGKILL);
    (void)child.Finish();
  }
  const ChildResult r = Sync();
  EXPECT_EQ(r.exit_status, 0) << r.err;
  for (int i = 0; i < kFiles; i += 37) {
    const std::string n = std::to_string(1000 + i);
    EXPECT_EQ(Text(kB, "f" + n + ".txt"), "a " + n);
    EXPECT_EQ(Text(kA, "g" + n + ".txt"), "b " + n);
  }
  ExpectInStep();
  // The state matches the trees: nothing is left to do.
  const ChildResult again = Sync({"-n"});
  EXPECT_EQ(LastLine(again.out), "0 copies, 0 deletions, 0 conflicts");
}

}  // namespace
}  // namespace velqo::cli

namespace velqo::cli {
namespace {

TEST_F(SyncEndToEnd, FilesWithTheSameDataAreNoConflictWhateverTheirTimes) {
  Write("C:\\a\\doc.txt", "same bytes", 1700000000);
  Write("D:\\b\\doc.txt", "same bytes", 1700005000);
  Write("C:\\a\\other.txt", "other bytes", 1700000000);
  Write("D:\\b\\other.txt", "OTHER BYTES", 1700005000);

  const ChildResult r = Sync();
  EXPECT_EQ(r.exit_status, 2) << r.err;
  EXPECT_EQ(Count(r.err, "conflict: "), 1) << r.err;
  EXPECT_NE(r.err.find("conflict: other.txt"), std::string::npos) << r.err;
  EXPECT_EQ(sandbox.Mtime("C:\\a\\doc.txt"), 1700005000);
  ExpectInStep();
}

}  // namespace
}  // namespace velqo::cli

namespace velqo::cli {
namespace {

TEST_F(SyncEndToEnd, NamesThatDifferOnlyInCaseNeverReachEachOther) {
  Write("C:\\a\\doc.txt", "lower in a", 1700000000);
  Write("D:\\b\\Doc.txt", "upper in b", 1700000000);
  Write("C:\\a\\plain.txt", "p", 1700000000);

  const ChildResult r = Sync();
  EXPECT_EQ(r.exit_status, 2) << r.err;
  EXPECT_NE(r.err.find("differ only in case"), std::string::npos) << r.err;
  EXPECT_EQ(DirEntries(kA), (std::vector<std::string>{"doc.txt", "plain.txt"}));
  EXPECT_EQ(DirEntries(kB), (std::vector<std::string>{"Doc.txt", "plain.txt"}));
  EXPECT_EQ(Text(kA, "doc.txt"), "lower in a");
  EXPECT_EQ(sandbox.ReadFile("D:\\b\\Doc.txt"), "upper in b");
}

TEST_F(SyncEndToEnd, CaseTwinsHeldByBothSidesAreSyncedByTheirOwnNames) {
  Write("C:\\a\\doc.txt", "lower", 1700000000);
  Write("C:\\a\\Doc.txt", "upper", 1700000000);
  Write("D:\\b\\doc.txt", "lower", 1700000000);
  Write("D:\\b\\Doc.txt", "upper", 1700000000);
  ASSERT_EQ(Sync().exit_status, 0);
  Write("C:\\a\\Doc.txt", "upper edited", 1700001000);

  const ChildResult r = Sync();
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(sandbox.ReadFile("D:\\b\\Doc.txt"), "upper edited");
  EXPECT_EQ(sandbox.ReadFile("D:\\b\\doc.txt"), "lower");
}

}  // namespace
}  // namespace velqo::cli

namespace velqo::cli {
namespace {

TEST_F(SyncEndToEnd, TheLogRecordsEachActionOfTheSync) {
  Write("C:\\a\\new.txt", "n", 1700000000);
  Write("C:\\a\\gone.txt", "g", 1700000000);
  ASSERT_EQ(Sync().exit_status, 0);
  std::filesystem::remove(sandbox.HostPath("D:\\b\\gone.txt"));
  Write("D:\\b\\fresh.txt", "f", 1700001000);
  const std::string log = sandbox.root() + "/sync.log";

  const ChildResult r = Sync({"--log", "--log-file=" + log});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  const std::string text = ReadText(log);
  EXPECT_EQ(Count(text, "fresh.txt"), 2) << text;
  EXPECT_NE(text.find("was copied from"), std::string::npos) << text;
  EXPECT_NE(text.find("was deleted"), std::string::npos) << text;
  EXPECT_EQ(LastLine(text), "Synchronization Completed\r");
}

}  // namespace
}  // namespace velqo::cli

namespace velqo::cli {
namespace {

TEST_F(SyncEndToEnd, LinksAreSyncedAsLinksAndNeverFollowed) {
  const std::string outside = sandbox.root() + "/outside";
  std::filesystem::create_directories(outside);
  std::ofstream(outside + "/secret.txt") << "outside the trees";
  Write("C:\\a\\keep.txt", "k", 1700000000);
  std::filesystem::create_directory_symlink(outside, sandbox.HostPath("C:\\a\\elsewhere"));

  const ChildResult r = Sync();
  EXPECT_EQ(r.exit_status, 0) << r.err;
  const std::string copied = sandbox.HostPath("D:\\b\\elsewhere");
  ASSERT_TRUE(std::filesystem::is_symlink(copied));
  EXPECT_EQ(std::filesystem::read_symlink(copied), outside);

  // Deleting the link on one side deletes the link, not what it points to.
  std::filesystem::remove(copied);
  const ChildResult again = Sync();
  EXPECT_EQ(again.exit_status, 0) << again.err;
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(sandbox.HostPath("C:\\a\\elsewhere"))));
  EXPECT_EQ(ReadText(outside + "/secret.txt"), "outside the trees");
}

TEST_F(SyncEndToEnd, APermissionChangeIsAChangeToo) {
  Write("C:\\a\\tool.sh", "#!/bin/sh\n", 1700000000);
  ASSERT_EQ(Sync().exit_status, 0);
  std::filesystem::permissions(sandbox.HostPath("D:\\b\\tool.sh"), std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
  const ChildResult r = Sync();
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_NE(std::filesystem::status(sandbox.HostPath("C:\\a\\tool.sh")).permissions() &
                std::filesystem::perms::owner_exec,
            std::filesystem::perms::none);
}

TEST_F(SyncEndToEnd, ExcludedEntriesTakeNoPartOnEitherSide) {
  Write("C:\\a\\doc.txt", "d", 1700000000);
  Write("C:\\a\\scratch.tmp", "a's scratch", 1700000000);
  Write("D:\\b\\cache\\big.bin", "b's cache", 1700000000);

  const ChildResult r = Sync({"--exclude=*.tmp", "--exclude=cache/"});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_TRUE(Has(kB, "doc.txt"));
  EXPECT_FALSE(Has(kB, "scratch.tmp"));
  EXPECT_FALSE(Has(kA, "cache"));
  // Still excluded, their deletion on one side is nothing to the other.
  std::filesystem::remove(sandbox.HostPath("C:\\a\\scratch.tmp"));
  EXPECT_EQ(Sync({"--exclude=*.tmp", "--exclude=cache/"}).exit_status, 0);
  EXPECT_EQ(Text(kB, "cache/big.bin"), "b's cache");
}

}  // namespace
}  // namespace velqo::cli

namespace velqo::cli {
namespace {

TEST_F(SyncEndToEnd, AFailureIsSaidOnceAlsoWhenMaxDeleteCountsFirstAndAPreviewReportsIt) {
  Write("C:\\a\\doc.txt", "lower in a", 1700000000);
  Write("D:\\b\\Doc.txt", "upper in b", 1700000000);

  const ChildResult preview = Sync({"-n"});
  EXPECT_EQ(preview.exit_status, 2) << preview.err;
  EXPECT_EQ(Count(preview.err, "differ only in case"), 1) << preview.err;
  const ChildResult counted = Sync({"--max-delete=5"});
  EXPECT_EQ(counted.exit_status, 2) << counted.err;
  EXPECT_EQ(Count(counted.err, "differ only in case"), 1) << counted.err;
}

}  // namespace
}  // namespace velqo::cli
