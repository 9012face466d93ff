// The key index: its bytes, the room schedule, searches, moves, and the
// entries of records added, rewritten and deleted.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>

#include "data/key_index.h"
#include "tests/data/data_file_fixture.h"

namespace eng::test::datafile {
namespace {

std::string Le32(int32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = char((uint32_t(v) >> (8 * i)) & 0xFF);
  return s;
}

class KeyIndexTest : public DataFileTest {};

// 103 records, 7, 2 and 9 deleted; codes ascending with the record number,
// names descending. Its index is written by hand.
TEST_F(KeyIndexTest, IndexBytesLoadAndSaveUnchanged) {
  std::string records;
  std::vector<int32_t> live;
  for (int r = 0; r < 103; ++r) {
    char code[16], name[16];
    std::snprintf(code, sizeof code, "C%04d", r);
    std::snprintf(name, sizeof name, "N%04d", 999 - r);
    std::string rec = Rec(code, name);
    if (r == 7 || r == 2 || r == 9) rec[0] = kRecordDeleted;
    else live.push_back(r);
    records += rec;
  }
  std::string index = Le32(3) + Le32(100) + Le32(7) + Le32(2) + Le32(9);
  for (int32_t r : live) index += Le32(r);
  for (auto it = live.rbegin(); it != live.rend(); ++it) index += Le32(*it);
  ASSERT_EQ(index.size(), 820u);  // 8 + 4 x 3 + 4 x 100 x 2
  Put("clientes.FD", records);
  Put("clientes.DIR", index);
  struct stat before;
  ::stat("clientes.DIR", &before);

  DataFileStore f;
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kOk);
  EXPECT_FALSE(f.IndexRebuilt());
  EXPECT_EQ(f.Index().Serialize(), index);
  EXPECT_EQ(f.Index().LiveCount(), 100);
  EXPECT_EQ(f.Index().FreeCount(), 3);
  ASSERT_EQ(f.Close(), kOk);
  struct stat after;
  ::stat("clientes.DIR", &after);
  EXPECT_EQ(before.st_ino, after.st_ino) << "an unchanged index is not rewritten";
  EXPECT_EQ(Get("clientes.DIR"), index);
  EXPECT_EQ(Get("clientes.FD"), records);

  // A new record takes the number freed last.
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kOk);
  int64_t r = -1;
  ASSERT_EQ(f.Add(Rec("X1", "X"), 1, &r), kOk);
  EXPECT_EQ(r, 9);
  ASSERT_EQ(f.Add(Rec("X2", "X"), 1, &r), kOk);
  EXPECT_EQ(r, 2);
  ASSERT_EQ(f.Add(Rec("X3", "X"), 1, &r), kOk);
  EXPECT_EQ(r, 7);
  ASSERT_EQ(f.Add(Rec("X4", "X"), 1, &r), kOk);
  EXPECT_EQ(r, 103) << "with no free number: the record count";
  ASSERT_EQ(f.Close(), kOk);
  std::string saved = Get("clientes.DIR");
  EXPECT_EQ(saved.size(), 8u + 4 * 104 * 2);
  EXPECT_EQ(saved.substr(0, 8), Le32(0) + Le32(104));
}

TEST_F(KeyIndexTest, RoomAndSaveSchedule) {
  EXPECT_EQ(NdxRoom(0), 64);
  EXPECT_EQ(NdxRoom(63), 64);
  EXPECT_EQ(NdxRoom(64), 128);

  DataFileStore f;
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kOk);
  EXPECT_EQ(Get("clientes.DIR"), "") << "a missing index is created empty";
  for (int i = 0; i < 64; ++i) {
    char code[16];
    std::snprintf(code, sizeof code, "K%03d", 63 - i);
    ASSERT_EQ(f.Add(Rec(code, "N"), 1, nullptr), kOk);
  }
  EXPECT_EQ(Get("clientes.DIR"), "") << "64 adds fit the room: nothing written yet";
  ASSERT_EQ(f.Add(Rec("K999", "N"), 1, nullptr), kOk);
  std::string disk = Get("clientes.DIR");
  ASSERT_EQ(disk.size(), 8u + 4 * 64 * 2) << "the 65th add saves the index of 64";
  EXPECT_EQ(disk.substr(0, 8), Le32(0) + Le32(64));
  EXPECT_EQ(disk.substr(8, 4), Le32(63)) << "K000 is record 63";
  EXPECT_EQ(f.Index().KeySpare(), 63);

  // 65 deletes in a row: each removes the record it was asked to, and the
  // free list fills past its first room of 64.
  for (int r = 0; r < 65; ++r) {
    ASSERT_EQ(f.Delete(r, 1), kOk) << r;
    EXPECT_EQ(f.Index().LiveCount(), 64 - r);
    EXPECT_EQ(f.Index().FreeList().back(), r);
  }
  EXPECT_EQ(f.Index().Check(), kOk);
  ASSERT_EQ(f.Close(), kOk);
}

