#include "common/profile/profile.h"

#include <malloc.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/platform/platform_wrapper.h"
#include "tests/support/sandbox.h"

namespace velqo {
namespace {

using Names = std::vector<std::string>;

// The real platform, with reads or writes made to fail on demand and the
// writes that reached the disk counted.
class FaultyPlatform : public PlatformWrapper {
 public:
  using PlatformWrapper::PlatformWrapper;
  bool fail_writes = false;
  bool fail_reads = false;
  int writes = 0;
  Status ReadFile(std::string_view path, std::string* contents,
                  const FileAccess& access = {}) override {
    if (fail_reads) return Status::AccessDenied("read refused");
    return PlatformWrapper::ReadFile(path, contents, access);
  }
  Status WriteFile(std::string_view path, std::string_view contents, WriteMode mode,
                   const FileAccess& access = {}) override {
    if (fail_writes) return Status::NoSpace("disk full");
    if (mode != WriteMode::kReplaceAtomically) return Status::NotSupported("not atomic");
    ++writes;
    return PlatformWrapper::WriteFile(path, contents, mode, access);
  }
};

IniDocument Doc(std::string_view text) { return IniDocument::Parse(std::string(text)); }

TEST(IniDocumentTest, ReadsValuesAsWindowsDoes) {
  const IniDocument doc =
      Doc("  [ Main ]  \r\n"
          "  Path1 =  C:\\work  \r\n"
          "Quoted=\"  padded \"\r\n"
          "Single='x'\r\n"
          "Mismatched=\"x'\r\n"
          "Lone=\"\r\n"
          "  ; Hidden=1\r\n"
          "Equals=a=b\r\n"
          "Empty=\r\n");
  EXPECT_EQ(doc.Get("main", "PATH1"), "C:\\work");
  EXPECT_EQ(doc.Get("MAIN", " path1 "), "C:\\work");
  EXPECT_EQ(doc.Get("Main", "Quoted"), "  padded ");
  EXPECT_EQ(doc.Get("Main", "Single"), "x");
  EXPECT_EQ(doc.Get("Main", "Mismatched"), "\"x'");
  EXPECT_EQ(doc.Get("Main", "Lone"), "\"");
  EXPECT_EQ(doc.Get("Main", "Hidden"), std::nullopt);
  EXPECT_EQ(doc.Get("Main", "; Hidden"), std::nullopt);
  EXPECT_EQ(doc.Get("Main", "Equals"), "a=b");
  EXPECT_EQ(doc.Get("Main", "Empty"), "");
  EXPECT_EQ(doc.Get("Other", "Path1"), std::nullopt);
}

TEST(IniDocumentTest, EveryLineEndEndsALine) {
  const IniDocument doc = Doc("[s]\ra=1\nb=2\r\nc=3");
  EXPECT_EQ(doc.Get("s", "a"), "1");
  EXPECT_EQ(doc.Get("s", "b"), "2");
  EXPECT_EQ(doc.Get("s", "c"), "3");
}

TEST(IniDocumentTest, FirstOfDuplicatedKeysAndSectionsWins) {
  const IniDocument doc = Doc("[S]\nk=first\nK=second\nz=1\n[s]\nk=third\nlater=1\n");
  EXPECT_EQ(doc.Get("s", "k"), "first");
  EXPECT_EQ(doc.Get("s", "later"), std::nullopt);
  EXPECT_EQ(doc.KeyNames("s"), (Names{"k", "z"}));
  EXPECT_EQ(doc.SectionNames(), (Names{"S"}));
}

TEST(IniDocumentTest, ListsKeysInFileOrderSkippingOddLines) {
  const IniDocument doc = Doc("top=0\n[b]\nzeta=1\n;c=2\nnovalue\n=x\nAlpha=3\n\n[a]\nq=1\n");
  EXPECT_EQ(doc.KeyNames("B"), (Names{"zeta", "Alpha"}));
  EXPECT_EQ(doc.SectionNames(), (Names{"b", "a"}));
  EXPECT_TRUE(doc.KeyNames("missing").empty());
}

TEST(IniDocumentTest, HostileLinesParseAndSerializeUnchanged) {
  std::string text = "[\n[]\n=x\nkey\n]\n[a]b]c\n\xff\xfe=\x80\n";
  text += std::string("nul\0key=v\0w\n", 12);
  text += std::string(100000, 'x') + "=long\r\n\r\r\n\n";
  const IniDocument doc = Doc(text);
  EXPECT_EQ(doc.Serialize(), text);
  EXPECT_EQ(doc.SectionNames(), (Names{"", "a"}));
  EXPECT_EQ(doc.Get("a", "\xff\xfe"), "\x80");
  EXPECT_EQ(doc.Get("a", std::string("nul\0key", 7)), std::string("v\0w", 3));
  EXPECT_EQ(doc.Get("a", std::string(100000, 'x')), "long");
}

TEST(IniDocumentTest, ByteOrderMarkDoesNotHideTheFirstSection) {
  IniDocument doc = Doc("\xEF\xBB\xBF[WINVELQO]\r\nPath1=C:\\a\r\n");
  EXPECT_EQ(doc.Get("WINVELQO", "Path1"), "C:\\a");
  ASSERT_TRUE(doc.Set("WINVELQO", "Path1", "C:\\b"));
  EXPECT_EQ(doc.Serialize(), "\xEF\xBB\xBF[WINVELQO]\r\nPath1=C:\\b\r\n");
}

TEST(IniDocumentTest, UpdatesTheFirstKeyInPlaceKeepingEverythingElse) {
  IniDocument doc =
      Doc("; top\r\n[A]\r\n  KEY = old ; not a comment\r\nkey=dup\r\n; note\r\n[B]\r\nx=1\r\n");
  ASSERT_TRUE(doc.Set("a", "key", "new"));
  EXPECT_EQ(doc.Serialize(), "; top\r\n[A]\r\nKEY=new\r\nkey=dup\r\n; note\r\n[B]\r\nx=1\r\n");
}

TEST(IniDocumentTest, AddsKeyAfterLastKeyOfFirstSectionAndSectionAtEnd) {
  IniDocument doc = Doc("[A]\na=1\n\n; about B\n[B]\n[a]\nz=9\n; tail");
  ASSERT_TRUE(doc.Set("a", "b", "2"));
  ASSERT_TRUE(doc.Set("B", "c", "3"));
  ASSERT_TRUE(doc.Set("New", "d", "4"));
  EXPECT_EQ(doc.Serialize(),
            "[A]\na=1\nb=2\n\n; about B\n[B]\nc=3\n[a]\nz=9\n; tail\n[New]\nd=4\n");
}

TEST(IniDocumentTest, NewFileGetsCrLfAndCrLfFileStaysCrLf) {
  IniDocument fresh;
  ASSERT_TRUE(fresh.Set("S", "k", "v"));
  EXPECT_EQ(fresh.Serialize(), "[S]\r\nk=v\r\n");
  IniDocument crlf = Doc("[S]\r\nk=v");
  ASSERT_TRUE(crlf.Set("S", "n", "w"));
  EXPECT_EQ(crlf.Serialize(), "[S]\r\nk=v\r\nn=w\r\n");
}

TEST(IniDocumentTest, EditsNeverMergeNeighbouringLines) {
  IniDocument added = Doc("[s]\ra=1\r\n\n");
  ASSERT_TRUE(added.Set("s", "b", "2"));
  EXPECT_EQ(added.Serialize(), "[s]\ra=1\r\nb=2\r\n\n");
  IniDocument removed = Doc("[s]\rk=1\rx=2\n\n");
  removed.DeleteKey("s", "x");
  EXPECT_EQ(removed.Serialize(), "[s]\rk=1\r\n\n");
}

TEST(IniDocumentTest, QuotesValuesAReaderWouldChange) {
  IniDocument doc;
  for (std::string_view value :
       {" lead", "trail\t", "\"both\"", "'single'", "\"", "a \"mid\" b", ""}) {
    ASSERT_TRUE(doc.Set("S", "k", value));
    EXPECT_EQ(doc.Get("S", "k"), value);
    EXPECT_EQ(Doc(doc.Serialize()).Get("S", "k"), value);
  }
  ASSERT_TRUE(doc.Set("S", "k", "plain value"));
  EXPECT_EQ(doc.Serialize(), "[S]\r\nk=plain value\r\n");
}

TEST(IniDocumentTest, RefusesWhatCouldNotBeReadBack) {
  IniDocument doc = Doc("[S]\nk=v\n");
  const std::string before = doc.Serialize();
  EXPECT_FALSE(doc.Set("S", "k", "line\nbreak"));
  EXPECT_FALSE(doc.Set("S", "k", "carriage\rreturn"));
  EXPECT_FALSE(doc.Set("S", "k", std::string("zero\0", 5)));
  EXPECT_FALSE(doc.Set("S", "", "v"));
  EXPECT_FALSE(doc.Set("S", "a=b", "v"));
  EXPECT_FALSE(doc.Set("S", ";k", "v"));
  EXPECT_FALSE(doc.Set("S", "[k]", "v"));
  EXPECT_FALSE(doc.Set("S]x", "k", "v"));
  EXPECT_FALSE(doc.Set("S\n", "k", "v"));
  EXPECT_EQ(doc.Serialize(), before);
}

TEST(IniDocumentTest, DeletesEveryCopyOfAKeyOrSection) {
  IniDocument doc = Doc("[A]\nk=1\nK=2\nm=3\n[b]\nx=1\n[a]\nk=4\n");
  doc.DeleteKey("a", "k");
  EXPECT_EQ(doc.Serialize(), "[A]\nm=3\n[b]\nx=1\n[a]\nk=4\n");
  doc.DeleteSection("A");
  EXPECT_EQ(doc.Serialize(), "[b]\nx=1\n");
  EXPECT_EQ(doc.Get("a", "k"), std::nullopt);
  doc.DeleteKey("missing", "x");
  doc.DeleteSection("missing");
  EXPECT_EQ(doc.Serialize(), "[b]\nx=1\n");
}

// Settings files come from anywhere: a document must cost memory in
// proportion to its bytes, whatever their lines, not a fixed price per line.
TEST(IniDocumentTest, CostsMemoryInProportionToTheFile) {
  constexpr std::size_t kSize = 2u << 20;
  for (const std::string_view line : {std::string_view("\n"), std::string_view("k=\n"),
                                      std::string_view("[s]\r\n")}) {
    std::string bytes;
    bytes.reserve(kSize);
    while (bytes.size() + line.size() <= kSize) bytes += line;
    const std::size_t before = mallinfo2().uordblks;
    if (before == 0) GTEST_SKIP() << "this allocator does not report its use";
    const IniDocument doc = IniDocument::Parse(std::move(bytes));
    const std::size_t used = mallinfo2().uordblks - before;
    EXPECT_LT(used, 3 * kSize) << "lines of " << line.size() << " bytes";
    EXPECT_EQ(doc.Text().size() / line.size() * line.size(), doc.Text().size());
  }
}

class ProfileStoreTest : public testing::SandboxTest {
 protected:
  static constexpr std::string_view kIni = "C:\\WINVELQO.INI";
  ProfileStoreTest() { UsePlatform(platform); }

