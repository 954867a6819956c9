// Runs of velqo-cli with nothing on standard input: every question takes the
// answer that changes the least on disk, the run says how many questions it
// answered so, and it ends with exit status 2.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <string>

#include "common/host/safe_answers.h"
#include "tests/cli/cli_fixture.h"

namespace velqo::cli {
namespace {

// Sets a directory's immutable flag for the life of the object.
class Immutable {
 public:
  explicit Immutable(const std::string& dir) : fd_(open(dir.c_str(), O_RDONLY | O_DIRECTORY)) {
    on_ = fd_ >= 0 && Change(true);
  }
  ~Immutable() {
    if (on_) Change(false);
    if (fd_ >= 0) close(fd_);
  }
  Immutable(const Immutable&) = delete;
  Immutable& operator=(const Immutable&) = delete;
  bool on() const { return on_; }

 private:
  bool Change(bool set) {
    int flags = 0;
    if (ioctl(fd_, FS_IOC_GETFLAGS, &flags) != 0) return false;
    flags = set ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    return ioctl(fd_, FS_IOC_SETFLAGS, &flags) == 0;
  }
  int fd_;
  bool on_ = false;
};

const std::string kOneUnanswered = "velqo-cli: 1 question was answered by end of input\n";

class EndOfInput : public CliEndToEnd {
 protected:
  // The first run, then plain settings: one pair, no confirmation, no log.
  void FirstRun() {
    ASSERT_EQ(Run({}).exit_status, 0);
    SetIni({{"EnableLog", "0"}, {"ConfirmEveryFile", "0"}, {"CreateBackup", "0"}});
  }

  void File(const std::string& path, const std::string& bytes, long mtime) {
    sandbox.WriteFile(path, bytes);
    sandbox.SetMtime(path, mtime);
  }

