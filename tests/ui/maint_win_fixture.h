// Maintenance windows on a small customer file, driven by key scripts on the
// headless window system, with the data file read back from disk.
//
// Dictionary (prefix PL): file 1 CLI (CODE A6 = key 1, NAME A30 = key 2,
// CITY A20, BAL N10); file 2 TOT (CODE A6, TOTAL N12). A rule on CLI slot 1
// adds _SGN * BAL to _USER02; SAVED$ counts its runs in _USER01. Screen CLI
// definition 1 binds the four fields to CLI; definitions 2-5 add IK$(1),
// VOIDMODE% 256, 512 and 1024, definition 6 an ALARM$ on BAL. Field controls: CODE 2000, NAME 2001, CITY
// 2002, BAL 2003. A root window stays below, so closing the maintenance
// window ends its loop without ending the run.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "core/dyn_strings.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/data_file_path.h"
#include "data/data_file_store.h"
#include "data/dict_layout.h"
#include "core/field_access.h"
#include "data/field_ref.h"
#include "data/file_ctrl.h"
#include "data/lock_marker.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "tests/ui/screen_fixture.h"
#include "ui/maint_win.h"
#include "ui/maint_win_state.h"

namespace eng::test {

inline constexpr uint16_t kCli = 1;
inline constexpr int kIdCode = 2000, kIdName = 2001, kIdCity = 2002, kIdBal = 2003;
inline constexpr int kIdNew = 3001, kIdTop = 3002, kIdPrv = 3003, kIdNxt = 3005, kIdBot = 3006, kIdFnd = 3007,
                     kIdSve = 3008, kIdDel = 3010;

struct CliRecord {
  std::string code, name, city, bal;
  bool operator==(const CliRecord&) const = default;
};
inline void PrintTo(const CliRecord& r, std::ostream* os) {
  *os << "{" << r.code << "|" << r.name << "|" << r.city << "|" << r.bal << "}";
}

inline const CliRecord kC001{"C001", "ACME", "PARIS", "100"};
inline const CliRecord kC002{"C002", "BETA", "LYON", "20"};

class MaintWinTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    Put("PLDICC.DAT",
        "01**01CLI\r\n"
        "01       006 ACODE\r\n"
        "01       030 ANAME\r\n"
        "01       020 ACITY\r\n"
        "01       010 NBAL\r\n"
        "02**02TOT\r\n"
        "02       006 ACODE\r\n"
        "02       012 NTOTAL\r\n"
        "31<0001006\r\n"
        "31<0007030\r\n"
        "32<0001006\r\n");
    Put("PLRELUP.DAT", "0101_USER02=_USER02+_SGN*BAL{1}\r\n");
    const std::vector<std::string> fields = {
        LabelLine(2, 2, "Codigo"), FieldLine(2, 12, 1, 1, 6, 'A'),  LabelLine(3, 2, "Nombre"),
        FieldLine(3, 12, 1, 2, 30, 'A'), LabelLine(4, 2, "Ciudad"), FieldLine(4, 12, 1, 3, 20, 'A'),
        LabelLine(5, 2, "Saldo"),  FieldLine(5, 12, 1, 4, 10, 'N')};
    const std::vector<std::string> common = {"FD$:=\"CODE,NAME,CITY,BAL\"",
                                              "FILEDEF$:=\"CODE{1},NAME{1},CITY{1},BAL{1}\"",
                                              "SAVED$:=\"_USER01=_USER01+1\""};
    const std::vector<std::string> extra = {"", "IK$(1):=\"'C0'\"", "VOIDMODE%:=256", "VOIDMODE%:=512",
                                            "VOIDMODE%:=1024"};
    for (int n = 1; n <= 5; ++n) {
      std::vector<std::string> ppn = common;
      if (!extra[n - 1].empty()) ppn.push_back(extra[n - 1]);
      ScreenTest::Def("CLI.PPN", n, ppn);
      ScreenTest::Def("CLI.PAN", n, fields);
    }
    // Definition 6 refuses a negative balance.
    std::vector<std::string> checked = common;
    checked.push_back("ALARM$:=\",,,'Saldo negativo';BAL{1}>=0\"");
    ScreenTest::Def("CLI.PPN", 6, checked);
    ScreenTest::Def("CLI.PAN", 6, fields);
    ASSERT_EQ(DictLoad(StrOf(""), StrOf("PL"), StrOf("")), kOk);
    DataInstallFieldAccess();
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("PLMRQV13:Norvique")), kOk);
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kTitle, StrOf("Prueba")), kOk);
    Ui().base_grid = {80, 24, 0, 0, 0, 0};
    FontRegister(24, 12, 400, StrOf("Lucida Console"));
    root = WinCreateKind(0, 0, StrOf("Prueba"), 0, 80, 24, {});
    WinShowTop(-1);
  }
  void TearDown() override {
    FieldAccessInstall(nullptr);
    UiTest::TearDown();
  }

  // Adds records straight through the record layer (no rules, no window).
  void Seed(const std::vector<CliRecord>& records) {
    ASSERT_LT(DataFileOpen(kCli, 8), kStFirstWarning);
    for (const CliRecord& r : records) {
      ASSERT_EQ(DataFileMove(kCli, 1), 3);
      ASSERT_EQ(BufSetField(kCli, 1, StrOf(r.code)), kOk);
      ASSERT_EQ(BufSetField(kCli, 2, StrOf(r.name)), kOk);
      ASSERT_EQ(BufSetField(kCli, 3, StrOf(r.city)), kOk);
      ASSERT_EQ(BufSetField(kCli, 4, StrOf(r.bal)), kOk);
      ASSERT_EQ(DataFileAddRecord(kCli), kOk);
    }
    ASSERT_EQ(DataFileClose(kCli), kOk);
  }

  // The names of the file on disk (no lock marker: a reader writes none).
  static DataFileNames DiskNames() {
    ScratchScope scope;
    const std::string folder(DictFileFolder(kCli).view()), name(DictFileName(kCli).view());
    return DataFileNames{DataFilePathOf(folder, name, kPathRecords), DataFilePathOf(folder, name, kPathIndex), ""};
  }
  // The live records in key-1 order, read back from disk by an open of its own.
  std::vector<CliRecord> OnDisk() {
    std::vector<CliRecord> out;
    DataFileStore f;
    EXPECT_EQ(f.Open(DiskNames(), DictFileLayout(kCli), kOpenReadOnly), kOk);
    std::string rec;
    for (NdxResult r = f.Move(1, 0x24, &rec); r.error == kOk && r.position == kNdxFound; r = f.Move(1, 0x10, &rec)) {
      auto cut = [&](size_t at, size_t n) { return Trimmed(StrOf(std::string_view(rec).substr(at, n))); };
      out.push_back(CliRecord{cut(0, 6), cut(6, 30), cut(36, 20), cut(56, 10)});
    }
    f.Close();
    return out;
  }
  // Record slots in the record file, deleted ones (first byte ESC) included.
  std::vector<std::string> Slots() {
    const std::string text = Get(DiskNames().records);
    std::vector<std::string> out;
    const size_t len = DictRecordLength(kCli);
    for (size_t at = 0; at + len <= text.size(); at += len) out.push_back(text.substr(at, 6));
    return out;
  }
  static std::string Trimmed(StrPair p) {
    std::string s = p.ok() ? p.str() : "<bad>";
    s.erase(0, s.find_first_not_of(' '));
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
  }

  // Opens the maintenance window of the line (MantMain's default flags).
  Status Open(const std::string& line, uint16_t flags = kMantMainFlags) {
    Status s = MantWindow(StrOf(line), flags);
    mant = WinTop();
    return s;
  }
  void Drive(const std::string& script) { DriveWindow(root, mant, script); }
  bool WindowOpen() { return d.ws().IsWindow(mant); }
  uint8_t State() { return ScreenWinCurrent().state; }
  std::vector<std::string> Boxes() {
    std::vector<std::string> out;
    for (const auto& b : d.msgbox().log()) out.push_back(b.text);
    return out;
  }
  std::string Text(int id) { return d.ws().GetText(d.ws().FindChild(mant, id)); }
  bool Enabled(int id) { return d.ws().IsEnabled(d.ws().FindChild(mant, id)); }
  int User(SysVar v) { return SysVarGet(v); }
  bool Locked() {
    ScratchScope scope;
    return LockMarkerPresent(DictFileName(kCli).view());
  }

  // Runs a change as another program would: a child process opens the file
  // shared, runs `change` on its own open and exits.
  void OtherProgram(const std::function<bool(DataFileStore&)>& change) {
    const DataFileNames names = DataFileSlotOf(kCli).names;
    const DataFileLayout layout = DictFileLayout(kCli);
    pid_t pid = ::fork();
    if (pid == 0) {
      DataFileStore f;
      if (f.Open(names, layout, 0) != kOk) ::_exit(3);
      const bool ok = change(f);
      ::_exit(f.Close() == kOk && ok ? 0 : 4);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
  }

  // The status another program's open of the file gets.
  Status OtherOpen(uint8_t flags) {
    const DataFileNames names = DiskNames();
    const DataFileLayout layout = DictFileLayout(kCli);
    pid_t pid = ::fork();
    if (pid == 0) {
      DataFileStore f;
      const Status s = f.Open(names, layout, flags);
      f.Close();
      ::_exit(s & 0xFF);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? static_cast<Status>(WEXITSTATUS(status)) : kStLowFailure;
  }

  plat::Hwnd root = plat::kNoWindow;
  plat::Hwnd mant = plat::kNoWindow;
};

}  // namespace eng::test
