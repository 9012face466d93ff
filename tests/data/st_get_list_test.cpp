#include "data/st_get_list.h"

#include "core/fn_builtins.h"
#include "data/fn_records.h"
#include "data/maint_services.h"
#include "tests/data/record_set_fixture.h"

namespace eng::test {
namespace {

int g_banners = 0;

class StGetListTest : public RecordSetTest {
 protected:
  void SetUp() override {
    RecordSetTest::SetUp();
    FnInstallValueBuiltins();
    ASSERT_EQ(StGetListRegister(), kOk);
    g_banners = 0;
    MaintServices ui;
    ui.banner_show = [](StrPair text) { g_banners += text.view() == "Hello world" ? 1 : 100; };
    MaintSetServices(ui);
    Open(fx::kClientes);
    ASSERT_EQ(Add(fx::kClientes, {"A", "Ana", "Vigo"}), kOk);
    ASSERT_EQ(Add(fx::kClientes, {"B", "Blas", "Lugo"}), kOk);
    ASSERT_EQ(Add(fx::kClientes, {"C", "Ciro", "Vigo"}), kOk);
    ASSERT_EQ(Add(fx::kClientes, {"D", "Dora", "Soria"}), kOk);
    DictSelectFile(fx::kClientes);
  }
  void TearDown() override {
    StGetListFree();
    MaintSetServices(MaintServices{});
    RecordSetTest::TearDown();
  }
  static std::vector<std::string> Items() {
    std::vector<std::string> out;
    SortSet* set = StGetListSet();
    if (!set) return out;
    for (uint16_t move = kSortFirst; SortSetMove(move, *set) == 0; move = kSortNext) {
      ScratchScope scope;
      std::string t = S(SortSetItem(0, *set));
      out.push_back(t.substr(0, t.find_last_not_of(' ') + 1));
    }
    return out;
  }
};

using V = std::vector<std::string>;

TEST_F(StGetListTest, DistinctValuesOfAFieldSorted) {
  // Key 2 is CITY + CODE: three groups; a unique list of two cities among A-C.
  EXPECT_EQ(Val("StGetList('NEW';2;'L';'Vigo';20;1;'CITY{1}')"), "2") << "the walk ended at the bound";
  EXPECT_EQ(Items(), (V{"Lugo", "Soria", "Vigo"}));
  EXPECT_EQ(g_banners, 1);
  EXPECT_EQ(Val("StGetList('GET')"), "");
  // Groups of one record each (key 1, CODE) are none of them passed over; descending.
  EXPECT_EQ(StGetListBuild(fx::kClientes, 1, StrPair{}, StrPair{}, 10, 2, StrOf("NAME{1}"), StrPair{}, StrPair{}),
            kStEndOfData);
  EXPECT_EQ(Items(), (V{"Dora", "Ciro", "Blas", "Ana"}));
  // A filter, and with an equality text an exact match only.
  EXPECT_EQ(StGetListBuild(fx::kClientes, 1, StrPair{}, StrPair{}, 20, 1, StrOf("CITY{1}"), StrOf("Soria"), StrPair{}),
            kStEndOfData);
  EXPECT_EQ(Items(), (V{"Soria", "Vigo"}));
  EXPECT_EQ(StGetListBuild(fx::kClientes, 1, StrPair{}, StrPair{}, 20, 0, StrOf("CITY{1}"), StrOf("Vigo"), StrOf("=")),
            kStEndOfData);
  EXPECT_EQ(Items(), (V{"Vigo", "Vigo"}));
}

TEST_F(StGetListTest, FailuresLeaveTheListAndKillFreesIt) {
  ASSERT_EQ(StGetListBuild(fx::kClientes, 2, StrPair{}, StrPair{}, 20, 1, StrOf("CITY{1}"), StrPair{}, StrPair{}),
            kStEndOfData);
  const V before = Items();
  EXPECT_EQ(StGetListBuild(fx::kClientes, 2, StrPair{}, StrPair{}, 20, 1, StrOf("CITY{1},NOPE{1}"), StrPair{},
                           StrPair{}),
            kStSyntax);
  EXPECT_EQ(Items(), before) << "a bad reference changes nothing";
  // A range without records ends before the banner.
  g_banners = 0;
  EXPECT_EQ(StGetListBuild(fx::kClientes, 1, StrOf("X"), StrOf("Z"), 20, 1, StrOf("CITY{1}"), StrPair{}, StrPair{}),
            kStEndOfData);
  EXPECT_EQ(g_banners, 0);
  EXPECT_EQ(Items(), before);
  EXPECT_EQ(Val("StGetList('KILL')"), "");
  EXPECT_EQ(StGetListSet(), nullptr);
}

}  // namespace
}  // namespace eng::test