  ProfileStore& store() { return state->profiles; }
  void WriteIni(std::string_view text) { sandbox.WriteFile(kIni, text); }
  std::string ReadIni() { return sandbox.ReadFile(kIni); }

  FaultyPlatform platform{*fs};
};

TEST_F(ProfileStoreTest, ReadsIntoNCharactersAndTrimsDefaults) {
  WriteIni(std::string("[S]\nk=abcdef\nz=a\0b\n", 19));
  EXPECT_EQ(store().GetString(kIni, "S", "k", "", 4), "abc");
  EXPECT_EQ(store().GetString(kIni, "S", "k", "", 1), "");
  EXPECT_EQ(store().GetString(kIni, "S", "k", "", 0), "");
  EXPECT_EQ(store().GetString(kIni, "S", "k", "", 257), "abcdef");
  EXPECT_EQ(store().GetString(kIni, "S", "z", "", 257), "a");
  EXPECT_EQ(store().GetString(kIni, "S", "missing", "dflt  \t", 257), "dflt");
  EXPECT_EQ(store().GetString(kIni, "S", "missing", "  dflt", 4), "  d");
  EXPECT_EQ(store().GetString(kIni, "Nope", "k", "d ", 257), "d");
  EXPECT_EQ(store().GetString("C:\\absent.ini", "S", "k", "d", 257), "d");
}

TEST_F(ProfileStoreTest, ParsesIntegersLeniently) {
  WriteIni(
      "[S]\nplain=42\nneg=  -17xyz\nplus=+8\njunk=12abc\nnone=abc\nempty=\nquoted=\"7\"\n"
      "big=99999999999999999999\nsmall=-99999999999999999999\nmin=-2147483648\nhex=0x10\n");
  EXPECT_EQ(store().GetInt(kIni, "S", "plain", 5), 42);
  EXPECT_EQ(store().GetInt(kIni, "S", "neg", 5), -17);
  EXPECT_EQ(store().GetInt(kIni, "S", "plus", 5), 8);
  EXPECT_EQ(store().GetInt(kIni, "S", "junk", 5), 12);
  EXPECT_EQ(store().GetInt(kIni, "S", "none", 5), 0);
  EXPECT_EQ(store().GetInt(kIni, "S", "empty", 5), 0);
  EXPECT_EQ(store().GetInt(kIni, "S", "quoted", 5), 7);
  EXPECT_EQ(store().GetInt(kIni, "S", "big", 5), 2147483647);
  EXPECT_EQ(store().GetInt(kIni, "S", "small", 5), -2147483647 - 1);
  EXPECT_EQ(store().GetInt(kIni, "S", "min", 5), -2147483647 - 1);
  EXPECT_EQ(store().GetInt(kIni, "S", "hex", 5), 0);
  EXPECT_EQ(store().GetInt(kIni, "S", "missing", 5), 5);
  EXPECT_EQ(store().GetInt(kIni, "Other", "plain", -3), -3);
}

TEST_F(ProfileStoreTest, FirstWriteCreatesTheFileAndReadsSeeWritesAtOnce) {
  ASSERT_TRUE(store().WriteString(kIni, "WINVELQO", "Path1", "C:\\work").ok());
  EXPECT_EQ(ReadIni(), "[WINVELQO]\r\nPath1=C:\\work\r\n");
  EXPECT_EQ(store().GetString("c:/winvelqo.ini", "winvelqo", "PATH1", "", 257), "C:\\work");
  EXPECT_EQ(store().KeyNames(kIni, "WINVELQO"), (Names{"Path1"}));
  EXPECT_EQ(store().SectionNames(kIni), (Names{"WINVELQO"}));
}

TEST_F(ProfileStoreTest, EditsAHandWrittenCrLfFileInPlaceLeavingNoTemporaryFile) {
  WriteIni("; mine\r\n[WINVELQO]\r\nPath1=C:\\old\r\n\r\n[Batch1]\r\nDirPair1=a\r\n");
  ASSERT_TRUE(store().WriteString(kIni, "winvelqo", "PATH1", "C:\\new").ok());
  ASSERT_TRUE(store().WriteString(kIni, "WINVELQO", "LastBatch", "2").ok());
  EXPECT_EQ(
      ReadIni(),
      "; mine\r\n[WINVELQO]\r\nPath1=C:\\new\r\nLastBatch=2\r\n\r\n[Batch1]\r\nDirPair1=a\r\n");
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(sandbox.DriveDir('C'))) {
    EXPECT_EQ(entry.path().filename(), "WINVELQO.INI");
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

TEST_F(ProfileStoreTest, FlushMakesAnOutsideChangeVisible) {
  WriteIni("[S]\nk=1\n");
  EXPECT_EQ(store().GetInt(kIni, "S", "k", 0), 1);
  WriteIni("[S]\nk=2\n");
  EXPECT_EQ(store().GetInt(kIni, "S", "k", 0), 1);
  store().Flush();
  EXPECT_EQ(store().GetInt(kIni, "S", "k", 0), 2);
}

TEST_F(ProfileStoreTest, RefusedOrFailedWritesLeaveFileAndCacheUnchanged) {
  WriteIni("[S]\nk=old\n");
  EXPECT_EQ(store().WriteString(kIni, "S", "k", "two\r\nlines").code(),
            Status::Code::kInvalidArgument);
  platform.fail_writes = true;
  EXPECT_EQ(store().WriteString(kIni, "S", "k", "new").code(), Status::Code::kNoSpace);
  EXPECT_EQ(store().DeleteKey(kIni, "S", "k").code(), Status::Code::kNoSpace);
  EXPECT_EQ(store().DeleteSection(kIni, "S").code(), Status::Code::kNoSpace);
  EXPECT_EQ(ReadIni(), "[S]\nk=old\n");
  EXPECT_EQ(store().GetString(kIni, "S", "k", "", 257), "old");
  EXPECT_EQ(platform.writes, 0);

  platform.fail_writes = false;
  EXPECT_FALSE(store().WriteString("C:\\missing\\A.INI", "S", "k", "v").ok());
  EXPECT_FALSE(sandbox.Exists("C:\\missing"));
}

TEST_F(ProfileStoreTest, UnreadableFileIsNeverOverwritten) {
  WriteIni("[S]\nkeep=1\n");
  platform.fail_reads = true;
  EXPECT_EQ(store().GetInt(kIni, "S", "keep", 9), 9);
  EXPECT_EQ(store().WriteString(kIni, "S", "k", "v").code(), Status::Code::kAccessDenied);
  EXPECT_EQ(ReadIni(), "[S]\nkeep=1\n");
  platform.fail_reads = false;
  EXPECT_EQ(store().GetInt(kIni, "S", "keep", 9), 1);
}

TEST_F(ProfileStoreTest, DeletesWithoutTouchingAFileThatDoesNotChange) {
  WriteIni("[S]\nk=1\n[T]\nx=1\n");
  ASSERT_TRUE(store().DeleteKey(kIni, "S", "missing").ok());
  ASSERT_TRUE(store().DeleteSection("C:\\absent.ini", "S").ok());
  EXPECT_EQ(platform.writes, 0);
  EXPECT_FALSE(sandbox.Exists("C:\\absent.ini"));
  ASSERT_TRUE(store().DeleteKey(kIni, "S", "K").ok());
  ASSERT_TRUE(store().DeleteSection(kIni, "t").ok());
  EXPECT_EQ(ReadIni(), "[S]\n");
}

TEST_F(ProfileStoreTest, EveryWriteStartsFromTheFileAsItIsOnDiskNow) {
  WriteIni("[WINVELQO]\r\nCleanUp=0\r\n");
  EXPECT_EQ(store().GetInt(kIni, "WINVELQO", "CleanUp", 9), 0);
  // Someone edits the file while the program holds its copy.
  WriteIni("[WINVELQO]\r\nCleanUp=1\r\n[Batch1]\r\nDirPair1=C:\\!D:\\\r\n");
  ASSERT_TRUE(store().WriteString(kIni, "WINVELQO", "LastLogFile", "C:\\LOG\\LOG.TXT").ok());
  EXPECT_EQ(ReadIni(),
            "[WINVELQO]\r\nCleanUp=1\r\nLastLogFile=C:\\LOG\\LOG.TXT\r\n"
            "[Batch1]\r\nDirPair1=C:\\!D:\\\r\n");
  // The written file is what reads see from then on.
  EXPECT_EQ(store().GetInt(kIni, "WINVELQO", "CleanUp", 9), 1);
}

TEST_F(ProfileStoreTest, HeldWritesReadAtOnceAndReachTheFileInOneReplacement) {
  WriteIni("[S]\nk=1\ngone=x\n");
  store().BeginWrites(kIni);
  ASSERT_TRUE(store().WriteString(kIni, "S", "a", "1").ok());
  store().BeginWrites(kIni);  // a writer called from within a load
  ASSERT_TRUE(store().WriteString(kIni, "S", "k", "2").ok());
  ASSERT_TRUE(store().DeleteKey(kIni, "S", "gone").ok());
  EXPECT_TRUE(store().EndWrites(kIni).ok());
  EXPECT_EQ(store().GetInt(kIni, "S", "k", 0), 2);
  EXPECT_EQ(store().KeyNames(kIni, "S"), (Names{"k", "a"}));
  EXPECT_EQ(platform.writes, 0);
  EXPECT_EQ(ReadIni(), "[S]\nk=1\ngone=x\n");
  // An edit made meanwhile survives, and a flush does not lose held writes.
  WriteIni("[S]\nk=1\ngone=x\n[T]\nnew=1\n");
  store().Flush();
  EXPECT_EQ(store().GetInt(kIni, "S", "k", 0), 2);
  ASSERT_TRUE(store().WriteString(kIni, "S", "b", "3").ok());
  EXPECT_TRUE(store().EndWrites(kIni).ok());
  EXPECT_EQ(platform.writes, 1);
  EXPECT_EQ(ReadIni(), "[S]\nk=2\na=1\nb=3\n[T]\nnew=1\n");
}

TEST_F(ProfileStoreTest, AHeldWriteThatFailsIsReportedOnceAndLeavesTheFile) {
  WriteIni("[S]\nk=1\n");
  store().BeginWrites(kIni);
  EXPECT_EQ(store().WriteString(kIni, "S", "k", "a\nb").code(), Status::Code::kInvalidArgument);
  ASSERT_TRUE(store().WriteString(kIni, "S", "k", "2").ok());
  platform.fail_writes = true;
  EXPECT_EQ(store().EndWrites(kIni).code(), Status::Code::kNoSpace);
  platform.fail_writes = false;
  EXPECT_EQ(ReadIni(), "[S]\nk=1\n");
  EXPECT_EQ(store().GetInt(kIni, "S", "k", 0), 1);
}

TEST_F(ProfileStoreTest, SharedFilesAreBoundedAndNeverReachedThroughALink) {
  constexpr std::string_view kUpd = "C:\\D\\OPTIONS.UPD";
  constexpr auto kShared = ProfileOrigin::kShared;
  const std::string head = "[WINVELQO]\r\nCleanUp=1\r\n";
  std::string fits = head + std::string(kSharedProfileLimit - head.size(), '\n');
  sandbox.WriteFile(kUpd, fits);
  EXPECT_TRUE(store().Check(kUpd, kShared).ok());
  EXPECT_EQ(store().GetInt(kUpd, "WINVELQO", "CleanUp", 2, kShared), 1);
  ASSERT_TRUE(store().WriteString(kUpd, "WINVELQO", "Incl", "0", kShared).ok());

  sandbox.WriteFile(kUpd, fits + "\n");
  store().Flush();
  EXPECT_EQ(store().Check(kUpd, kShared).code(), Status::Code::kTooLarge);
  EXPECT_EQ(store().GetInt(kUpd, "WINVELQO", "CleanUp", 2, kShared), 2);
  EXPECT_EQ(store().WriteString(kUpd, "WINVELQO", "Incl", "0", kShared).code(),
            Status::Code::kTooLarge);
  EXPECT_EQ(sandbox.ReadFile(kUpd).size(), kSharedProfileLimit + 1);
  // The program's own INI file may be up to 16 MiB.
  EXPECT_TRUE(store().Check(kUpd).ok());

  sandbox.WriteFile("E:\\victim", head);
  std::filesystem::remove(sandbox.HostPath(kUpd));
  std::filesystem::create_symlink(sandbox.HostPath("E:\\victim"), sandbox.HostPath(kUpd));
  EXPECT_EQ(store().Check(kUpd, kShared).code(), Status::Code::kAccessDenied);
  EXPECT_FALSE(store().WriteString(kUpd, "WINVELQO", "Incl", "0", kShared).ok());
  store().BeginWrites(kUpd, kShared);
  EXPECT_FALSE(store().WriteString(kUpd, "WINVELQO", "Incl", "0", kShared).ok());
  EXPECT_TRUE(store().EndWrites(kUpd).ok());
  EXPECT_EQ(sandbox.ReadFile("E:\\victim"), head);
}

}  // namespace
}  // namespace velqo
