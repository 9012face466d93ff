#include "core/hooks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/err_register.h"
#include "core/scratch_arena.h"
#include "tests/support/core_fixture.h"

namespace eng::test {
namespace {

// What the handlers below were called with.
struct Calls {
  std::vector<std::string> log;
};
Calls g_calls;

Status TaskLowLevelLike() {
  g_calls.log.push_back("lowlevel");
  return ErrIncident(kStNotAvailable, StrOf("TaskLowLevel"), false);
}
Status ActionHandler(uint16_t action) {
  g_calls.log.push_back("action " + std::to_string(action));
  return action == 25 ? Status{0} : Status{24};
}
Status OtherActionHandler(uint16_t action) {
  g_calls.log.push_back("other " + std::to_string(action));
  return 7;
}
Status SelfReplacingHandler(uint16_t action) {
  g_calls.log.push_back("self " + std::to_string(action));
  HookSetFn(&OtherActionHandler, kHookApp10);
  return 1;
}
Status TextHandler(StrPair text) {
  g_calls.log.push_back("text [" + text.str() + "]");
  return 3;
}
Status AcceptHandler(const AcceptResult& r) {
  g_calls.log.push_back("accept " + std::to_string(r.exit_key) + " " + r.values.str() + " " +
                        r.filter.str() + " " + std::to_string(r.status));
  return 9;
}
StrPair FieldProvider(StrPair name, uint16_t mode, StrPair value) {
  g_calls.log.push_back("field " + name.str() + " " + std::to_string(mode) + " " + value.str());
  if (name.view() == "_MINE") return StrOf("value");
  return StrFail(kStDataError);
}
Status ExecFunction(StrPair function, StrPair file, uint16_t flags) {
  g_calls.log.push_back("exec " + function.str() + " " + file.str() + " " + std::to_string(flags));
  return 0;
}
StrPair LineField(StrPair name, int32_t index) {
  g_calls.log.push_back("line " + name.str() + " " + std::to_string(index));
  return StrOf("cell");
}
Status RelFetch(uint16_t a, uint16_t b, uint16_t relation, uint16_t flags, StrPair statements) {
  g_calls.log.push_back("rel " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(relation) +
                        " " + std::to_string(flags) + " " + statements.str());
  return 2;
}
Status Merge(uint32_t v1, uint32_t v2, uint32_t v3, uint16_t flags) {
  g_calls.log.push_back("merge " + std::to_string(v1 + v2 + v3) + " " + std::to_string(flags));
  return 0;
}
uint32_t Position() { return 0x00050007; }
Status FieldHelp(uint16_t window_record, HookPositionFn position) {
  g_calls.log.push_back("help " + std::to_string(window_record) + " " + std::to_string(position()));
  return 0;
}

class HookTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    g_calls = Calls{};
  }
  static std::vector<std::string> Log() { return g_calls.log; }
};

using V = std::vector<std::string>;

TEST_F(HookTest, SlotsAbove24AreNoSlots) {
  HookSetFn(&FieldProvider, 0);
  EXPECT_FALSE(HookGet(25).index());
  EXPECT_FALSE(HookGet(255).index());
  EXPECT_FALSE(HookGet(-1).index());
  // 256 is no slot either (it is not read as slot 0).
  EXPECT_FALSE(HookGet(256).index());
  EXPECT_TRUE(HookFilled(0));

  std::array<HookEntry, kHookSlots> before;
  for (int i = 0; i < kHookSlots; ++i) before[i] = HookGet(i);
  EXPECT_EQ(HookSetFn(&ActionHandler, 30), kHookRefused);
  EXPECT_EQ(HookSetFn(&ActionHandler, -2), kHookRefused);
  EXPECT_EQ(HookSet(HookEntry{&TextHandler}, 256), kHookRefused);
  for (int i = 0; i < kHookSlots; ++i) EXPECT_EQ(HookGet(i), before[i]) << i;

  EXPECT_EQ(HookSetFn(&ActionHandler, 24), 24);
  EXPECT_EQ(HookFormOf(HookGet(24)), HookForm::kAction);
}

