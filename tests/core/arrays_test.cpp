#include <gtest/gtest.h>

#include <string>

#include "core/arrays.h"
#include "core/fn_call.h"
#include "core/obj_table.h"
#include "core/var_store.h"
#include "tests/support/exp_fixture.h"

namespace eng::test {
namespace {

using ArraysTest = ExpTest;

const DimDescriptor* Desc(const char* name) {
  VarRef r = VarLookup(StrOf(name));
  return r.declared() ? DimGet(r.index) : nullptr;
}

TEST_F(ArraysTest, FirstReadCreatesTheArray) {
  EvalResult r = Eval("A(3)");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.num, 0);
  const DimDescriptor* d = Desc("A(");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->count, 4);
  EXPECT_EQ(d->kind, kVarInt);
  EXPECT_EQ(Eval("A(4)").status, kStDataOutBound);
  EXPECT_EQ(Eval("A(0)=5;A(3)=6;A(0)+A(3)").text, "11");
}

TEST_F(ArraysTest, RowMajorLayoutChecksOnlyTheCombinedOffset) {
  ASSERT_EQ(Eval("M(2,3)").status, 0);
  const DimDescriptor* d = Desc("M(");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->count, 12);
  ASSERT_EQ(ExpExecute(StrOf("M(1,1)=9")), kOk);
  EXPECT_EQ(Eval("M(0,5)").text, "9");   // offset 5 is M(1,1)
  EXPECT_EQ(Eval("M(1)").text, "");      // fewer indexes count from the first: offset 4
  EXPECT_EQ(Eval("M(2;3)=4;M(0,11)").text, "4");
  EXPECT_EQ(Eval("M(2,4)").status, kStDataOutBound);
}

TEST_F(ArraysTest, AssignmentNeverCreates) {
  EXPECT_EQ(Eval("B(1)=2").status, kStDimStruct);
  EXPECT_FALSE(VarLookup(StrOf("B(")).declared());
}

TEST_F(ArraysTest, ElementKinds) {
  ASSERT_EQ(ExpExecute(StrOf("I(2);N#(2)")), kOk);
  EXPECT_EQ(Eval("I(1)=7.9;I(1)").text, "7");  // integer elements truncate
  EXPECT_EQ(Eval("I(1)=-7.9;I(1)").text, "-7");
  EXPECT_EQ(Eval("I(1)=70000;I(1)").text, "4464");
  EXPECT_EQ(Eval("N#(1)=7.9;N#(1)").text, "7.9");
  EXPECT_EQ(Eval("I(1)='x'").status, kStIncompatibleTypes);
}

TEST_F(ArraysTest, TextElementsKeepTheirWidth) {
  ASSERT_EQ(Eval("T$(3;'vwxyz')").text, "vwxyz");  // 4 elements of width 5
  EXPECT_EQ(Desc("T$(")->elem_size, 5);
  EXPECT_EQ(Eval("T$(1)='ab';T$(1)").text, "abxyz");
  EXPECT_EQ(Eval("T$(2)='abcdefgh';T$(2)").text, "abcde");  // the excess is dropped
  EXPECT_EQ(Eval("T$(3)").text, "vwxyz");                  // the neighbour is intact
  EXPECT_EQ(Eval("T$(1)=5").status, kStIncompatibleTypes);
  EXPECT_EQ(Eval("Z$(3)").status, kStSyntax);  // no initial text: width 0
}

TEST_F(ArraysTest, TextArrayWidthComesFromItsOwnArguments) {
  // A read-created text array inside a call's arguments does not take the
  // call's other arguments as its initial value.
  EXPECT_EQ(Eval("'a'+W$(2;'xy')+'b'").text, "axyb");
  EXPECT_EQ(Desc("W$(")->elem_size, 2);
}

Status CountArgs(FnArgs& a) {
  std::string seen;
  for (uint16_t i = a.Count(); i > 0; --i) {
    FnArg v = FnArgValue(a, i, StrPair{}, kFnArgText);
    seen = (v.type == kFnArgText ? v.value.str() : std::string("#")) + "|" + seen;
  }
  a.result_text = true;
  StrPair r = ScratchText(seen);
  return r.ok() ? kOk : StrError(r);
}

TEST_F(ArraysTest, ReadCreatedTextArrayLeavesTheCallsArguments) {
  ASSERT_EQ(FnRegister(StrOf("SEEN$"), CountArgs), kOk);
  EXPECT_EQ(Eval("SEEN$('outer';W$(1;'xy');'last')").text, "outer|xy|last|");
  EXPECT_EQ(Desc("W$(")->elem_size, 2);
}