TEST_F(KeyIndexTest, SearchEqualKeysPrefixesAndPastTheEnd) {
  DataFileStore f;
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kOk);
  // Record numbers 0..4; NAME "B" three times.
  for (auto [code, name] : std::vector<std::pair<const char*, const char*>>{
           {"01", "B"}, {"02", "A"}, {"03", "B"}, {"04", "C"}, {"05", "B"}})
    ASSERT_EQ(f.Add(Rec(code, name), 1, nullptr), kOk);
  EXPECT_EQ(ArrayOf(f.Index(), 2), (std::vector<int32_t>{1, 0, 2, 4, 3})) << "equal keys in insertion order";

  DataFileIndex& ix = f.Index();
  NdxResult r = ix.Seek(2, "B");
  EXPECT_EQ(r.position, kNdxFound);
  EXPECT_EQ(r.recno, 0) << "a seek lands on the first equal entry";
  EXPECT_EQ(ix.Cursor(), 1u);
  r = ix.Search(2, "B", true);
  EXPECT_EQ(r.recno, 4) << "an insertion lands on the last";
  EXPECT_EQ(ix.Cursor(), 3u);

  struct Case {
    uint16_t key;
    std::string value;
    uint16_t position;
    int32_t recno;
    uint32_t cursor;
  };
  for (const Case& c : std::vector<Case>{
           {1, "03        ", kNdxFound, 2, 2},
           {1, "025", kNdxBetween, 2, 2},  // between "02" and "03"
           {1, "0", kNdxFound, 0, 0},      // a prefix finds the first key starting with it
           {1, "", kNdxBetween, 0, 0},     // empty searches " ", below every code
           {2, "BB", kNdxBetween, 3, 4},
           {2, "Z", kNdxPastEnd, 3, 5},    // past the end: cursor N, the last entry's record
       }) {
    r = ix.Seek(c.key, c.value);
    EXPECT_EQ(r.position, c.position) << c.value;
    EXPECT_EQ(r.recno, c.recno) << c.value;
    EXPECT_EQ(ix.Cursor(), c.cursor) << c.value;
  }
  // "03" is a full match over its own length.
  EXPECT_EQ(ix.Seek(1, "03").position, kNdxFound);
  // After a search past the end, "previous" gives the last record.
  ix.Seek(2, "Z");
  r = ix.Move(2, kNdxPrevious);
  EXPECT_EQ(r.position, kNdxFound);
  EXPECT_EQ(r.recno, 3);
  ASSERT_EQ(f.Close(), kOk);
}

TEST_F(KeyIndexTest, MoveTable) {
  DataFileStore f;
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kOk);
  DataFileIndex& ix = f.Index();
  ix.SetCursor(7);
  NdxResult r = ix.Move(1, kNdxFirst);
  EXPECT_EQ(r.position, kNdxPastEnd) << "empty array";
  EXPECT_EQ(ix.Cursor(), 7u) << "an empty array does not move the cursor";
  for (const char* c : {"30", "10", "20"}) ASSERT_EQ(f.Add(Rec(c), 1, nullptr), kOk);
  // Key 1 order: 10 (rec 1), 20 (rec 2), 30 (rec 0).
  struct Step {
    uint16_t flags;
    uint16_t position;
    int32_t recno;
    uint32_t cursor;
  };
  ix.SetCursor(0);
  for (const Step& s : std::vector<Step>{
           {kNdxFirst, kNdxFound, 1, 0},
           {kNdxPrevious, kNdxBetween, 1, 0},  // below 0: status 1, cursor 0
           {kNdxNext, kNdxFound, 2, 1},
           {0, kNdxFound, 2, 1},               // re-read
           {kNdxLast, kNdxFound, 0, 2},
           {kNdxNext, kNdxPastEnd, 0, 2},      // at N: status 2, cursor N - 1
           {kNdxPrevious, kNdxFound, 2, 1},
       }) {
    r = ix.Move(1, s.flags);
    EXPECT_EQ(r.position, s.position) << s.flags;
    EXPECT_EQ(r.recno, s.recno) << s.flags;
    EXPECT_EQ(ix.Cursor(), s.cursor) << s.flags;
  }
  ASSERT_EQ(f.Close(), kOk);
}

