#include "core/streams.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/err_register.h"
#include "core/path_resolve.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

using StreamsTest = TempFolderTest;

StrPair N(const char* s) { return StrFromC(s); }

// Reads every line of a file until the first failure or the end.
std::vector<std::string> Lines(const char* name, Status* last) {
  std::vector<std::string> out;
  uint16_t s = StrmOpen(N(name), kStrmNoUpdate);
  EXPECT_NE(s, kStrmNone);
  for (int i = 0; i < 100; ++i) {
    StrPair p = StrmReadLine(s, kStrmHere, kStrmLine);
    if (!p.ok()) {
      *last = StrError(p);
      break;
    }
    out.push_back(p.str());
  }
  StrmClose(s);
  return out;
}

TEST_F(StreamsTest, ConsoleGivesTheStandardStreamsAndNeverClosesThem) {
  EXPECT_EQ(StrmOpen(N("CON"), kStrmWrite), 1);
  EXPECT_EQ(StrmOpen(N("CON"), 0), 0);
  EXPECT_EQ(StrmOpen(N("CON"), kStrmWrite | kStrmQuiet), 1);
  EXPECT_EQ(StrmOpen(N("CON"), kStrmWrite | kStrmAppend), 0);
  StrmClose(0);
  StrmClose(1);
  EXPECT_EQ(StrmHandle(0), stdin);
  EXPECT_EQ(StrmHandle(1), stdout);
  EXPECT_FALSE(Has("CON"));
  // Only the exact upper-case name is the console.
  uint16_t s = StrmOpen(N("con"), kStrmWrite);
  EXPECT_GE(s, 3);
  StrmClose(s);
  EXPECT_TRUE(Has("con"));
}

TEST_F(StreamsTest, LineEndings) {
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"a\r\nb\rc", {"a", "b", "c"}},
      {"a\r\nb\r\n\x1a", {"a", "b"}},
      {"a\n\nb\n", {"a", "", "b"}},
      // A CR LF split between two 512-byte pieces is one line end.
      {std::string(511, 'x') + "\r\nb", {std::string(511, 'x'), "b"}},
      {std::string(511, 'x') + "\rb", {std::string(511, 'x'), "b"}},
      {std::string(1023, 'y') + "\r\n\r\nz", {std::string(1023, 'y'), "", "z"}},
      {"", {}},
  };
  for (const Case& c : cases) {
    Put("lines.txt", c.bytes);
    Status last = 0;
    EXPECT_EQ(Lines("lines.txt", &last), c.lines) << c.bytes.substr(0, 20);
    EXPECT_EQ(last, kStDiskIo);
  }
  EXPECT_EQ(ErrLastCode(), 0);
}

TEST_F(StreamsTest, OverlongLineIsAFailureNotTheEnd) {
  Put("long.txt", "short\r\n" + std::string(70000, 'x') + "\r\nlast");
  Status last = 0;
  EXPECT_EQ(Lines("long.txt", &last), std::vector<std::string>{"short"});
  EXPECT_EQ(last, kStStringTooLong);
  EXPECT_EQ(ErrLastCode(), kStStringTooLong);
  EXPECT_EQ(ErrLastModule(), kModStreams);
  EXPECT_EQ(S(ErrIncidentText()), "long.txt");

  // With a small buffer, StrmRead tells a line that does not fit from the end.
  Put("two.txt", "abcdef\r\nxy");
  uint16_t s = StrmOpen(N("two.txt"), kStrmNoUpdate);
  char buf[4];
  EXPECT_EQ(StrmRead(s, 0, kStrmLine, buf, 4), kStrmTooLong);
  EXPECT_EQ(StrmRead(s, 8, kStrmLine, buf, 4), 2);
  EXPECT_EQ(StrmRead(s, kStrmHere, kStrmLine, buf, 4), kStrmEnd);
  EXPECT_EQ(StrmRead(s, 100, 4, buf, 4), kStrmEnd);
  EXPECT_EQ(StrmRead(s, 1, 3, buf, 4), 3);
  EXPECT_EQ(std::string(buf, 3), "bcd");
  StrmClose(s);
}

