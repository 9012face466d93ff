// The program the document kill test runs: in the current folder (the
// dictionary of tests/data/doc_fixture.h) it opens a session and then saves
// and deletes documents in a loop until it is killed. Before each operation
// it writes "S <doc> <version> <lines>" (a delete: version 0) and after it
// "D", each line flushed at once, so that the test knows what was complete
// and what was under way when the kill came. Any failure writes "F <status>"
// and ends the program.
//
// Documents 0-3 are delivery notes "N0".."N3" (header file + lines file),
// 4-7 invoices "A 00000<d>" (one file). A header's customer reads
// "c<version>/<lines>", line i's item "v<version>-<i>".
//
// Arguments: random seed, first version.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "core/dyn_strings.h"
#include "core/obj_table.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/string_lists.h"
#include "core/var_store.h"
#include "data/dict_load.h"
#include "data/doc_store.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/session_state.h"
#include "tests/data/doc_fixture.h"

namespace {

using namespace eng;
using namespace eng::test::docs;

[[noreturn]] void Fail(Status s) {
  std::printf("F %u\n", unsigned(s));
  std::fflush(stdout);
  std::_Exit(3);
}

void Check(Status s) {
  if (s) Fail(s);
}

// The header of document d in its file's buffer, and its files and key.
DocFiles Header(int d, long version, int lines, std::string* key) {
  const std::string customer = "c" + std::to_string(version) + "/" + std::to_string(lines);
  if (d < 4) {
    *key = Pad("N" + std::to_string(d), 6);
    if (DataFileMove(kAlbaranes, 1) != 3) Fail(1);
    Check(BufSetField(kAlbaranes, 1, StrOf(*key)));
    Check(BufSetField(kAlbaranes, 2, StrOf(customer)));
    return {kAlbaranes, kLineas};
  }
  *key = "A 00000" + std::to_string(d);
  if (DataFileMove(kFac, 1) != 3) Fail(1);
  Check(BufSetField(kFac, 1, StrOf("A")));
  Check(BufSetField(kFac, 2, StrOf(key->substr(2))));
  Check(BufSetField(kFac, 4, StrOf(customer)));
  return {kFac, kFac};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  std::mt19937 rng(unsigned(std::strtoul(argv[1], nullptr, 10)));
  long version = std::strtol(argv[2], nullptr, 10);

  CoreRuntimeReset();
  MemSetLimits(kArenaProgramKb, 0xFFFF);
  Check(DynStrInit());
  Check(ObjTableInit());
  Check(VarInitSystem());
  Check(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("DNTEST01:Demo")));
  Check(DictLoad(StrOf(""), StrOf("DN"), StrOf("")));
  Check(SessionStateCheck(1));
  for (uint16_t f : {kAlbaranes, kLineas, kFac}) {
    Status s = DataFileOpen(f, 0);
    if (s != 0 && s != 2) Fail(s);
  }

  for (;;) {
    ScratchScope scope;
    const int d = int(rng() % 8);
    const bool remove = rng() % 8 == 0;
    const int lines = remove ? 0 : 1 + int(rng() % 12);
    const long v = remove ? 0 : ++version;
    std::printf("S %d %ld %d\n", d, v, lines);
    std::fflush(stdout);
    std::string key;
    DocFiles files = Header(d, v, lines, &key);
    Status s;
    if (remove) {
      s = DocDelete(files, StrOf(key), StrOf(""), StrOf(""));
      if (s == kStEndOfData) s = kOk;  // there was none
    } else {
      DocSaveParts parts;
      parts.line_count = uint16_t(lines);
      const uint16_t item = files.lines == kLineas ? 3 : 5;
      parts.fill_line = [&](uint16_t n) {
        return BufSetField(files.lines, item, StrOf("v" + std::to_string(v) + "-" + std::to_string(n)));
      };
      // Documents in one file write their header through the headers
      // callback, as document windows do (their header definitions decide).
      if (files.header == files.lines) parts.headers = [](const DocAddFn& add) { return add(); };
      s = DocSave(files, StrOf(key), parts);
    }
    Check(s);
    std::printf("D\n");
    std::fflush(stdout);
  }
}