// Adds, locates by every key, walks both ways, rewrites and deletes; after
// every step the index matches the record file and the one rebuilt from it.
TEST_F(KeyIndexTest, RecordsThroughEveryKey) {
  const DataFileLayout layout = ThreeKeyLayout();
  DataFileStore f;
  ASSERT_EQ(f.Open(Names(), layout, 0), kOk);
  std::vector<std::string> recs = {Rec("D", "delta", "Soria"), Rec("A", "alfa", "Madrid"),
                                   Rec("C", "charlie", "Madrid"), Rec("B", "bravo", "Avila"),
                                   Rec("E", "alfa", "Soria")};
  for (size_t i = 0; i < recs.size(); ++i) {
    int64_t r;
    ASSERT_EQ(f.Add(recs[i], 2, &r), kOk);
    EXPECT_EQ(r, int64_t(i));
    EXPECT_EQ(f.Index().Current(2), int32_t(i)) << "the cursor rests on the added record";
  }
  auto check = [&] {
    EXPECT_EQ(f.Index().Check(), kOk);
    DataFileIndex copy;
    copy.Attach(&layout, &f.Records(), "unused.DIR");
    ASSERT_EQ(copy.Rebuild(), kOk);
    for (uint16_t k = 1; k <= 3; ++k) EXPECT_EQ(ArrayOf(copy, k), ArrayOf(f.Index(), k)) << "key " << k;
  };
  check();
  EXPECT_EQ(ArrayOf(f.Index(), 1), (std::vector<int32_t>{1, 3, 2, 0, 4}));
  EXPECT_EQ(ArrayOf(f.Index(), 2), (std::vector<int32_t>{1, 4, 3, 2, 0}));
  EXPECT_EQ(ArrayOf(f.Index(), 3), (std::vector<int32_t>{3, 1, 2, 0, 4}));

  // Every record by every key.
  for (size_t i = 0; i < recs.size(); ++i) {
    for (uint16_t k = 1; k <= 3; ++k) {
      std::string out;
      std::string value = layout.Key(k).ValueOf(recs[i].data());
      NdxResult r = f.Locate(k, value, &out);
      ASSERT_EQ(r.position, kNdxFound) << i << " key " << k;
      if (k == 2 && i == 4) continue;  // "alfa" twice: the seek finds record 1
      EXPECT_EQ(out, recs[i]) << i << " key " << k;
    }
  }
  // Walks in key 3 order, forwards and backwards.
  std::vector<std::string> walk;
  std::string out;
  for (NdxResult r = f.Move(3, kNdxFirst, &out); r.position == kNdxFound; r = f.Move(3, kNdxNext, &out))
    walk.push_back(Code(out));
  EXPECT_EQ(walk, (std::vector<std::string>{Pad("B", 10), Pad("A", 10), Pad("C", 10), Pad("D", 10), Pad("E", 10)}));
  walk.clear();
  for (NdxResult r = f.Move(3, kNdxLast, &out); r.position == kNdxFound; r = f.Move(3, kNdxPrevious, &out))
    walk.push_back(Code(out));
  EXPECT_EQ(walk, (std::vector<std::string>{Pad("E", 10), Pad("D", 10), Pad("C", 10), Pad("A", 10), Pad("B", 10)}));

  // Rewrite record 2 (C charlie Madrid) to "Z zulu Avila": every key moves.
  ASSERT_EQ(f.Rewrite(2, Rec("Z", "zulu", "Avila"), 1), kOk);
  EXPECT_EQ(f.Index().Current(1), 2);
  check();
  EXPECT_EQ(ArrayOf(f.Index(), 1), (std::vector<int32_t>{1, 3, 0, 4, 2}));
  EXPECT_EQ(ArrayOf(f.Index(), 3), (std::vector<int32_t>{3, 2, 1, 0, 4}));
  // A rewrite that changes only CITY leaves keys 1 and 2 as they were.
  ASSERT_EQ(f.Rewrite(0, Rec("D", "delta", "Avila"), 1), kOk);
  check();
  EXPECT_EQ(ArrayOf(f.Index(), 1), (std::vector<int32_t>{1, 3, 0, 4, 2}));
  // An unchanged record is not written.
  std::string before = Get("clientes.FD");
  ASSERT_EQ(f.Rewrite(0, Rec("D", "delta", "Avila"), 1), kOk);
  EXPECT_EQ(Get("clientes.FD"), before);

  // Delete record 3 while current under key 2: gone from all three arrays.
  f.Locate(2, "bravo", &out);
  ASSERT_EQ(f.Index().Current(2), 3);
  ASSERT_EQ(f.Delete(3, 2), kOk);
  for (uint16_t k = 1; k <= 3; ++k) {
    auto a = ArrayOf(f.Index(), k);
    EXPECT_EQ(std::count(a.begin(), a.end(), 3), 0) << "key " << k;
    EXPECT_EQ(a.size(), 4u);
  }
  EXPECT_EQ(f.Index().Current(2), 0) << "the record that followed (delta) is under the cursor";
  EXPECT_EQ(Get("clientes.FD")[3 * 40], char(kRecordDeleted));
  EXPECT_EQ(f.Locate(1, "B", &out).position, kNdxBetween);
  check();
  // The freed number is taken again.
  int64_t r;
  ASSERT_EQ(f.Add(Rec("F", "foxtrot", "Lugo"), 1, &r), kOk);
  EXPECT_EQ(r, 3);
  check();
  ASSERT_EQ(f.Close(), kOk);
}