TEST_F(StreamsTest, RecordsAtAndBeyondOffset65535) {
  const size_t len = 85;
  uint16_t s = StrmOpen(N("recs.dat"), 0);
  ASSERT_GE(s, 3);
  std::string r800(len, 'A'), r771(len, 'B');
  ASSERT_EQ(StrmWrite(s, StrmPos(800 * len), r800.data(), len), StrmCount(len));
  ASSERT_EQ(StrmWrite(s, StrmPos(771 * len), r771.data(), len), StrmCount(len));
  EXPECT_EQ(771 * len, 65535u);
  EXPECT_EQ(StrmSize(s), int64_t(801 * len));
  char buf[len];
  ASSERT_EQ(StrmRead(s, 65535, len, buf, len), StrmCount(len));
  EXPECT_EQ(std::string(buf, len), r771);
  // Rewritten in place.
  std::string again(len, 'C');
  ASSERT_EQ(StrmWrite(s, 65535, again.data(), len), StrmCount(len));
  EXPECT_EQ(StrmSize(s), int64_t(801 * len));
  ASSERT_EQ(StrmRead(s, 65535, len, buf, len), StrmCount(len));
  EXPECT_EQ(std::string(buf, len), again);
  // The "here" position of a write is the end.
  ASSERT_EQ(StrmWrite(s, kStrmHere, "z", 1), 1);
  EXPECT_EQ(StrmSize(s), int64_t(801 * len + 1));
  StrmClose(s);
}

TEST_F(StreamsTest, Write65535BytesIsACount) {
  uint16_t s = StrmOpen(N("big.dat"), kStrmWrite);
  std::string bytes(65535, 'q');
  EXPECT_EQ(StrmWrite(s, 0, bytes.data(), bytes.size()), 65535);
  EXPECT_EQ(StrmWrite(s, 0, nullptr, 3), kStrmFailed);
  EXPECT_EQ(StrmWriteChecked(s, kStrmHere, N("tail")), kOk);
  EXPECT_EQ(StrmWriteChecked(s, kStrmHere, StrFail(kStDataError)), kStDataError);
  StrmClose(s);
  EXPECT_EQ(Get("big.dat"), bytes + "tail");
}

TEST_F(StreamsTest, MissingFileWithAndWithoutCreation) {
  EXPECT_EQ(StrmOpen(N("none.txt"), kStrmNoUpdate), kStrmNone);
  EXPECT_EQ(ErrLastCode(), kStFileNotFound);
  EXPECT_EQ(ErrLastModule(), kModStreams);
  EXPECT_EQ(S(ErrIncidentText()), "none.txt");
  EXPECT_FALSE(Has("none.txt"));
  EXPECT_EQ(StrmOpen(N("none.txt"), kStrmNoUpdate | kStrmQuiet), kStFileNotFound);

  uint16_t s = StrmOpen(N("none.txt"), 0);
  EXPECT_GE(s, 3);
  StrmClose(s);
  EXPECT_TRUE(Has("none.txt"));
}

