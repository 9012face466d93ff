// The device layer on file and port devices: classification, options,
// wrapping, paging, cursor moves, byte mapping and printer codes, asserted
// on the bytes that reach the files.
#include <gtest/gtest.h>

#include "core/cmd_line.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "output/child_programs.h"
#include "output/device.h"
#include "output/prn_codes.h"
#include "platform/print_spooler.h"
#include "tests/output/output_fixture.h"

namespace eng::test {
namespace {

class DeviceTest : public OutputTest {
 protected:
  // Writes the texts through a device, ends and closes it; the file's bytes.
  std::string Through(const std::string& device, std::initializer_list<std::string> texts,
                      const std::string& file = "out.txt") {
    DeviceRecord d = DeviceOpen(device);
    EXPECT_EQ(d.status, kOk) << device;
    for (const std::string& t : texts) EXPECT_EQ(DeviceWrite(d, t), kOk);
    EXPECT_EQ(DeviceEnd(d), kOk);
    EXPECT_EQ(DeviceClose(d), kOk);
    return Get(file);
  }
  static void PrintToFileMode() { ASSERT_EQ(CmdLineStore(StrOf("\"/p/pelmora\" /MODE:PRNTOFILE")), kOk); }
};

TEST_F(DeviceTest, NamesClassifyIntoKinds) {
  plat::FolderSpooler spooler(dir_.string(), {"Office"});
  Out().config.spooler = &spooler;
  struct Case {
    const char* name;
    uint16_t syscompat;
    uint16_t kind;
  };
  const Case cases[] = {
      {"", 0, 0x82},         {"CON", 0, 0x82},      {"CON x", 0, 0x82},   {"con", 0, 0x81},
      {"LPT1", 0, 0xC5},     {"LPT9", 0, 0xC5},     {"lp0", 0, 0xC5},     {"usb5", 0, 0xC5},
      {"lp\xE9", 0, 0xC5},   {"LPT1.txt", 0, 0x81}, {"COM2:9600,8,N,1", 0, 0xC8},
      {"COM10:9600,8,N,1", 0, 0x81}, {"a.pdf", 0, 0xA0}, {"A.PDF", 0, 0xA0}, {"WINPRN", 0, 0x81},
      {"WINPRN", 128, 0x80}, {"Office", 0, 0x81},   {"Office", 128, 0x90}, {"Other", 128, 0x81},
  };
  for (const Case& c : cases) {
    SysVarSet(kVarSysCompat, static_cast<int16_t>(c.syscompat));
    EXPECT_EQ(DeviceKindOf(c.name), c.kind) << c.name << " compat " << c.syscompat;
  }
  // A port redirected to an installed printer is spooled raw with the port's codes.
  DeclareText("LPT1$", "Office");
  SysVarSet(kVarSysCompat, 128);
  EXPECT_EQ(DeviceKindOf("LPT1"), 0xD4);
  SysVarSet(kVarSysCompat, 0);
  PrintToFileMode();
  EXPECT_EQ(DeviceKindOf("COM2:9600,8,N,1"), 0xC1);
}

TEST_F(DeviceTest, OptionsAndDefaults) {
  struct Case {
    const char* text;
    const char* name;
    uint16_t lines, width, step;
    uint8_t view;
  };
  DeclareText("LPT1$", "port.txt");
  const Case cases[] = {
      {"LPT1 /LP:66 /WD:132", "LPT1", 66, 132, 1, 0},
      {"LPT1", "LPT1", 72, 80, 1, 0},
      {"x.txt /VW:s", "x.txt", 72, 80, 1, 1},
      {"x.txt /VW:N", "x.txt", 72, 80, 1, 0},
      {"x.txt /ST:", "x.txt", 72, 80, 1, 0},
      {"x.txt /ST:2 /LP=10", "x.txt", 10, 80, 2, 0},
      {"/LP:66", "CON", 66, 80, 1, 0},
      {"out/STOCK/x.txt /WD:40", "out/STOCK/x.txt", 72, 40, 1, 0},
  };
  std::filesystem::create_directories("out/STOCK");
  for (const Case& c : cases) {
    DeviceRecord d = DeviceOpen(c.text);
    EXPECT_EQ(d.status, kOk) << c.text;
    EXPECT_EQ(d.name, c.name) << c.text;
    EXPECT_EQ(d.lines, c.lines) << c.text;
    EXPECT_EQ(d.width, c.width) << c.text;
    EXPECT_EQ(d.step, c.step) << c.text;
    EXPECT_EQ(d.view, c.view) << c.text;
    EXPECT_EQ(SysVarGet(kVarDevHig), c.lines);
    EXPECT_EQ(SysVarGet(kVarDevWid), c.width);
    DeviceClose(d);
  }
  // Entry 1 of the codes file gives LPT1 its size; other ports take the built-in entry.
  ResetTable();
  Put("KVPRNP00.DAT", CodesFile(1, [](int, int) { return std::string(); }, 132, 66));
  DeviceRecord d = DeviceOpen("LPT1");
  EXPECT_EQ(d.lines, 66);
  EXPECT_EQ(d.width, 132);
  DeviceClose(d);
}

TEST_F(DeviceTest, WrapPagingAndPositions) {
  DeviceRecord d = DeviceOpen("out.txt");
  ASSERT_EQ(d.status, kOk);
  d.column = 75;
  ASSERT_EQ(DeviceWrite(d, "ABCDEFGHIJ"), kOk);
  EXPECT_EQ(d.row, 2);
  EXPECT_EQ(d.column, 5);
  EXPECT_EQ(SysVarGet(kVarDevPos), 5);
  DeviceClose(d);
  EXPECT_EQ(Get("out.txt"), "ABCDEF\r\nGHIJ");

  // Five line ends on five lines a page: page 2, row 1.
  d = DeviceOpen("out.txt /LP:5");
  for (int i = 0; i < 5; ++i) DeviceWrite(d, "x\r\n");
  EXPECT_EQ(SysVarGet(kVarDevPag), 2);
  EXPECT_EQ(SysVarGet(kVarDevLin), 1);
  DeviceClose(d);

  // A long text on a narrow device wraps line by line without recursion.
  std::string long_text(60000, 'a');
  d = DeviceOpen("out.txt /WD:2 /LP:0");
  ASSERT_EQ(DeviceWrite(d, long_text), kOk);
  EXPECT_EQ(d.row, 30001);
  DeviceClose(d);
  EXPECT_EQ(Get("out.txt").size(), 60000u + 2 * 30000u);
}

TEST_F(DeviceTest, GotoRowAndColumn) {
  struct Case {
    const char* what;
    const char* device;
    uint16_t row, column;
    int to_row, to_column;
    const char* bytes;
    uint16_t page, end_row;
  };
  const Case cases[] = {
      {"paged, a row above runs to the next page", "out.txt /LP:5", 4, 1, 3, 10,
       "\r\n\r\n\r\n\r\n         ", 2, 3},
      {"unpaged, a column to the left takes one line end", "out.txt /LP:0", 4, 12, 3, 10,
       "\r\n         ", 1, 5},
      {"unpaged, a row above is ignored", "out.txt /LP:0", 4, 1, 3, 10, "         ", 1, 4},
      {"row 0 on a paged device moves only the column", "out.txt /LP:5", 2, 1, 0, 5, "    ", 1, 2},
      {"a row beyond the page counts from the page's start", "out.txt /LP:5", 1, 1, 7, 1, "\r\n", 1, 2},
      {"column 0 moves nowhere", "out.txt /LP:5", 1, 1, 3, 0, "", 1, 1},
  };
  for (const Case& c : cases) {
    DeviceRecord d = DeviceOpen(c.device);
    d.row = c.row;
    d.column = c.column;
    EXPECT_EQ(DeviceGotoRowCol(d, c.to_row, c.to_column), kOk) << c.what;
    EXPECT_EQ(d.page, c.page) << c.what;
    EXPECT_EQ(d.row, c.end_row) << c.what;
    DeviceClose(d);
    EXPECT_EQ(Get("out.txt"), c.bytes) << c.what;
  }
}

TEST_F(DeviceTest, MappingAndPrinterCodes) {
  // LPT1 prints to unixprn.txt; field 0 of entry 1 is 1B 0F and field 1 is 12.
  Put("KVPRNP00.DAT", CodesFile(1, [](int, int k) {
        return k == 0 ? std::string("\x1B\x0F") : k == 1 ? std::string("\x12") : std::string();
      }));
  PrintToFileMode();
  struct Case {
    const char* what;
    const char* device;
    std::string text;
    std::string bytes;
    const char* file;
  };
  const Case cases[] = {
      {"letters stay on a file", "out.txt", "A\xF1o \xBA", "A\xF1o \xBA", "out.txt"},
      {"letters become code page 437 on a port", "LPT1", "A\xF1o \xBA", "A\xA4o \xA7", "unixprn.txt"},
      {"codes replace control characters", "LPT1", "A\x0F" "B\x12", "A\x1B\x0F" "B\x12", "unixprn.txt"},
      {"control characters blank on a file", "out.txt", "A\x0F" "B\x12", "A B ", "out.txt"},
      {"other codes are removed on a file", "out.txt", "A\x1C" "B", "AB", "out.txt"},
      {"a port beyond the file uses the built-in entry: no codes", "LPT7", "A\x0F", "A", "unixprn.txt"},
      // Long printable runs are checked by words: a byte to change after them is still found.
      {"a control character after a long plain run", "out.txt", "ABCDEFGHIJKLMNOPQ\x0F" "R", "ABCDEFGHIJKLMNOPQ R",
       "out.txt"},
      {"a letter in the second word on a port", "LPT1", "12345678A\xF1o", "12345678A\xA4o", "unixprn.txt"},
      {"DEL and tilde are plain bytes", "out.txt", "12345678~\x7F~", "12345678~\x7F~", "out.txt"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove("unixprn.txt");
    DeviceRecord d = DeviceOpen(c.device);
    ASSERT_EQ(d.status, kOk) << c.what;
    std::string before = Get(c.file);
    ASSERT_EQ(DeviceWrite(d, c.text), kOk) << c.what;
    EXPECT_EQ(Get(c.file).substr(before.size()), c.bytes) << c.what;
    DeviceClose(d);
  }
  // A removed code still counts its column.
  DeviceRecord d = DeviceOpen("out.txt");
  DeviceWrite(d, "A\x1C" "B");
  EXPECT_EQ(d.column, 4);
  DeviceClose(d);
}

TEST_F(DeviceTest, CodesAreNotScannedAgainAndKeepInnerNuls) {
  ResetTable();
  Put("KVPRNP00.DAT", CodesFile(1, [](int, int k) {
        return k == 0 ? std::string("\x1B\x00\x41", 3) : k == 1 ? std::string("\x7E") : std::string();
      }));
  EXPECT_EQ(DeviceApplyCodesTo("A\x0F", true, 1), std::string("A\x1B\x00\x41", 4));
  ResetTable();
  Put("KVPRNP00.DAT", CodesFile(1, [](int, int k) { return k == 0 ? std::string("\x1B\x12") : std::string(); }));
  EXPECT_EQ(DeviceApplyCodesTo("A\x0F", true, 1), "A\x1B\x12") << "the 12 of the code is not replaced";
}

TEST_F(DeviceTest, ResetCodesAtOpenEndAndClose) {
  Put("KVPRNP00.DAT", CodesFile(1, [](int, int k) { return std::string(1, static_cast<char>(0x80 + k)); }));
  DeclareText("LPT1$", "port.txt");
  DeviceRecord d = DeviceOpen("LPT1");
  ASSERT_EQ(d.status, kOk);
  EXPECT_EQ(Get("port.txt"), "\x81\x83\x85\x87\x89");
  EXPECT_EQ(DeviceEnd(d), kOk);
  EXPECT_EQ(Get("port.txt"), "\x81\x83\x85\x87\x89\x81");
  EXPECT_EQ(DeviceClose(d), kOk);
  EXPECT_EQ(Get("port.txt"), "\x81\x83\x85\x87\x89\x81\x81\x83\x85\x87\x89");
}

TEST_F(DeviceTest, FilesAreReplacedOrAppended) {
  PrintToFileMode();
  for (const char* name : {"out.txt", "out.log", "out.out", "unixprn.txt"}) Put(name, "old|");
  EXPECT_EQ(Through("out.txt", {"new"}), "new");
  EXPECT_EQ(Through("out.log", {"new"}, "out.log"), "old|new");
  EXPECT_EQ(Through("out.out", {"new"}, "out.out"), "old|new");
  EXPECT_EQ(Through("lp0", {"new"}, "unixprn.txt"), "old|new");
  EXPECT_EQ(Through("COM2:9600,8,N,1", {"x"}, "unixprn.txt"), "old|newx");
}

TEST_F(DeviceTest, WritesGatheredDuringARunKeepTheirOrderAndReachTheFile) {
  std::string seen, lines;
  DeviceRecord b;
  {
    DeviceBufferScope gather;
    DeviceRecord a = DeviceOpen("a.txt");
    DeviceRecord copy = a;  // a caller's copy of the record writes to the same stream
    ASSERT_EQ(DeviceWrite(a, "one\r\n"), kOk);
    ASSERT_EQ(DeviceWrite(copy, "two\r\n"), kOk);
    // A child program sees every byte written so far.
    ASSERT_EQ(ChildRunCapture("cat a.txt", seen), kOk);
    ASSERT_EQ(DeviceWrite(a, "three"), kOk);
    {
      DeviceBufferScope inner;  // a nested run
      ASSERT_EQ(DeviceWrite(a, "|four"), kOk);
    }
    ASSERT_EQ(DeviceWrite(a, "|five"), kOk);
    EXPECT_EQ(DeviceEnd(a), kOk);
    EXPECT_EQ(Get("a.txt"), "one\r\ntwo\r\nthree|four|five");
    ASSERT_EQ(DeviceWrite(a, "|six"), kOk);
    EXPECT_EQ(DeviceClose(a), kOk);
    EXPECT_EQ(Get("a.txt"), "one\r\ntwo\r\nthree|four|five|six");
    // A device left open: the run's end writes out what it gathered.
    b = DeviceOpen("b.txt");
    for (int i = 0; i < 6000; ++i) lines += std::string(50, 'x') + "\r\n";  // past one piece
    ASSERT_EQ(DeviceWrite(b, lines), kOk);
    ASSERT_EQ(DeviceWrite(b, "end"), kOk);
  }
  EXPECT_EQ(seen, "one\r\ntwo\r\n");
  EXPECT_EQ(Get("b.txt"), lines + "end");
  EXPECT_EQ(DeviceClose(b), kOk);
}

TEST_F(DeviceTest, FailedOpensHoldNoChannel) {
  // A port without redirection whose device node is missing is not created.
  Out().config.lpt_paths[3] = (dir_ / "no-such-lp").string();
  DeviceRecord port = DeviceOpen("LPT3");
  EXPECT_EQ(port.status, kStLowFailure);
  EXPECT_FALSE(port.has_channel);
  EXPECT_FALSE(Has("no-such-lp"));
  EXPECT_EQ(DeviceWrite(port, "x"), kStLowFailure);
  EXPECT_EQ(DeviceClose(port), kOk);
  // A file in a missing folder; closing it leaves another open device alone.
  DeviceRecord good = DeviceOpen("good.txt");
  DeviceRecord bad = DeviceOpen("missing/x.txt");
  EXPECT_EQ(bad.status, kStLowFailure);
  EXPECT_EQ(ErrLastCode(), kStFileNotFound);
  DeviceClose(bad);
  EXPECT_EQ(DeviceWrite(good, "still here"), kOk);
  DeviceClose(good);
  EXPECT_EQ(Get("good.txt"), "still here");
}

TEST_F(DeviceTest, YesTextsAndCodeFields) {
  EXPECT_TRUE(DeviceTextIsYes(" s"));
  EXPECT_TRUE(DeviceTextIsYes("S"));
  EXPECT_FALSE(DeviceTextIsYes("N"));
  EXPECT_FALSE(DeviceTextIsYes(""));
  // A file that ends inside entry 2: LPT2 takes the built-in entry.
  std::string f = CodesFile(2, [](int, int) { return std::string(); }, 132, 66);
  f.resize(f.size() - 10);
  Put("KVPRNP00.DAT", f);
  EXPECT_EQ(DevicePrnNumber(kPrnFieldWidth, 1), 132);
  EXPECT_EQ(DevicePrnNumber(kPrnFieldLines, 1), 66);
  EXPECT_EQ(DevicePrnNumber(kPrnFieldWidth, 2), 80);
  EXPECT_EQ(DevicePrnNumber(kPrnFieldLines, 2), 72);
  // The table is read once per run.
  std::filesystem::remove("KVPRNP00.DAT");
  EXPECT_EQ(DevicePrnNumber(kPrnFieldWidth, 1), 132);
}

}  // namespace
}  // namespace eng::test
