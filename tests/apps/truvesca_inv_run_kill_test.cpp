// The invoicing run (truvesca_inv_run_child.cpp) is killed at random
// moments, many times (fixed seed), with new delivery notes added before
// each start. After each kill the next start's recovery runs, and then every
// note is either open or in exactly one invoice that names it, every
// invoice is whole (header, lines, registry record, payments), and the
// invoice numbers run from 1 without a gap.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/block_file.h"
#include "core/dyn_strings.h"
#include "core/field_access.h"
#include "core/msg_box.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "data/data_file_store.h"
#include "data/dict_load.h"
#include "data/field_ref.h"
#include "data/session_state.h"
#include "platform/msgbox_headless.h"
#include "tests/apps/truvesca_inv_run_fixture.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace eng::test {
namespace {

using namespace invrun;

std::string Trim(std::string s) {
  s.erase(s.find_last_not_of(' ') + 1);
  s.erase(0, s.find_first_not_of(' '));
  return s;
}

class InvRunKillTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_EQ(VarInitSystem(), kOk);
    DataInstallFieldAccess();
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("IRTEST01:Demo")), kOk);
    WriteDictionary();
    ASSERT_EQ(DictLoad(StrOf(""), StrOf("IR"), StrOf("")), kOk);
    MsgBoxSetService(&box_);
  }
  void TearDown() override {
    MsgBoxSetService(nullptr);
    FieldAccessInstall(nullptr);
    TempFolderTest::TearDown();
  }
  static void Open() {
    for (uint16_t f : {kNotas, kFacturas, kRegistro, kCobros}) {
      Status s = DataFileOpen(f, 0);
      ASSERT_TRUE(s == kOk || s == 2) << f << ": " << s;
    }
  }
  static void Close() {
    for (uint16_t f : {kCobros, kRegistro, kFacturas, kNotas}) DataFileClose(f);
  }

  // Runs the child; with kill_after >= 0 kills it once that many invoices
  // are complete and `delay_us` more have passed. The child's output.
  static std::string RunChild(int kill_after, useconds_t delay_us, bool* killed) {
    int out[2];
    EXPECT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char* const argv[] = {const_cast<char*>(INV_RUN_CHILD), nullptr};
    pid_t pid = 0;
    EXPECT_EQ(::posix_spawn(&pid, INV_RUN_CHILD, &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string text;
    char buf[4096];
    auto invoices = [&] {
      int n = 0;
      for (char c : text) n += c == 'I';
      return n;
    };
    bool ended = false;
    while (kill_after >= 0 && invoices() < kill_after) {
      ssize_t n = ::read(out[0], buf, sizeof buf);
      if (n <= 0) {
        ended = true;
        break;
      }
      text.append(buf, size_t(n));
    }
    if (kill_after >= 0 && !ended) {
      ::usleep(delay_us);
      ::kill(pid, SIGKILL);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;) text.append(buf, size_t(n));
    ::close(out[0]);
    *killed = WIFSIGNALED(status);
    return text;
  }

  // Checks the files after recovery; the number of open notes.
  static int CheckConsistent() {
    std::map<std::string, std::string> note_invoice;  // note -> invoice ("" open)
    std::map<std::string, long> note_customer;
    for (const std::string& r : LiveRecords("notas.FD", kNotaLength)) {
      note_invoice[Trim(r.substr(0, 6))] = Trim(r.substr(37, 8));
      note_customer[Trim(r.substr(0, 6))] = std::stol(r.substr(6, 5));
    }
    std::set<std::string> headers;
    std::map<std::string, int> lines_of_note;
    std::map<std::string, std::string> line_invoice;
    for (const std::string& r : LiveRecords("facturas.FD", kFacturaLength)) {
      const std::string key = Trim(r.substr(0, 8));
      if (r.substr(8, 3) == "   ") {
        headers.insert(key);
        continue;
      }
      const std::string note = Trim(r.substr(16, 6));
      ++lines_of_note[note];
      line_invoice[note] = key;
    }
    // Numbers 1..n without a gap.
    int expected = 1;
    for (const std::string& h : headers) {
      char want[16];
      std::snprintf(want, sizeof want, "A %06d", expected++);
      EXPECT_EQ(h, want);
    }
    int open = 0;
    for (const auto& [note, invoice] : note_invoice) {
      if (invoice.empty()) {
        ++open;
        EXPECT_EQ(lines_of_note[note], 0) << note << " is open but in an invoice";
        continue;
      }
      EXPECT_EQ(lines_of_note[note], 1) << note << " in " << invoice;
      EXPECT_EQ(line_invoice[note], invoice) << note;
      EXPECT_TRUE(headers.count(invoice)) << note << ": invoice " << invoice << " has no header";
    }
    for (const auto& [note, invoice] : line_invoice)
      EXPECT_EQ(note_invoice[note], invoice) << "invoice " << invoice << " holds " << note;
    std::set<std::string> registry;
    for (const std::string& r : LiveRecords("registro.FD", kRegistroLength)) registry.insert(Trim(r.substr(0, 8)));
    EXPECT_EQ(registry, headers);
    std::set<std::string> paid;
    for (const std::string& r : LiveRecords("cobros.FD", kCobroLength)) paid.insert(Trim(r.substr(0, 8)));
    EXPECT_EQ(paid, headers);
    return open;
  }

  plat::HeadlessMsgBox box_{plat::HeadlessMsgBox::Mode::kBatch, nullptr};
};

TEST_F(InvRunKillTest, EveryNoteIsInOneInvoiceOrOpenAfterAKill) {
  std::mt19937 rng(20261211);
  int next_note = 1;
  int cut_off = 0;  // kills that left an invoice half-written
  for (int round = 0; round < 25; ++round) {
    SCOPED_TRACE(round);
    // New notes for this round: a few customers with one to three notes each.
    Open();
    std::vector<SampleNote> notes;
    std::vector<std::string> names;
    const int count = 8 + int(rng() % 8);
    for (int i = 0; i < count; ++i) {
      char num[8];
      std::snprintf(num, sizeof num, "K%04d", next_note++);
      names.emplace_back(num);
    }
    for (int i = 0; i < count; ++i)
      notes.push_back({names[size_t(i)].c_str(), long(10 + rng() % 6), "PIEZA", long(1 + rng() % 9),
                       long(100 + rng() % 5000), rng() % 2 ? 21L : 10L});
    ASSERT_EQ(SeedNotes(notes), kOk);
    Close();

    bool killed = false;
    const std::string out = RunChild(int(rng() % 4), useconds_t(rng() % 4000), &killed);
    ASSERT_EQ(out.find('F'), std::string::npos) << out;

    // The next start: recovery, then the check.
    if (BlockFileExists(truvesca::InvRunJournalPath(kFacturas))) ++cut_off;
    ASSERT_EQ(SessionStateCheck(1), kOk);
    Open();
    ASSERT_EQ(truvesca::InvRunRecover(kFiles), kOk);
    Close();
    ASSERT_EQ(SessionStateCheck(0), kOk);
    EXPECT_FALSE(BlockFileExists(truvesca::InvRunJournalPath(kFacturas)));
    CheckConsistent();
    if (HasFailure()) return;
  }
  EXPECT_GT(cut_off, 0) << "no kill came in the middle of an invoice";

  // A run left alone invoices every note that is still open.
  bool killed = false;
  const std::string out = RunChild(-1, 0, &killed);
  EXPECT_NE(out.find("E 0"), std::string::npos) << out;
  EXPECT_EQ(CheckConsistent(), 0);
}

}  // namespace
}  // namespace eng::test