TEST_F(KeyIndexTest, EqualKeysAfterRewriteStayFindable) {
  // Many records share one NAME; rewrites inside the run must remove the
  // right entry, found by number within the equal run.
  DataFileStore f;
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kOk);
  for (int i = 0; i < 700; ++i) {
    char code[16];
    std::snprintf(code, sizeof code, "%05d", (i * 7919) % 700);
    ASSERT_EQ(f.Add(Rec(code, i % 3 ? "same" : "other"), 1, nullptr), kOk);
  }
  for (int r = 0; r < 700; r += 5) {
    std::string rec;
    ASSERT_EQ(f.Read(r, &rec), kOk);
    rec.replace(10, 20, Pad(r % 2 ? "same" : "moved", 20));
    ASSERT_EQ(f.Rewrite(r, rec, 2), kOk) << r;
  }
  for (int r = 1; r < 700; r += 9) ASSERT_EQ(f.Delete(r, 1), kOk) << r;
  EXPECT_EQ(f.Index().Check(), kOk);
  ASSERT_EQ(f.Close(), kOk);
  ASSERT_EQ(f.Open(Names(), TwoKeyLayout(), 0), kOk);
  EXPECT_FALSE(f.IndexRebuilt());
  ASSERT_EQ(f.Close(), kOk);
}

// Searches against a sorted copy, on keys whose first byte lies on either
// side of 0x80 and whose next 7 are shared (the first 8 bytes, compared as
// one number, decide some comparisons and must order bytes unsigned; the
// rest go on past them), and keys shorter than 8, with texts cut to every
// length, while records come, change and go.
TEST_F(KeyIndexTest, SearchesMatchASortedCopyWhateverTheKeysShare) {
  DataFileLayout layout = ThreeKeyLayout();
  layout.keys[1].parts[0] = {10, 5};  // NAME cut to 5 bytes: shorter than a prefix
  DataFileStore f;
  ASSERT_EQ(f.Open(Names(), layout, kOpenExclusive), kOk);
  std::mt19937 rng(7);
  std::map<int64_t, std::string> live;
  auto code = [&] {
    return char(0x7F + rng() % 3) + std::string("BCDEFGH") + char('a' + rng() % 3) + char('a' + rng() % 26);
  };
  for (int step = 0; step < 1500; ++step) {
    const int what = int(rng() % 10);
    if (what < 6 || live.size() < 20) {
      std::string rec = Rec(code(), std::string(1, char('A' + rng() % 4)) + char('\xF0' + rng() % 3), "C");
      int64_t r = -1;
      ASSERT_EQ(f.Add(rec, 1, &r), kOk);
      live[r] = rec;
    } else {
      auto it = std::next(live.begin(), long(rng() % live.size()));
      if (what < 8) {
        std::string rec = it->second;
        rec.replace(0, 10, code());
        rec[11] = char('\xF0' + rng() % 3);
        ASSERT_EQ(f.Rewrite(it->first, rec, 2), kOk);
        it->second = rec;
      } else {
        ASSERT_EQ(f.Delete(it->first, 1), kOk);
        live.erase(it);
      }
    }
    if (step % 50 != 49) continue;
    ASSERT_EQ(f.Index().Check(), kOk) << step;
    for (uint16_t k : {uint16_t(1), uint16_t(2)}) {
      const KeyLayout& key = layout.Key(k);
      std::vector<std::string> sorted;
      for (auto& [r, rec] : live) sorted.push_back(key.ValueOf(rec.data()));
      std::sort(sorted.begin(), sorted.end());
      for (int probe = 0; probe < 40; ++probe) {
        std::string text = sorted[rng() % sorted.size()];
        text.resize(1 + rng() % text.size());
        if (probe % 3 == 0) text.back() = char(text.back() + 1);
        auto lo = std::lower_bound(sorted.begin(), sorted.end(), text,
                                   [&](const std::string& v, const std::string& t) { return v.compare(0, t.size(), t) < 0; });
        NdxResult res = f.Index().Seek(k, text);
        EXPECT_EQ(f.Index().Cursor(), uint32_t(lo - sorted.begin())) << k << " " << text;
        bool found = lo != sorted.end() && lo->compare(0, text.size(), text) == 0;
        EXPECT_EQ(res.position, found ? kNdxFound : lo == sorted.end() ? kNdxPastEnd : kNdxBetween) << text;
      }
    }
  }
  ASSERT_EQ(f.Close(), kOk);
}