  // The run's outcome as the reader sees it: the echoed answer, the
  // note on stderr and the exit status.
  void ExpectAnswered(const ChildResult& r, const std::string& prompt_and_answer) {
    EXPECT_NE(r.out.find(prompt_and_answer + " (end of input)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(kOneUnanswered), std::string::npos) << r.err;
    EXPECT_EQ(r.exit_status, 2) << r.out << r.err;
  }
};

TEST_F(EndOfInput, TheSizeDropWarningBypassesThePairAndKeepsTheLargerFile) {
  FirstRun();
  File("C:\\src\\thesis.pdf", std::string(15000, 'T'), 1700000000);
  File("D:\\dst\\thesis.pdf", "tiny", 1700009000);
  const ChildResult r = Run({"--both-ways", "--no-confirm", "--no-backup",
                             sandbox.HostPath("C:\\src"), sandbox.HostPath("D:\\dst")});
  ExpectAnswered(r, "(Yes/No) Yes");
  EXPECT_NE(r.err.find("Do You Wish To ByPass This File Pair?"), std::string::npos) << r.err;
  EXPECT_EQ(sandbox.ReadFile("C:\\src\\thesis.pdf"), std::string(15000, 'T'));
  EXPECT_EQ(sandbox.ReadFile("D:\\dst\\thesis.pdf"), "tiny");
}

TEST_F(EndOfInput, TheConfirmationsStopTheUpdateWithNothingCopiedOrDeleted) {
  FirstRun();
  File("C:\\src\\new.txt", "new", 1700000000);
  sandbox.MakeDir("D:\\dst");
  const std::string src = sandbox.HostPath("C:\\src");
  const std::string dst = sandbox.HostPath("D:\\dst");
  const ChildResult add = Run({"--add", "--confirm", src, dst});
  ExpectAnswered(add, kCopyPrompt + "Cancel UpDate");
  EXPECT_FALSE(sandbox.Exists("D:\\dst\\new.txt"));

  // A mirror's older copy: Dir 1's older version would replace Dir 2's.
  fsys::remove(sandbox.HostPath("C:\\src\\new.txt"));
  File("C:\\src\\old.txt", "older source", 1700000000);
  File("D:\\dst\\old.txt", "newer target", 1700009000);
  const std::string before = Snapshot(dst);
  const ChildResult older = Run({"--mirror", "--confirm", src, dst});
  ExpectAnswered(older, "(OK/OK To All/Next File/Next Directory/Cancel CleanUp) Cancel CleanUp");
  EXPECT_NE(older.out.find("But Will Be Used To Replace It"), std::string::npos) << older.out;
  EXPECT_EQ(Snapshot(dst), before);

  // A mirror's deletion of a file Dir 1 lacks.
  fsys::remove(sandbox.HostPath("C:\\src\\old.txt"));
  File("C:\\src\\kept.txt", "kept", 1700000000);
  File("D:\\dst\\kept.txt", "kept", 1700000000);
  const std::string with_extra = Snapshot(dst);
  const ChildResult deletion = Run({"--mirror", "--confirm", src, dst});
  ExpectAnswered(deletion, "(OK/OK To All/Next File/Next Directory/Cancel CleanUp) Cancel CleanUp");
  EXPECT_NE(deletion.out.find("Will Be DELETED"), std::string::npos) << deletion.out;
  EXPECT_EQ(Snapshot(dst), with_extra);
}

TEST_F(EndOfInput, MissingDirectoriesAreNotCreated) {
  FirstRun();
  SetIni({{"CreateNewDir", "0"}});
  File("C:\\src\\a.txt", "a", 1700000000);
  File("C:\\src\\sub\\b.txt", "b", 1700000000);

  const ChildResult top = Run({"--add", sandbox.HostPath("C:\\src"), sandbox.HostPath("D:\\new")});
  ExpectAnswered(top, "(Yes/No) No");
  EXPECT_FALSE(sandbox.Exists("D:\\new"));

  // Dir 2 is there, its subdirectory is not: the pair's question ends the run.
  sandbox.MakeDir("D:\\dst");
  const ChildResult sub =
      Run({"--add", "-r", sandbox.HostPath("C:\\src"), sandbox.HostPath("D:\\dst")});
  ExpectAnswered(sub, "(Yes/No/Cancel) Cancel");
  EXPECT_FALSE(sandbox.Exists("D:\\dst\\sub"));
}

TEST_F(EndOfInput, ACopyErrorEndsTheUpdate) {
  FirstRun();
  File("C:\\src\\a.txt", "a", 1700000000);
  File("C:\\src\\sub\\b.txt", "b", 1700000000);
  sandbox.MakeDir("D:\\dst\\sub");
  // Directories nothing can be written into, not even by root.
  const Immutable dst(sandbox.HostPath("D:\\dst"));
  const Immutable sub(sandbox.HostPath("D:\\dst\\sub"));
  if (!dst.on() || !sub.on()) GTEST_SKIP() << "cannot make a directory immutable here (not root?)";
  const ChildResult r =
      Run({"--add", "-r", sandbox.HostPath("C:\\src"), sandbox.HostPath("D:\\dst")});
  ExpectAnswered(r, "(OK/Cancel) Cancel");
  // The first failure's question is the only one: the next pair was not tried.
  EXPECT_EQ(Count(r.err, "Cannot Execute Copy Of"), 1) << r.out << r.err;
  EXPECT_EQ(r.out.find("Updating Directory " + sandbox.HostPath("C:\\src\\sub")), std::string::npos)
      << r.out;
  // Typed, the same Cancel is the user's: the run was cancelled.
  const ChildResult typed =
      Run({"--add", "-r", sandbox.HostPath("C:\\src"), sandbox.HostPath("D:\\dst")}, "cancel\n");
  EXPECT_EQ(typed.exit_status, 3) << typed.out << typed.err;
  EXPECT_EQ(Count(typed.err, "Cannot Execute Copy Of"), 1) << typed.err;
}

TEST_F(EndOfInput, AMirrorOfAnEmptySourceDeletesNothing) {
  FirstRun();
  sandbox.MakeDir("C:\\empty");
  File("D:\\dst\\keep.txt", "keep", 1700000000);
  const ChildResult r =
      Run({"--mirror", "--no-confirm", sandbox.HostPath("C:\\empty"), sandbox.HostPath("D:\\dst")});
  ExpectAnswered(r, "(Yes/No) No");
  EXPECT_EQ(sandbox.ReadFile("D:\\dst\\keep.txt"), "keep");
}

TEST_F(EndOfInput, AnAnswerTypedBeforeTheEndCountsAsGiven) {
  FirstRun();
  File("C:\\src\\thesis.pdf", std::string(15000, 'T'), 1700000000);
  File("D:\\dst\\thesis.pdf", "tiny", 1700009000);
  // "no" to the bypass question: the newer, smaller file replaces the
  // larger one, as asked, and the run is complete.
  const ChildResult r = Run({"--both-ways", "--no-confirm", "--no-backup",
                             sandbox.HostPath("C:\\src"), sandbox.HostPath("D:\\dst")},
                            "no\n");
  EXPECT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(r.err.find("answered by end of input"), std::string::npos);
  EXPECT_EQ(sandbox.ReadFile("C:\\src\\thesis.pdf"), "tiny");
}

TEST(EndOfInputManual, ListsEveryQuestionWithTheAnswerItTakes) {
  const std::string manual = ReadText(std::string(VELQO_SOURCE_DIR) + "/cli/velqo-cli.1");
  const std::size_t section = manual.find(".SH QUESTIONS");
  ASSERT_NE(section, std::string::npos);
  const std::string questions = manual.substr(section, manual.find(".SH ", section + 1) - section);
  const auto name = [](Answer a) {
    return a == Answer::kYes ? "Yes" : a == Answer::kNo ? "No" : a == Answer::kOk ? "OK" : "Cancel";
  };
  for (const SafeAnswerRule& rule : SafeAnswerRules()) {
    if (rule.caption.find("Template") != std::string_view::npos ||
        rule.caption.find(".OPT") != std::string_view::npos) {
      continue;  // the windowed program's own questions
    }
    const std::string entry = ".B [" + std::string(rule.caption) + "]\n";
    const std::size_t at = questions.find(entry);
    ASSERT_NE(at, std::string::npos) << rule.caption;
    const std::size_t next = questions.find(".TP", at);
    EXPECT_NE(questions.substr(at, next - at).find(std::string(".BR ") + name(rule.answer) + " :"),
              std::string::npos)
        << rule.caption;
  }
}

}  // namespace
}  // namespace velqo::cli