TEST_F(StreamsTest, UnreadableExistingFileIsNotTruncated) {
  Put("locked.txt", "keep me");
  ::chmod("locked.txt", 0200);  // writable, not readable
  ::chmod(".", 0777);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown("locked.txt", 65534, 65534), 0);
  }
  // Run the open as an ordinary user, so that the permission bits count.
  EXPECT_EXIT(
      {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) std::_Exit(2);
        std::_Exit(StrmOpen(N("locked.txt"), kStrmQuiet) == kStFileNotFound ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  ::chmod("locked.txt", 0600);
  EXPECT_EQ(Get("locked.txt"), "keep me");
}

TEST_F(StreamsTest, BadNamesAndAFullTable) {
  std::string nul("a\0b", 3);
  std::string long_name(384, 'n');
  struct Case {
    StrPair name;
    uint16_t flags;
    Status want;
  };
  std::filesystem::create_directory("folder");
  const Case cases[] = {
      {N(""), 0, kStDataError},
      {StrOf(long_name), 0, kStDataError},
      {StrOf(nul), 0, kStDataError},
      {StrFail(kStDataError), 0, kStDataError},
      {N("folder"), 0, kStFileNotFound},
      {N("folder"), kStrmNoUpdate, kStFileNotFound},
      {N("folder"), kStrmWrite, kStFileNotFound},
      {N("nofolder/x.txt"), kStrmNoUpdate, kStFileNotFound},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StrmOpen(c.name, c.flags | kStrmQuiet), c.want) << S(c.name);
  EXPECT_FALSE(Has("a"));

  std::vector<uint16_t> open;
  for (int i = 0; i < 37; ++i) {
    uint16_t s = StrmOpen(StrOf("f" + std::to_string(i)), kStrmWrite);
    ASSERT_EQ(s, 3 + i);
    open.push_back(s);
  }
  EXPECT_EQ(StrmFreeNumber(), kStrmNone);
  EXPECT_EQ(StrmOpen(N("one-more"), kStrmWrite), kStrmNone);
  EXPECT_EQ(ErrLastCode(), kStDataOutBound);
  EXPECT_FALSE(Has("one-more"));
  EXPECT_EQ(StrmOpen(N("CON"), kStrmWrite | kStrmQuiet), kStDataOutBound);
  StrmClose(open[5]);
  EXPECT_EQ(StrmFreeNumber(), 8);
  EXPECT_EQ(StrmSetHandle(40, nullptr), kStrmNone);
  EXPECT_EQ(StrmHandle(40), nullptr);
}

TEST_F(StreamsTest, CaseInsensitiveNamesAndAmbiguity) {
  Put("pldicc.dat", "dictionary");
  EXPECT_EQ(S(StrmReadFile(N("PLDICC.DAT"), 0, kStrmAll)), "dictionary");
  std::filesystem::create_directory("Data");
  Put("Data/file.txt", "in data");
  EXPECT_EQ(S(StrmReadFile(N("C:\\DATA\\FILE.TXT"), 0, kStrmAll)).substr(0, 6), "<fail ");
  EXPECT_EQ(S(StrmReadFile(N("DATA\\FILE.TXT"), 0, kStrmAll)), "in data");
  EXPECT_EQ(S(StrmReadFile(N("data/File.Txt"), 3, 4)), "data");

  // A new file is created with its name as written, inside the matched folder.
  uint16_t s = StrmOpen(N("DATA\\New.TXT"), kStrmWrite);
  ASSERT_GE(s, 3);
  StrmClose(s);
  EXPECT_TRUE(Has("Data/New.TXT"));

  Put("PLDicc.dat", "other");
  EXPECT_EQ(StrmOpen(N("PLDICC.DAT"), kStrmNoUpdate | kStrmQuiet), kStFileNotFound);
  EXPECT_EQ(StrmOpen(N("PLDICC.DAT"), kStrmQuiet), kStFileNotFound);
  EXPECT_FALSE(Has("PLDICC.DAT"));
  ResolvedPath rp = PathResolve("PLDICC.DAT");
  EXPECT_TRUE(rp.ambiguous);
  // The exact name is always taken as it is.
  EXPECT_EQ(S(StrmReadFile(N("pldicc.dat"), 0, kStrmAll)), "dictionary");
  EXPECT_EQ(StrmFileSize(N("PLDICC.DAT")), 0u);
}

TEST_F(StreamsTest, ResolverForms) {
  std::filesystem::create_directories("A/b");
  Put("A/b/c.txt", "");
  struct Case {
    const char* name;
    std::string path;
    bool exists;
  };
  std::string here = std::filesystem::current_path().string();
  const Case cases[] = {
      {"a\\B\\C.TXT", "A/b/c.txt", true},
      {"a//b/./c.txt", "A/b/./c.txt", true},
      {"x:a\\b\\new.TXT", "A/b/new.TXT", false},
      {"NEW\\deeper.txt", "NEW/deeper.txt", false},
      {"/", "/", true},
  };
  for (const Case& c : cases) {
    ResolvedPath r = PathResolve(c.name);
    EXPECT_EQ(r.status, kOk) << c.name;
    EXPECT_EQ(r.path, c.path) << c.name;
    EXPECT_EQ(r.exists, c.exists) << c.name;
  }
  ResolvedPath abs = PathResolve("C:" + here + "\\A\\B\\C.txt");
  EXPECT_EQ(abs.path, here + "/A/b/c.txt");
  EXPECT_EQ(PathResolve("").status, kStDataError);
}

TEST_F(StreamsTest, WholeFileHelpers) {
  Put("data.txt", "a much longer old content");
  ASSERT_EQ(StrmWriteFileAt(N("data.txt"), kStrmReplace, "new", 3), 3);
  EXPECT_EQ(Get("data.txt"), "new");
  ASSERT_EQ(StrmWriteFileAt(N("data.txt"), kStrmHere, "+end", 4), 4);
  ASSERT_EQ(StrmWriteFileAt(N("data.txt"), 1, "E", 1), 1);
  EXPECT_EQ(Get("data.txt"), "nEw+end");
  EXPECT_EQ(StrmWriteFileAt(N("data.txt"), 0, "x", 0), kStrmFailed);
  EXPECT_EQ(StrmWriteFile(N("made.txt"), kStrmReplace, "m", 1), kOk);
  EXPECT_EQ(StrmWriteFile(N("made.txt"), 0, "m", 0), kStFileIo);
  EXPECT_EQ(StrmFileSize(N("made.txt")), 1u);
  EXPECT_EQ(StrmFileSize(N("gone.txt")), 0u);

  char buf[8];
  EXPECT_EQ(StrmReadFilePart(N("data.txt"), 3, kStrmAll, buf, sizeof buf), 4);
  EXPECT_EQ(std::string(buf, 4), "+end");
  EXPECT_EQ(StrmReadFilePart(N("gone.txt"), 0, 1, buf, sizeof buf), kStrmFailed);

  Put("text.txt", "a\r\nb\nc\rd");
  EXPECT_EQ(S(StrmReadText(N("text.txt"), N("|"))), "a|b|c\rd");
  EXPECT_EQ(S(StrmReadText(N("gone.txt"), N("|"))), "<fail 65535>");

  std::string big(70000, 'x');
  Put("big.txt", big);
  EXPECT_EQ(S(StrmReadFile(N("big.txt"), 0, kStrmAll)), "<fail 146>");
  EXPECT_EQ(S(StrmReadFile(N("big.txt"), 0, 10)), std::string(10, 'x'));
  EXPECT_EQ(S(StrmReadFile(N("gone.txt"), 0, kStrmAll)), "<fail 65535>");
  // More than the free arena is refused whole.
  while (ScratchFreeBytes() > 60000) ASSERT_EQ(ScratchReserve(30000, kFillLeave), kOk);
  EXPECT_EQ(S(StrmReadFile(N("big.txt"), 0, 65000)), "<fail 145>");
}

TEST_F(StreamsTest, FailedRewriteKeepsTheOldFile) {
  std::string old(100, 'o');
  Put("parms.prc", old);
  ::chmod("parms.prc", 0640);
  // The new file cannot be written whole: the file size limit stops it.
  struct sigaction ign {}, prev {};
  ign.sa_handler = SIG_IGN;
  ::sigaction(SIGXFSZ, &ign, &prev);
  struct rlimit saved;
  ::getrlimit(RLIMIT_FSIZE, &saved);
  struct rlimit small = saved;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string fresh(5000, 'n');
  StrmCount r = StrmWriteFileAt(N("parms.prc"), kStrmReplace, fresh.data(), fresh.size());
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::sigaction(SIGXFSZ, &prev, nullptr);
  EXPECT_EQ(r, kStrmFailed);
  EXPECT_EQ(Get("parms.prc"), old);
  // Nothing but the old file is left in the folder.
  int entries = 0;
  for (auto& e : std::filesystem::directory_iterator(".")) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1);
  // A successful rewrite keeps the file's mode.
  ASSERT_EQ(StrmWriteFileAt(N("parms.prc"), kStrmReplace, fresh.data(), fresh.size()), 5000);
  struct stat st;
  ::stat("parms.prc", &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  // A folder cannot be rewritten as a file.
  std::filesystem::create_directory("dir");
  EXPECT_EQ(StrmWriteFileAt(N("dir"), kStrmReplace, "x", 1), kStrmFailed);
  EXPECT_TRUE(std::filesystem::is_directory("dir"));
}

TEST_F(StreamsTest, RenameNeverReplaces) {
  Put("old.dat", "old");
  Put("new.dat", "new");
  EXPECT_EQ(StrmRenameFile(N("old.dat"), N("new.dat")), kStLowFailure);
  EXPECT_EQ(StrmRenameFile(N("old.dat"), N("NEW.DAT")), kStLowFailure);
  EXPECT_EQ(Get("old.dat"), "old");
  EXPECT_EQ(Get("new.dat"), "new");
  EXPECT_EQ(StrmRenameFile(N("OLD.DAT"), N("third.dat")), kOk);
  EXPECT_EQ(Get("third.dat"), "old");
  EXPECT_FALSE(Has("old.dat"));
  EXPECT_EQ(StrmRenameFile(N("old.dat"), N("x.dat")), kStLowFailure);
  EXPECT_EQ(StrmRemoveFile(N("THIRD.DAT")), kOk);
  EXPECT_EQ(StrmRemoveFile(N("third.dat")), kStLowFailure);
}

TEST_F(StreamsTest, SeekTellSizeEofAndLocks) {
  Put("f.txt", "0123456789");
  uint16_t s = StrmOpen(N("f.txt"), 0);
  EXPECT_EQ(StrmSize(s), 10);
  EXPECT_EQ(StrmSeek(s, 4), kOk);
  EXPECT_EQ(StrmTell(s), 4);
  EXPECT_FALSE(StrmEof(s));
  EXPECT_EQ(StrmSeek(s, 10), kOk);
  EXPECT_TRUE(StrmEof(s));
  EXPECT_EQ(StrmSeek(s, -5), kStDiskIo);
  EXPECT_EQ(StrmSize(1), -1);
  EXPECT_EQ(StrmTell(0), 0);

  uint16_t t = StrmOpen(N("f.txt"), 0);
  EXPECT_EQ(StrmLock(s, StrmLockKind::kExclusive), kOk);
  EXPECT_EQ(StrmLock(t, StrmLockKind::kShared), kStFileOpening);
  EXPECT_EQ(StrmLock(s, StrmLockKind::kShared), kOk);
  EXPECT_EQ(StrmLock(t, StrmLockKind::kShared), kOk);
  EXPECT_EQ(StrmLock(t, StrmLockKind::kExclusive), kStFileOpening);
  StrmClose(s);
  EXPECT_EQ(StrmLock(t, StrmLockKind::kExclusive), kOk);
  EXPECT_EQ(StrmLock(1, StrmLockKind::kShared), kStBadFileNumber);
  StrmClose(t);
}

}  // namespace
}  // namespace eng::test