// After a reopen that takes the index without checking it, the key bytes
// kept in memory come from the records, a block at a time, on its first
// search. Records rewritten by number (no search first) move in every
// key while their blocks fill: the entry's old key decides where it is
// taken from. Searches, the check and the walks then agree with a sorted
// copy.
TEST_F(KeyIndexTest, KeysFilledFromTheRecordsAfterAReopenStaySorted) {
  const DataFileLayout layout = ThreeKeyLayout();
  std::mt19937 rng(11);
  auto word = [&](size_t n) {
    std::string w;
    for (size_t i = 0; i < n; ++i) w += char('A' + rng() % 26);
    return w;
  };
  std::map<int64_t, std::string> live;
  {
    DataFileStore f;
    ASSERT_EQ(f.Open(Names(), layout, kOpenExclusive), kOk);
    for (int i = 0; i < 3000; ++i) {
      std::string rec = Rec(word(6), word(8), word(2));
      int64_t r = -1;
      ASSERT_EQ(f.Add(rec, 1, &r), kOk);
      live[r] = rec;
    }
    ASSERT_EQ(f.Close(), kOk);
  }
  DataFileStore f;
  ASSERT_EQ(f.Open(Names(), layout, kOpenExclusive), kOk);
  ASSERT_FALSE(f.IndexRebuilt());
  for (int step = 0; step < 400; ++step) {
    auto it = std::next(live.begin(), long(rng() % live.size()));
    std::string rec = Rec(word(6), word(8), word(2));
    ASSERT_EQ(f.Rewrite(it->first, rec, uint16_t(1 + step % 3)), kOk);
    it->second = rec;
    const uint16_t k = uint16_t(1 + rng() % 3);
    const std::string& probe = std::next(live.begin(), long(rng() % live.size()))->second;
    std::string out;
    NdxResult res = f.Locate(k, layout.Key(k).ValueOf(probe.data()), &out);
    ASSERT_EQ(res.position, kNdxFound) << step;
    EXPECT_EQ(layout.Key(k).ValueOf(out.data()), layout.Key(k).ValueOf(probe.data())) << step;
  }
  for (uint16_t k : {uint16_t(1), uint16_t(2), uint16_t(3)}) {
    std::vector<std::string> sorted, walked;
    for (auto& [r, rec] : live) sorted.push_back(layout.Key(k).ValueOf(rec.data()));
    std::sort(sorted.begin(), sorted.end());
    std::string out;
    for (NdxResult r = f.Move(k, kNdxFirst, &out); r.position == kNdxFound; r = f.Move(k, kNdxNext, &out))
      walked.push_back(layout.Key(k).ValueOf(out.data()));
    EXPECT_EQ(walked, sorted) << k;
  }
  EXPECT_EQ(f.Index().Check(), kOk);
  ASSERT_EQ(f.Close(), kOk);
}

}  // namespace
}  // namespace eng::test::datafile