TEST_F(HookTest, TypedSetStoresTheFormOfTheFunction) {
  struct Case {
    uint16_t slot;
    HookForm form;
  } cases[] = {
      {HookSetFn(&FieldProvider, 0), HookForm::kFieldProvider},
      {HookSetFn(&ExecFunction, 1), HookForm::kExecFunction},
      {HookSetFn(&LineField, 2), HookForm::kLineField},
      {HookSetFn(&RelFetch, 3), HookForm::kRelFetch},
      {HookSetFn(&ActionHandler, 4), HookForm::kAction},
      {HookSetFn(&AcceptHandler, 8), HookForm::kAccept},
      {HookSetFn(&TextHandler, 12), HookForm::kText},
      {HookSetFn(&Merge, 21), HookForm::kMerge},
      {HookSetFn(&FieldHelp, 22), HookForm::kFieldHelp},
      {HookSetFn(&TaskLowLevelLike, 23), HookForm::kNoArgs},
  };
  for (const Case& c : cases) EXPECT_EQ(HookFormOf(HookGet(c.slot)), c.form) << c.slot;
  EXPECT_EQ(HookFormOf(HookGet(9)), HookForm::kEmpty);

  // A null function empties the slot: an empty slot is never called.
  EXPECT_EQ(HookSetFn(static_cast<HookActionFn>(nullptr), 4), 4);
  EXPECT_FALSE(HookFilled(4));
  EXPECT_EQ(HookCallAction(4, 25), std::nullopt);
}

TEST_F(HookTest, HookTexts) {
  HookSetFn(&TaskLowLevelLike, kHookLowLevel);
  HookSetFn(&TextHandler, 12);
  struct Case {
    const char* text;
    Status answer;
    const char* call;  // the one call made, or "" for none
  } cases[] = {
      {"23:", kStNotAvailable, "lowlevel"},
      {"23:anything", kStNotAvailable, "lowlevel"},
      {"9:x", 0, ""},  // slot 9 is empty
      {"12:Registry,Invoice", 3, "text [Registry,Invoice]"},
      {"12:a:b", 3, "text [a:b]"},
      {" 12 :Payments x.dat", 3, "text [Payments x.dat]"},
      {"12", 3, "text []"},
      {"30:x", 0, ""},
      {"-1:x", 0, ""},
      {"", 0, ""},
  };
  for (const Case& c : cases) {
    g_calls = Calls{};
    EXPECT_EQ(ExpCallHookText(StrOf(c.text)), c.answer) << c.text;
    EXPECT_EQ(Log(), std::string(c.call).empty() ? V{} : V{c.call}) << c.text;
  }
  EXPECT_EQ(S(ErrIncidentText()), "TaskLowLevel");
  EXPECT_EQ(ExpCallHookText(StrFail(kStOutOfMemory)), kStOutOfMemory);
}

TEST_F(HookTest, CallOfTheWrongShapeIsNotMade) {
  HookSetFn(&FieldProvider, 0);
  HookSetFn(&ActionHandler, 10);
  HookSetFn(&AcceptHandler, 11);
  HookSetFn(&TextHandler, 12);
  struct Case {
    const char* what;
    std::optional<Status> answer;
    const char* incident;
  } cases[] = {
      {"text to an action handler", HookCallText(10, StrOf("x")), "hook 10"},
      {"hook text to an action handler", ExpCallHookText(StrOf("10:x")), "hook 10"},
      {"hook text to the field provider", ExpCallHookText(StrOf("0:x")), "hook 0"},
      {"action to the field provider", HookCallAction(0, 25), "hook 0"},
      {"action to an accept handler", HookCallAction(11, 25), "hook 11"},
      {"accept to an action handler", HookCallAccept(10, AcceptResult{}), "hook 10"},
      {"accept to a text handler", HookCallAccept(12, AcceptResult{}), "hook 12"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.answer, std::optional<Status>(kStNotAvailable)) << c.what;
  }
  EXPECT_EQ(Log(), V{});
  std::string incident = S(ErrIncidentText());
  for (const Case& c : cases) EXPECT_NE(incident.find(c.incident), std::string::npos) << c.what;
  // Not recorded as an error: the caller decides what "not handled" means.
  EXPECT_EQ(ErrLastCode(), 0);

  // The special slots refuse handlers of another form in the same way.
  HookSetFn(&ActionHandler, kHookExecFunction);
  HookSetFn(&ActionHandler, kHookLineField);
  HookSetFn(&TextHandler, kHookRelFetch);
  HookSetFn(&TextHandler, kHookTransMerge);
  HookSetFn(&ActionHandler, kHookFieldHelp);
  EXPECT_EQ(HookCallExecFunction(StrOf("F"), StrOf("x.prc"), 2), std::optional<Status>(kStNotAvailable));
  EXPECT_EQ(StrError(*HookCallLineField(StrOf("_GRID1"), 3)), kStNotAvailable);
  EXPECT_EQ(HookCallRelFetch(1, 2, 3, 4, StrOf("")), std::optional<Status>(kStNotAvailable));
  EXPECT_EQ(HookCallMerge(1, 2, 3, 0), std::optional<Status>(kStNotAvailable));
  EXPECT_EQ(HookCallFieldHelp(0, &Position), std::optional<Status>(kStNotAvailable));
  HookSetFn(&ActionHandler, kHookFieldProvider);
  EXPECT_EQ(StrError(*HookCallFieldProvider(StrOf("_X"), 1, StrPair{})), kStNotAvailable);
  EXPECT_EQ(Log(), V{});
}

