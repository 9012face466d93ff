// A dictionary file on disk: its names from the dictionary, and records
// added and found through the keys the dictionary gives it.
#include "data/dict_file_path.h"

#include "core/sys_vars.h"
#include "tests/support/data_fixture.h"

namespace eng::test {
namespace {

class DictFilePathTest : public DataFixtureTest {};

TEST_F(DictFilePathTest, NamesAndLayoutFromTheDictionary) {
  const std::string folder = DictFileFolder(fx::kClientes).str();
  const std::string lead = folder.empty() ? "" : folder + "/";
  EXPECT_EQ(DictFilePath(fx::kClientes, kPathName), "clientes");
  EXPECT_EQ(DictFilePath(fx::kClientes, kPathRecords), lead + "clientes.FD");
  EXPECT_EQ(DictFilePath(fx::kMovs, kPathIndex), lead + "movs.DIR");
  EXPECT_EQ(DictFilePath(31, kPathRecords), "");
  EXPECT_EQ(DictFileList(kPathRecords),
            lead + "clientes.FD," + lead + "movs.FD," + lead + "totales.FD," + lead + "params.FD");

  DataFileLayout movs = DictFileLayout(fx::kMovs);
  EXPECT_EQ(movs.record_length, 31);
  ASSERT_EQ(movs.keys.size(), 2u);
  EXPECT_EQ(movs.keys[1].count, 3);
  EXPECT_EQ(movs.keys[1].parts[0].offset, 13);
  EXPECT_EQ(movs.keys[1].Length(), 21u);
  EXPECT_EQ(DictFileLayout(fx::kParams).keys.size(), 1u) << "the automatic key";

  // Records added through the dictionary's layout are found by both keys.
  if (!folder.empty()) std::filesystem::create_directories(folder);
  DataFileStore f;
  ASSERT_EQ(f.Open(DictDataFileNames(fx::kClientes), DictFileLayout(fx::kClientes), kOpenExclusive), kOk);
  EXPECT_TRUE(Has("clientes.lock"));
  auto rec = [](std::string code, std::string name, std::string city) {
    code.resize(10, ' ');
    name.resize(30, ' ');
    city.resize(20, ' ');
    return code + name + city;
  };
  ASSERT_EQ(f.Add(rec("C2", "Ana", "Soria"), 1, nullptr), kOk);
  ASSERT_EQ(f.Add(rec("C1", "Luis", "Soria"), 1, nullptr), kOk);
  std::string out;
  ASSERT_EQ(f.Locate(1, "C1", &out).position, kNdxFound);
  EXPECT_EQ(out.substr(10, 4), "Luis");
  ASSERT_EQ(f.Move(2, kNdxFirst, &out).position, kNdxFound);
  EXPECT_EQ(out.substr(0, 2), "C1") << "CITY then CODE";
  ASSERT_EQ(f.Close(), kOk);
  EXPECT_FALSE(Has("clientes.lock"));
}

}  // namespace
}  // namespace eng::test