TEST_F(ArraysTest, SystemArrayIsCreatedOnce) {
  ASSERT_EQ(ExpExecute(StrOf("_#(5)=1.5")), kOk);
  const DimDescriptor* d = Desc("_#(");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->count, 257);
  EXPECT_EQ(d->kind, kVarNum);
  ASSERT_EQ(ExpExecute(StrOf("_#(256)=2")), kOk);
  EXPECT_EQ(Desc("_#(")->count, 257);
  EXPECT_EQ(S(DimElementRef(StrOf("_#("), 5)).size(), 8u);
  EXPECT_EQ(DimAddNum(StrOf("_#("), 5, 100), kOk);
  EXPECT_EQ(DimAddNum(StrOf("_#("), 5, 150), kOk);
  ScratchScope scope;
  ASSERT_EQ(DimRead(StrOf("_#("), StrOf("5")), kOk);
  EXPECT_EQ(NumAccValue(), 400);
  EXPECT_EQ(Eval("_#(257)=1").status, kStDataOutBound);
  EXPECT_EQ(Eval("_#(5)+_#(256)").text, "6");  // read as elements while no function is installed
  EXPECT_TRUE(DimDeclareSystem(StrOf("_#")));
  EXPECT_FALSE(DimDeclareSystem(StrOf("_$")));
}

TEST_F(ArraysTest, NumberHelpersNeedAnExistingArray) {
  EXPECT_EQ(DimAddNum(StrOf("Q#("), 1, 5), kStDimStruct);
  EXPECT_EQ(DimSetNum(StrOf("Q#("), 1, 5), kStDimStruct);
  ASSERT_EQ(ExpExecute(StrOf("Q#(2)")), kOk);
  EXPECT_EQ(DimSetNum(StrOf("Q#("), 2, 250), kOk);
  EXPECT_EQ(Eval("Q#(2)").text, "2.5");
  EXPECT_EQ(DimSetNum(StrOf("Q#("), 3, 1), kStDataOutBound);
}

TEST_F(ArraysTest, LimitsOfShape) {
  uint16_t sizes[5] = {1, 1, 1, 1, 1};
  EXPECT_EQ(DimDeclare(StrOf("F("), 5, sizes, StrPair{}), kStDimStruct);  // five dimensions
  EXPECT_EQ(Eval("G(300,300)").status, kStDimStruct);  // 301 x 301 elements do not fit 16 bits
  EXPECT_EQ(Eval("H(1,2,3,4,5)").status, kStDimStruct);
  uint16_t zero[1] = {0};
  EXPECT_EQ(DimDeclare(StrOf("K("), 1, zero, StrPair{}), kStSyntax);  // one element
  EXPECT_EQ(DimDeclare(StrOf("D("), 2, sizes, StrPair{}), kOk);
  EXPECT_EQ(DimDeclare(StrOf("D("), 2, sizes, StrPair{}), kStVarName);  // exists
  EXPECT_EQ(Eval("E()").status, kStDimStruct);  // an omitted index sized 65535
}

TEST_F(ArraysTest, FillWritesARangeOfElements) {
  ASSERT_EQ(ExpExecute(StrOf("P#(9)")), kOk);
  ScratchScope scope;
  EXPECT_EQ(DimFillByName(StrOf("P#("), DecStoreValue(300), 2, 4), kOk);
  EXPECT_EQ(DimFillByName(StrOf("P#("), DecStoreValue(100), 8, 500), kOk);  // up to the last
  EXPECT_EQ(Eval("P#(1)+P#(2)+P#(4)+P#(5)+P#(9)").text, "7");
  EXPECT_EQ(DimFillByName(StrOf("NONE("), DecStoreValue(1), 0, 1), kStDimStruct);
}

TEST_F(ArraysTest, IndexesAreExpressions) {
  ASSERT_EQ(ExpExecute(StrOf("V(9);J=2;V(J*2+1)=3")), kOk);
  EXPECT_EQ(Eval("V(5)").text, "3");
  EXPECT_EQ(Eval("V((1+1)*2+1)*2").text, "6");
  EXPECT_EQ(Eval("V('x')").status, kStIncompatibleTypes);  // indexes are numbers
  EXPECT_EQ(Eval("V('x';1)").status, kStIncompatibleTypes);
  EXPECT_EQ(Eval("V(1;'x')=2").status, kStIncompatibleTypes);
}

TEST_F(ArraysTest, FreeAllDropsEveryArray) {
  ASSERT_EQ(ExpExecute(StrOf("A(3);_#(1)=1")), kOk);
  EXPECT_EQ(DimFreeAll(), kOk);
  EXPECT_EQ(Desc("A("), nullptr);
  EXPECT_EQ(Desc("_#("), nullptr);
}

}  // namespace
}  // namespace eng::test