TEST_F(HookTest, HandlerWithoutArgumentsTakesEveryWindowShape) {
  // ACCEPT_PRC% of 23 reaches TaskLowLevel from a window and from an accept definition.
  HookSetFn(&TaskLowLevelLike, kHookLowLevel);
  EXPECT_EQ(HookCallAction(kHookLowLevel, 25), std::optional<Status>(kStNotAvailable));
  EXPECT_EQ(HookCallAccept(kHookLowLevel, AcceptResult{}), std::optional<Status>(kStNotAvailable));
  EXPECT_EQ(HookCallText(kHookLowLevel, StrOf("x")), std::optional<Status>(kStNotAvailable));
  EXPECT_EQ(Log(), (V{"lowlevel", "lowlevel", "lowlevel"}));
}

TEST_F(HookTest, CallsPassTheirArguments) {
  HookSetFn(&ActionHandler, kHookSteps);
  HookSetFn(&AcceptHandler, 15);
  HookSetFn(&ExecFunction, kHookExecFunction);
  HookSetFn(&LineField, kHookLineField);
  HookSetFn(&RelFetch, kHookRelFetch);
  HookSetFn(&Merge, kHookTransMerge);
  HookSetFn(&FieldHelp, kHookFieldHelp);

  EXPECT_EQ(HookCallAction(kHookSteps, 25), std::optional<Status>(0));
  EXPECT_EQ(HookCallAction(kHookSteps, 28), std::optional<Status>(24));
  AcceptResult r{13, StrOf("'a','b'"), StrOf("X>1"), 0};
  EXPECT_EQ(HookCallAccept(15, r), std::optional<Status>(9));
  EXPECT_EQ(HookCallExecFunction(StrOf("TOTAL"), StrOf("calc.prc"), 2), std::optional<Status>(0));
  EXPECT_EQ(S(*HookCallLineField(StrOf("_GRID3"), 5)), "cell");
  EXPECT_EQ(HookCallRelFetch(4, 6, 1, 0x14, StrOf("A=1")), std::optional<Status>(2));
  EXPECT_EQ(HookCallMerge(1, 2, 3, 8), std::optional<Status>(0));
  EXPECT_EQ(HookCallFieldHelp(3, &Position), std::optional<Status>(0));
  EXPECT_EQ(Log(), (V{"action 25", "action 28", "accept 13 'a','b' X>1 0", "exec TOTAL calc.prc 2",
                      "line _GRID3 5", "rel 4 6 1 20 A=1", "merge 6 8", "help 3 327687"}));
}

TEST_F(HookTest, EmptySlotsLeaveTheFallbackToTheCaller) {
  EXPECT_EQ(HookCallFieldProvider(StrOf("_X"), 1, StrPair{}), std::nullopt);
  EXPECT_EQ(HookCallExecFunction(StrOf("F"), StrOf("f.prc"), 2), std::nullopt);
  EXPECT_EQ(HookCallLineField(StrOf("_GRID1"), 1), std::nullopt);
  EXPECT_EQ(HookCallRelFetch(1, 2, 1, 4, StrPair{}), std::nullopt);
  EXPECT_EQ(HookCallAction(6, 25), std::nullopt);
  EXPECT_EQ(HookCallAccept(8, AcceptResult{}), std::nullopt);
  EXPECT_EQ(HookCallText(12, StrOf("x")), std::nullopt);
  EXPECT_EQ(HookCallMerge(0, 0, 0, 0), std::nullopt);
  EXPECT_EQ(HookCallFieldHelp(0, &Position), std::nullopt);
  EXPECT_EQ(HookCallAction(40, 25), std::nullopt);
  EXPECT_EQ(S(ErrIncidentText()), "");
}

TEST_F(HookTest, FieldProviderAnswersPassThrough) {
  HookSetFn(&FieldProvider, kHookFieldProvider);
  EXPECT_EQ(S(*HookCallFieldProvider(StrOf("_MINE"), 1, StrPair{})), "value");
  // 163: the name is not the provider's; the caller treats it as an ordinary variable.
  EXPECT_EQ(StrError(*HookCallFieldProvider(StrOf("_X"), 5, StrOf("12"))), kStDataError);
  EXPECT_EQ(Log(), (V{"field _MINE 1 ", "field _X 5 12"}));
}

