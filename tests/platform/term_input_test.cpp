// The terminal's byte stream decoded into input events, and the code page
// 1252 conversion at the terminal's edge.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/msgbox_headless.h"
#include "platform/term_input.h"
#include "platform/term_text.h"
#include "platform/win_keys.h"

namespace plat {
namespace {

std::string Describe(const InputEvent& ev) {
  using T = InputEvent::Type;
  switch (ev.type) {
    case T::kKey: {
      std::string s = KeyName(ev.vk, ev.mods);
      if (ev.typed >= 0) s += "/" + std::to_string(ev.typed);
      return s;
    }
    case T::kClick: return std::string("click ") + (ev.mods & kModCtrl ? "Ctrl " : "") + std::to_string(ev.point.x) + "," + std::to_string(ev.point.y);
    case T::kDblClick: return "dblclick " + std::to_string(ev.point.x) + "," + std::to_string(ev.point.y);
    case T::kRightClick: return "rclick " + std::to_string(ev.point.x) + "," + std::to_string(ev.point.y);
    case T::kPress: return "press " + std::to_string(ev.point.x) + "," + std::to_string(ev.point.y);
    case T::kMove: return "move " + std::to_string(ev.point.x) + "," + std::to_string(ev.point.y);
    case T::kRelease: return "release " + std::to_string(ev.point.x) + "," + std::to_string(ev.point.y);
    default: return "other";
  }
}

std::string Decode(TermInputDecoder& d, std::string_view bytes, uint64_t now = 1000, bool flush = true) {
  std::vector<InputEvent> out;
  d.Feed(bytes, now, out);
  if (flush) d.Flush(now, out);
  std::string s;
  for (const auto& ev : out) s += (s.empty() ? "" : " ") + Describe(ev);
  return s;
}

std::string Decode(std::string_view bytes) {
  TermInputDecoder d;
  return Decode(d, bytes);
}

TEST(TermInput, KeysAndSequences) {
  struct Case {
    const char* bytes;
    const char* events;
  } cases[] = {
      {"a", "A/97"},
      {"A", "A/65"},
      {"1", "1/49"},
      {" ", "Space/32"},
      {"\r", "Enter"},
      {"\n", "Enter"},
      {"\t", "Tab"},
      {"\x7f", "Backspace"},
      {"\x08", "Backspace"},
      {"\x1d", "Ctrl+]/29"},             // group separator of keyboard-wedge scanners
      {"\x03", "Ctrl+C"},
      {"\x1b", "Esc"},                   // a lone ESC once nothing follows
      {"\x1b[Z", "Shift+Tab"},
      {"\x1b[A\x1b[B\x1b[C\x1b[D", "Up Down Right Left"},
      {"\x1b[H\x1b[F\x1bOH\x1bOF", "Home End Home End"},
      {"\x1b[1;5F", "Ctrl+End"},
      {"\x1b[1;5H", "Ctrl+Home"},
      {"\x1b[1;2A", "Shift+Up"},
      {"\x1b[5~\x1b[6~\x1b[2~\x1b[3~", "PgUp PgDn Insert Delete"},
      {"\x1b[1~\x1b[4~", "Home End"},
      {"\x1b[5;5~", "Ctrl+PgUp"},
      {"\x1bOP\x1bOQ\x1bOR\x1bOS", "F1 F2 F3 F4"},
      {"\x1b[15~\x1b[17~\x1b[21~\x1b[24~", "F5 F6 F10 F12"},
      {"\x1b[[A\x1b[[E", "F1 F5"},       // Linux console
      {"\x1b[1;2P", "Shift+F1"},
      {"\x1b[15;5~", "Ctrl+F5"},
      {"\x1b" "a", "Alt+A"},
      {"\x1b" "1\x1b" "3\x1b" "9\x1b" "0", "F1 F3 F9 F10"},  // Alt+digit aliases
      {"\x1b\t", "Alt+Tab"},
      {"\x1b\x1b", "Esc Esc"},
      {"\x1b[99X", ""},                  // unknown: dropped whole
      {"\x1b[?1;2c", ""},                // a terminal's report: dropped
      {"x\x1b[Ay", "X/120 Up Y/121"},
  };
  for (const auto& c : cases) EXPECT_EQ(Decode(c.bytes), c.events) << "bytes: " << testing::PrintToString(std::string(c.bytes));
}

TEST(TermInput, Utf8ArrivesAsCodePage1252) {
  struct Case {
    const char* utf8;
    const char* events;
  } cases[] = {
      {"\xC3\xB1", "Vk186/241"},            // ñ -> 0xF1
      {"\xC3\x91", "Vk186/209"},            // Ñ -> 0xD1
      {"\xE2\x82\xAC", "Vk186/128"},        // € -> 0x80
      {"\xC2\xBF", "Vk186/191"},            // ¿ -> 0xBF
      {"\xE2\x80\x9C", "Vk186/147"},        // left double quote -> 0x93
      {"\xE4\xB8\xAD", "Unmapped"},         // a character the code page lacks: a key typing nothing
      {"\xF0\x9F\x98\x80", "Unmapped"},     // four bytes, not in the code page
      {"\xC3" "a", "A/97"},                 // broken sequence: lead byte dropped
      {"\x80", ""},                         // stray continuation byte
      {"a\xC3\xA9" "b", "A/97 Vk186/233 B/98"},
  };
  for (const auto& c : cases) EXPECT_EQ(Decode(c.utf8), c.events) << testing::PrintToString(std::string(c.utf8));
}

TEST(TermInput, SequencesSplitAcrossReadsWaitForTheirEnd) {
  TermInputDecoder d;
  EXPECT_EQ(Decode(d, "\x1b", 0, false), "");
  EXPECT_TRUE(d.pending());
  EXPECT_EQ(Decode(d, "[1;5", 1, false), "");
  EXPECT_EQ(Decode(d, "F", 2, false), "Ctrl+End");
  EXPECT_FALSE(d.pending());
  EXPECT_EQ(Decode(d, "\xE2\x82", 3, false), "");
  EXPECT_EQ(Decode(d, "\xAC", 4, false), "Vk186/128");
  // An unfinished sequence flushed: ESC was the Esc key, the rest typed.
  EXPECT_EQ(Decode(d, "\x1b[", 5, true), "Esc Vk186/91");
  EXPECT_FALSE(d.pending());
}

TEST(TermInput, MouseClicksLandOnCellCentres) {
  TermInputDecoder d(12, 24);
  // SGR: button 0 at column 11, row 6 (1-based) is cell (10, 5). The press
  // is held until the release tells a click from a drag.
  EXPECT_EQ(Decode(d, "\x1b[<0;11;6M", 0), "");
  EXPECT_EQ(Decode(d, "\x1b[<0;11;6m", 10), "click 126,132");
  EXPECT_EQ(Decode(d, "\x1b[<0;11;6M\x1b[<0;11;6m", 200), "dblclick 126,132");
  EXPECT_EQ(Decode(d, "\x1b[<0;11;6M\x1b[<0;11;6m", 300), "click 126,132");  // a third press starts over
  EXPECT_EQ(Decode(d, "\x1b[<0;12;6M\x1b[<0;12;6m", 400), "click 138,132");  // another cell: no double click
  EXPECT_EQ(Decode(d, "\x1b[<0;12;6M\x1b[<0;12;6m", 2000), "click 138,132");  // too late
  EXPECT_EQ(Decode(d, "\x1b[<2;1;1M", 3000), "rclick 6,12");
  EXPECT_EQ(Decode(d, "\x1b[<2;1;1m", 3000), "");   // right release
  EXPECT_EQ(Decode(d, "\x1b[<35;5;5M", 3000), "");  // motion, no button
  EXPECT_EQ(Decode(d, "\x1b[<32;5;5M", 3000), "");  // motion of a press never seen
  EXPECT_EQ(Decode(d, "\x1b[<0;5;5m", 3000), "");   // release of a press never seen
  EXPECT_EQ(Decode(d, "\x1b[<64;5;5M\x1b[<65;5;5M", 3000), "Up Down");
  EXPECT_EQ(Decode(d, "\x1b[<66;5;5M\x1b[<67;5;5M", 3000), "");  // sideways wheel
  EXPECT_EQ(Decode(d, "\x1b[<1;5;5M\x1b[<1;5;5m", 3000), "");    // middle button
  EXPECT_EQ(Decode(d, "\x1b[<16;2;2M\x1b[<16;2;2m", 4000), "click Ctrl 18,36");
  // X10 form: bytes offset by 32, cell (0, 0); the release names no button.
  EXPECT_EQ(Decode(d, "\x1b[M !!", 5000), "");
  EXPECT_EQ(Decode(d, "\x1b[M#!!", 5000), "click 6,12");
  EXPECT_EQ(Decode(d, "\x1b[M#!!", 5100), "");  // a second release: nothing held
}

TEST(TermInput, MouseDragsBecomePressMoveRelease) {
  struct Case {
    const char* name;
    const char* bytes;
    const char* events;
  } cases[] = {
      {"SGR drag",
       "\x1b[<0;80;4M\x1b[<32;80;5M\x1b[<32;80;7M\x1b[<0;80;7m",
       "press 954,84 move 954,108 move 954,156 release 954,156"},
      {"motion inside the pressed cell is no drag",
       "\x1b[<0;3;3M\x1b[<32;3;3M\x1b[<0;3;3m", "click 30,60"},
      {"released elsewhere without motion reports",
       "\x1b[<0;3;3M\x1b[<0;9;3m", "press 30,60 release 102,60"},
      {"X10 drag: motion is button 32, the release button 3",
       "\x1b[M !$\x1b[M@!%\x1b[M@!&\x1b[M#!&", "press 6,84 move 6,108 move 6,132 release 6,132"},
      {"a lost release: the next press ends the held click",
       "\x1b[<0;3;3M\x1b[<0;9;9M\x1b[<0;9;9m", "click 30,60 click 102,204"},
      {"a lost release ends a drag where it had got to",
       "\x1b[<0;3;3M\x1b[<32;4;3M\x1b[<0;9;9M\x1b[<0;9;9m",
       "press 30,60 move 42,60 release 42,60 click 102,204"},
      {"motion with the right button held is ignored",
       "\x1b[<2;3;3M\x1b[<34;5;3M\x1b[<2;5;3m", "rclick 30,60"},
      {"keys between press and release come at once",
       "\x1b[<0;3;3Ma\x1b[<0;3;3m", "A/97 click 30,60"},
  };
  for (const auto& c : cases) {
    TermInputDecoder d(12, 24);
    EXPECT_EQ(Decode(d, c.bytes, 0), c.events) << c.name;
  }
}

TEST(TermInput, NoDoubleClickAfterADrag) {
  TermInputDecoder d(12, 24);
  EXPECT_EQ(Decode(d, "\x1b[<0;3;3M\x1b[<32;4;3M\x1b[<0;3;3m", 0), "press 30,60 move 42,60 release 30,60");
  EXPECT_EQ(Decode(d, "\x1b[<0;3;3M\x1b[<0;3;3m", 100), "click 30,60");
  // A drag split over reads: the events come as the reports arrive.
  EXPECT_EQ(Decode(d, "\x1b[<0;3;3M\x1b[<32;3", 200, false), "");
  EXPECT_EQ(Decode(d, ";4M", 210, false), "press 30,60 move 30,84");
  EXPECT_EQ(Decode(d, "\x1b[<0;3;4m", 220, false), "release 30,84");
}

TEST(TermText, Cp1252AndUnicode) {
  EXPECT_EQ(Cp1252ToUtf8("Pe\xF1" "a \x80 \xBF"), "Pe\xC3\xB1" "a \xE2\x82\xAC \xC2\xBF");
  EXPECT_EQ(Cp1252ToUtf8("\x81"), "\xEF\xBF\xBD");
  EXPECT_EQ(UnicodeToCp1252(U'\u0178'), 0x9F);
  EXPECT_EQ(UnicodeToCp1252(U'\u4E2D'), -1);
  EXPECT_EQ(UnicodeToCp1252(0x81), -1);  // a C1 control the code page does not hold
  for (int b = 0x20; b < 0x100; ++b) {
    char32_t cp = Cp1252ToUnicode(static_cast<unsigned char>(b));
    if (cp != 0) {
      EXPECT_EQ(UnicodeToCp1252(cp), b) << b;
    }
  }
}

}  // namespace
}  // namespace plat
