// Field references "NAME{file}": parsing, assignment, and the expression
// evaluator's access to fields through the installed table.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/field_access.h"
#include "core/obj_table.h"
#include "core/sys_vars.h"
#include "data/dict_define.h"
#include "data/dict_query.h"
#include "data/field_ref.h"
#include "data/record_buffer.h"
#include "tests/support/data_fixture.h"

namespace eng::test {
namespace {

class FieldRefTest : public DataFixtureTest {
 protected:
  void SetUp() override {
    DataFixtureTest::SetUp();
    for (uint16_t f = 1; f <= fx::kFileCount; ++f) ASSERT_EQ(BufInit(f), kOk);
    SysVarSet(kVarCurFil, fx::kClientes);
  }

  // A field read through the installed table, or "status N" when it fails.
  static std::string ReadOrStatus(const char* ref) {
    std::string value;
    Status s = FieldRead(StrOf(ref), &value, nullptr);
    return s == kOk ? value : "status " + std::to_string(s);
  }
};

TEST_F(FieldRefTest, ReferencesResolveFileAndField) {
  struct Case {
    const char* ref;
    Status status;
    uint16_t file, field;
  };
  const Case cases[] = {
      {"CODE{}", kOk, 1, 1},
      {"CODE{1}", kOk, 1, 1},
      {"CODE{clientes}", kOk, 1, 1},
      {"CODE{CLIENTES}", kOk, 1, 1},
      {"AMT{movs}", kOk, 2, 4},
      {"3{2}", kOk, 2, 3},
      {"{1}", kOk, 1, 0},
      {"CODE{0}", kStFileOutBound, 0, 0},
      {"CODE{31}", kStFileOutBound, 0, 0},
      {"CODE{5}", kStFileOutBound, 0, 0},
      {"CODE{nofile}", kStFileOutBound, 0, 0},
      {"code{1}", kStSyntax, 1, 0},
      {"NOPE{1}", kStSyntax, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ref);
    DictFieldRefResult r = DictFieldRef(StrOf(c.ref));
    EXPECT_EQ(r.status, c.status);
    if (c.status == kOk) {
      EXPECT_EQ(r.file, c.file);
      EXPECT_EQ(r.field, c.field);
      EXPECT_EQ(r.desc.field, c.field);
    }
  }
  EXPECT_EQ(DictFieldRef(StrOf("DATE{movs}")).desc.type, 'D');
  EXPECT_EQ(DictFieldRef(StrOf("DATE{movs}")).desc.offset, 13);
}

TEST_F(FieldRefTest, MalformedReferencesAre147WithTheReferenceAsIncident) {
  for (const char* ref : {"CODE", "}CODE{", "CODE{1}x", "CODE}1{", "CODE{1"}) {
    SCOPED_TRACE(ref);
    ErrIncident(kOk, StrPair{}, false);
    EXPECT_EQ(DictFieldRef(StrOf(ref)).status, kStSyntax);
    EXPECT_EQ(ErrIncidentText().str(), std::string("Field:") + ref);
  }
}

TEST_F(FieldRefTest, EmptyFieldPartIsRefusedOnUse) {
  DictFieldRefResult r = DictFieldRef(StrOf("{1}"));
  EXPECT_EQ(r.status, kOk);
  EXPECT_EQ(DictCheckField(r.file, r.field), kStDataOutBound);
  EXPECT_EQ(BufAssignFieldRef(StrOf("{1}"), StrOf("x")), kStDataOutBound);
}

TEST_F(FieldRefTest, CurrentFileOutOfRangeIs161) {
  SysVarSet(kVarCurFil, 0);
  EXPECT_EQ(DictFieldRef(StrOf("CODE{}")).status, kStFileOutBound);
}

TEST_F(FieldRefTest, AssignWritesTheCurrentRecord) {
  ASSERT_EQ(BufAssignFieldRef(StrOf("CITY{clientes}"), StrOf("Madrid")), kOk);
  EXPECT_EQ(S(BufFieldText(1, 3, kBufCurrent)), "Madrid" + std::string(14, ' '));
  EXPECT_EQ(BufAssignFieldRef(StrOf("CITY{9}"), StrOf("x")), kStFileOutBound);
}

TEST_F(FieldRefTest, ExpressionsReachFieldsThroughTheInstalledTable) {
  FieldAccessInstall(nullptr);
  char type = 0;
  EXPECT_EQ(FieldTypeOf(StrOf("CODE{}"), &type), kStFileOutBound);
  DataInstallFieldAccess();
  ASSERT_EQ(FieldAssign(StrOf("NAME{1}"), StrOf("Lucia")), kOk);
  std::string value;
  ASSERT_EQ(FieldRead(StrOf("NAME{clientes}"), &value, &type), kOk);
  EXPECT_EQ(value, "Lucia" + std::string(25, ' '));
  EXPECT_EQ(type, 'A');
  ASSERT_EQ(FieldTypeOf(StrOf("AMT{2}"), &type), kOk);
  EXPECT_EQ(type, '2');
  EXPECT_EQ(FieldTypeOf(StrOf("9{2}"), &type), kStDataOutBound);
  EXPECT_EQ(FieldRead(StrOf("NAME"), &value, &type), kStSyntax);
  EXPECT_EQ(FieldAssign(StrOf("NAME{0}"), StrOf("x")), kStFileOutBound);
  FieldAccessInstall(nullptr);
}

// References are resolved once and kept: what is read must still follow the
// current file for "{}" and every change of the dictionary.
TEST_F(FieldRefTest, ReadsFollowTheCurrentFileAndTheDictionaryAfterTheFirstRead) {
  DataInstallFieldAccess();
  auto read = ReadOrStatus;
  // NAME is field 2 of clientes and field 1 of params.
  ASSERT_EQ(FieldAssign(StrOf("NAME{clientes}"), StrOf("Ann")), kOk);
  ASSERT_EQ(FieldAssign(StrOf("NAME{params}"), StrOf("RATE")), kOk);
  for (int round = 0; round < 2; ++round) {
    SysVarSet(kVarCurFil, fx::kClientes);
    EXPECT_EQ(read("NAME{}"), "Ann" + std::string(27, ' '));
    SysVarSet(kVarCurFil, fx::kParams);
    EXPECT_EQ(read("NAME{}"), "RATE    ");
  }

  // A fifth file, cut and defined again with another layout under the same
  // names: its first NAME now comes first, and is the one read.
  const DictExtent four = DictExtentNow();
  ASSERT_EQ(DictDefineFile(0, StrOf("EXTRA"), StrOf("")), kOk);
  ASSERT_EQ(DictDefineField(StrOf("X"), 5, 'A'), kOk);
  ASSERT_EQ(DictDefineField(StrOf("NAME"), 4, 'A'), kOk);
  ASSERT_EQ(BufInit(5), kOk);
  ASSERT_EQ(BufStore(5, kBufCurrent, StrOf("xxxxxabcd")), kOk);
  EXPECT_EQ(read("NAME{5}"), "abcd");
  EXPECT_EQ(read("NAME{extra}"), "abcd");
  ASSERT_EQ(DictTruncate(four), kOk);
  EXPECT_EQ(read("NAME{5}"), "status " + std::to_string(kStFileOutBound));
  ASSERT_EQ(DictDefineFile(0, StrOf("EXTRA"), StrOf("")), kOk);
  ASSERT_EQ(DictDefineField(StrOf("NAME"), 6, 'A'), kOk);
  ASSERT_EQ(DictDefineField(StrOf("NAME"), 4, 'A'), kOk);
  ASSERT_EQ(BufInit(5), kOk);
  ASSERT_EQ(BufStore(5, kBufCurrent, StrOf("second1234")), kOk);
  EXPECT_EQ(read("NAME{5}"), "second");
  EXPECT_EQ(read("NAME{extra}"), "second");
  DictFieldRefResult r = DictFieldRef(StrOf("NAME{5}"));
  EXPECT_EQ(r.field, 1);
  EXPECT_EQ(r.desc.length, 6);
  FieldAccessInstall(nullptr);
}

// A kept reference is checked by the dictionary's epoch alone: a change of
// the names or descriptions made other than by defining or cutting files
// must be seen by the next read as well.
TEST_F(FieldRefTest, ReadsFollowNameAndDescriptionChangesMadeOutsideDefinitions) {
  DataInstallFieldAccess();
  auto read = ReadOrStatus;
  ASSERT_EQ(FieldAssign(StrOf("NAME{clientes}"), StrOf("Ann")), kOk);
  const std::string ann = "Ann" + std::string(27, ' ');
  const std::string unknown_field = "status " + std::to_string(kStSyntax);
  const std::string unknown_file = "status " + std::to_string(kStFileOutBound);
  // NAME is field 2 of clientes, clientes the first file name.
  const uint16_t name_at = DictFieldIndex(fx::kClientes, 2);
  const DictFieldDesc name_desc = DictField(fx::kClientes, 2);
  DictFieldDesc shorter = name_desc;
  shorter.length = 3;
  auto rename_field = [&](const char* to) { ASSERT_EQ(DynStrSet(dl::kFieldNames, name_at, StrOf(to)), kOk); };
  auto rename_file = [](const char* to) { ASSERT_EQ(DynStrSet(dl::kFileNames, 0, StrOf(to)), kOk); };
  auto describe = [&](const DictFieldDesc& d) { ASSERT_TRUE(ObjTableSet(kObjFieldDescs, name_at, d)); };
  struct Case {
    const char* what;
    std::function<void()> change, undo;
    const char* ref;
    std::string after;
  };
  const Case cases[] = {
      {"field renamed in the name list", [&] { rename_field("OTHER"); }, [&] { rename_field("NAME"); },
       "NAME{clientes}", unknown_field},
      {"field renamed, read by its new name", [&] { rename_field("OTHER"); }, [&] { rename_field("NAME"); },
       "OTHER{clientes}", ann},
      {"file renamed in the name list", [&] { rename_file("gente"); }, [&] { rename_file("clientes"); },
       "NAME{clientes}", unknown_file},
      {"field description rewritten", [&] { describe(shorter); }, [&] { describe(name_desc); }, "NAME{clientes}",
       "Ann"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(read("NAME{clientes}"), ann);
    c.change();
    EXPECT_EQ(read(c.ref), c.after);
    c.undo();
    EXPECT_EQ(read("NAME{clientes}"), ann);
  }
  // The object tables ended and started again: the files keep their count
  // but have no fields left to find.
  ObjTableFreeAll();
  ASSERT_EQ(ObjTableInit(), kOk);
  EXPECT_EQ(read("NAME{clientes}"), unknown_field);
  FieldAccessInstall(nullptr);
}

}  // namespace
}  // namespace eng::test