TEST_F(HookTest, SlotIsSwappedAndPutBack) {
  // The Copy verb saves hook 23, installs its own and restores the old one.
  HookSetFn(&TaskLowLevelLike, kHookLowLevel);
  HookEntry saved = HookGet(kHookLowLevel);
  HookSetFn(&OtherActionHandler, kHookLowLevel);
  EXPECT_EQ(HookCallAction(kHookLowLevel, 1), std::optional<Status>(7));
  HookSet(saved, kHookLowLevel);
  EXPECT_EQ(ExpCallHookText(StrOf("23:")), kStNotAvailable);

  // Saving an empty slot and putting it back leaves it empty.
  HookEntry empty = HookGet(20);
  HookSetFn(&ActionHandler, 20);
  HookSet(empty, 20);
  EXPECT_FALSE(HookFilled(20));
}

TEST_F(HookTest, HandlerMayRefillItsOwnSlot) {
  HookSetFn(&SelfReplacingHandler, kHookApp10);
  EXPECT_EQ(HookCallAction(kHookApp10, 25), std::optional<Status>(1));
  EXPECT_EQ(HookCallAction(kHookApp10, 25), std::optional<Status>(7));
  EXPECT_EQ(Log(), (V{"self 25", "other 25"}));
}

TEST_F(HookTest, TableBelongsToTheRuntime) {
  HookSetFn(&ActionHandler, 5);
  CoreRuntimeReset();
  EXPECT_FALSE(HookFilled(5));
}

TEST_F(HookTest, WindowSlotSelection) {
  StrPair none{}, some = StrOf("x");
  struct Case {
    int32_t accept_prc;
    StrPair steps, prcname, docname, parm_file;
    uint16_t slot;
  } cases[] = {
      {0, some, some, some, some, kHookSteps},
      {0, none, some, some, some, kHookPrcName},
      {0, none, none, some, some, kHookDocName},
      {0, none, none, none, some, kHookParmFile},
      {0, none, none, none, none, kHookNone},
      {12, some, some, some, some, 12},
      {23, none, none, none, none, 23},
      {30, some, none, none, none, kHookNone},
      {-1, some, none, none, none, kHookNone},
  };
  for (const Case& c : cases)
    EXPECT_EQ(HookSlotForWindow(c.accept_prc, c.steps, c.prcname, c.docname, c.parm_file), c.slot)
        << c.accept_prc;
}

Status MenuCommand(StrPair command) { return command.view() == "Mine" ? Status{5} : Status{kStNotAvailable}; }
Status TaskCloseZero() { return 0; }
StrPair ErrorName(Status s) { return s == 122 ? StrOf("Cancelado por el usuario") : StrPair{}; }
Status DefaultLanguage() { return 0; }
StrPair MessageText(StrPair number) { return number.view() == "1020" ? StrOf("Texto") : StrPair{}; }

TEST_F(HookTest, ApplicationFunctionsAndTheirDefaults) {
  EXPECT_EQ(AppCallMenuCommand(StrOf("Mine")), kStNotAvailable);
  EXPECT_EQ(AppCallTaskClose(), kStNotAvailable);
  EXPECT_EQ(AppCallTaskLowLevel(), kStNotAvailable);
  EXPECT_EQ(S(AppCallErrorName(122)), "Indefinido");
  EXPECT_EQ(AppCallDefaultLanguage(), kStNotAvailable);
  EXPECT_EQ(S(AppCallMessageText(StrOf("1020"))), "");

  AppFunctions f;
  f.menu_command = &MenuCommand;
  f.task_close = &TaskCloseZero;
  f.task_low_level = &TaskLowLevelLike;
  f.error_name = &ErrorName;
  f.default_language = &DefaultLanguage;
  f.message_text = &MessageText;
  AppFunctionsSet(f);
  EXPECT_EQ(AppCallMenuCommand(StrOf("Mine")), 5);
  EXPECT_EQ(AppCallMenuCommand(StrOf("Other")), kStNotAvailable);
  EXPECT_EQ(AppCallTaskClose(), 0);
  EXPECT_EQ(AppCallTaskLowLevel(), kStNotAvailable);
  EXPECT_EQ(S(AppCallErrorName(122)), "Cancelado por el usuario");
  EXPECT_EQ(S(AppCallErrorName(184)), "Indefinido");
  EXPECT_EQ(AppCallDefaultLanguage(), 0);
  EXPECT_EQ(S(AppCallMessageText(StrOf("1020"))), "Texto");
  EXPECT_EQ(AppFunctionsGet().task_close, &TaskCloseZero);
}

}  // namespace
}  // namespace eng::test
