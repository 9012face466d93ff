// Pressing, dragging and releasing on the scroll bars of a top-level window,
// and a press and release on a control.
#include "platform/compositor.h"
#include "platform/term_input.h"
#include "tests/platform/win_fixture.h"

namespace plat::test {
namespace {

class ThumbDrag : public WinTest {
 protected:
  Hwnd top = kNoWindow;
  std::vector<std::string> codes;
  // A form 40 x 11 cells: the caption on row 0, the vertical bar in columns
  // 38-39 from row 1 (up arrow) to row 10 (down arrow), 8 track cells.
  void SetUp() override {
    top = Top("form", {0, 0, 480, 264});
    ws.ShowScrollBar(top, kSbVert, true);
    ws.SetScrollInfo(top, kSbVert, 0, 700, 10, 0);
    ws.Show(top, ShowCmd::kShow);
    // Like the engine: the thumb track moves the position to the track position.
    auto prev = std::make_shared<WndProc>();
    *prev = ws.SetProc(top, [this, prev](WinSystem& s, Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
      if (msg == kWmVScroll || msg == kWmHScroll) {
        int bar = msg == kWmVScroll ? kSbVert : kSbHorz;
        ScrollInfo info = s.GetScrollInfo(h, bar);
        codes.push_back(std::string(msg == kWmVScroll ? "V" : "H") + std::to_string(w) + "/" + std::to_string(l) +
                        ((w != kSbThumbTrack && w != kSbThumbPosition) || static_cast<int>(l) == info.track
                             ? std::string()
                             : " (track " + std::to_string(info.track) + ")"));
        if (w == kSbThumbTrack) s.SetScrollPos(h, bar, static_cast<int>(l));
        return int64_t{0};
      }
      return (*prev)(s, h, msg, w, l);
    });
  }
  std::string Codes() const {
    std::string s;
    for (const auto& c : codes) s += (s.empty() ? "" : ", ") + c;
    return s;
  }
  int ThumbRow() const {
    CellGrid g = Compose(ws);
    for (int r = 1; r <= 10; ++r)
      if (g.at(38, r).ch == '#') return r;
    return -1;
  }
};

TEST_F(ThumbDrag, DraggingTheThumbSendsTrackPositionsThenThePositionAndTheEnd) {
  EXPECT_EQ(ThumbRow(), 2);
  // Rows 2..9 are thumb cells 1..8; cell k holds positions from ceil((k - 1) * 700 / 7).
  Drive(Script().PressCell(38, 2).MoveCell(38, 4).MoveCell(39, 4).MoveCell(38, 5));
  EXPECT_EQ(Codes(), "V5/200, V5/300");  // a move within the same cell sends nothing
  EXPECT_EQ(ThumbRow(), 5);
  EXPECT_EQ(ws.GetScrollInfo(top, kSbVert).pos, 300);
  Drive(Script().ReleaseCell(38, 5));
  EXPECT_EQ(Codes(), "V5/200, V5/300, V4/300, V8/300");
  // After the release, moves are no drag any more.
  codes.clear();
  Drive(Script().MoveCell(38, 9).ReleaseCell(38, 9));
  EXPECT_EQ(Codes(), "");
}

TEST_F(ThumbDrag, TheThumbFollowsThePointerFromWhereItWasGrabbedAndStopsAtTheEnds) {
  ws.SetScrollPos(top, kSbVert, 300);
  ASSERT_EQ(ThumbRow(), 5);
  // Grabbed at row 5, moved one row down and then far beyond either end.
  Drive(Script().PressCell(38, 5).MoveCell(38, 6).MoveCell(38, 20).MoveCell(38, 0).ReleaseCell(38, 0));
  EXPECT_EQ(Codes(), "V5/400, V5/700, V5/0, V4/0, V8/0");
  EXPECT_EQ(ThumbRow(), 2);
}

TEST_F(ThumbDrag, AReleaseInANewCellWithoutAMoveStillTracksThere) {
  Drive(Script().DragCell(38, 2, 38, 9));
  EXPECT_EQ(Codes(), "V5/700, V4/700, V8/700");
  EXPECT_EQ(ws.GetScrollInfo(top, kSbVert).pos, 700);
  codes.clear();
  Drive(Script().PressCell(38, 9).ReleaseCell(38, 9));  // grabbed and let go in place
  EXPECT_EQ(Codes(), "V4/700, V8/700");
}

TEST_F(ThumbDrag, TheTextFormDragsToo) {
  d.Run("press cell=38,2\nmove cell=38,3\nrelease px=460,84\n");
  ws.Pump();
  EXPECT_EQ(Codes(), "V5/100, V4/100, V8/100");  // px 460,84 is cell 38,3
  codes.clear();
  d.Run("drag cell=38,3 to=38,2\n");
  ws.Pump();
  EXPECT_EQ(Codes(), "V5/0, V4/0, V8/0");
}

TEST_F(ThumbDrag, TheHorizontalThumbMapsColumnsTheSameWay) {
  ws.ShowScrollBar(top, kSbHorz, true);
  ws.SetScrollInfo(top, kSbHorz, 0, 350, 10, 0);
  // The horizontal bar on row 10, columns 0..37: arrows at 0 and 37, 36 track
  // cells, ten positions a cell.
  Drive(Script().DragCell(1, 10, 11, 10));
  EXPECT_EQ(Codes(), "H5/100, H4/100, H8/100");
  EXPECT_EQ(Compose(ws).Row(10), "<" + std::string(10, ':') + "#" + std::string(25, ':') + ">");
}

TEST_F(ThumbDrag, PressingTheArrowsAndTheTrackSendsTheirCodesOnce) {
  ws.SetScrollPos(top, kSbVert, 300);
  Drive(Script().PressCell(38, 1).ReleaseCell(38, 1).PressCell(38, 8).MoveCell(38, 9).ReleaseCell(38, 9)
            .PressCell(38, 3).ReleaseCell(38, 3).PressCell(38, 10).ReleaseCell(38, 10));
  auto c = [](int code) { return "V" + std::to_string(code) + "/0"; };
  EXPECT_EQ(Codes(), c(kSbLineUp) + ", " + c(kSbPageDown) + ", " + c(kSbPageUp) + ", " + c(kSbLineDown));
  EXPECT_EQ(ws.GetScrollInfo(top, kSbVert).pos, 300);
}

TEST_F(ThumbDrag, ADragWhoseWindowOrBarGoesAwayEndsQuietly) {
  Drive(Script().PressCell(38, 2));
  ws.ShowScrollBar(top, kSbVert, false);
  Drive(Script().MoveCell(38, 5).ReleaseCell(38, 5));
  EXPECT_EQ(Codes(), "");
  ws.ShowScrollBar(top, kSbVert, true);
  Drive(Script().PressCell(38, 2));
  ws.Destroy(top);
  Drive(Script().MoveCell(38, 5).ReleaseCell(38, 5));
  EXPECT_EQ(Codes(), "");
  EXPECT_FALSE(ws.stalled());
}

TEST_F(ThumbDrag, APressFocusesAControlAndTheReleaseGoesToIt) {
  Hwnd e = Edit(top, 2001, "e", {0, 0, 120, 24});
  Hwnd ok = Button(top, 3100, "ok", {0, 48, 72, 24});
  ws.SetFocus(e);
  log.clear();
  Drive(Script().PressCell(1, 3));
  EXPECT_EQ(Log(), "e:KILLFOCUS, ok:SETFOCUS");
  EXPECT_EQ(ws.Focus(), ok);
  Drive(Script().MoveCell(2, 3).ReleaseCell(2, 3));
  EXPECT_EQ(Log(), "e:KILLFOCUS, ok:SETFOCUS, form:COMMAND 3100/0");
  // Let go away from the button: no command.
  log.clear();
  Drive(Script().PressCell(1, 3).ReleaseCell(20, 3));
  EXPECT_EQ(Log(), "");
}

// The terminal's mouse reports, decoded, drive the same drag: the window
// system cannot tell them from the script's press, move and release.
TEST_F(ThumbDrag, TerminalMouseReportsDragTheThumb) {
  auto terminal = [](std::string_view bytes) {
    TermInputDecoder dec(12, 24);
    std::vector<InputEvent> evs;
    dec.Feed(bytes, 0, evs);
    Script s;
    for (const auto& ev : evs) s.steps.push_back(ScriptStep{false, 0, ev, "terminal", ScriptStep::Check::kNone, 0, {}, -1});
    return s;
  };
  // SGR reports are 1-based: cell (38, 2) is column 39, row 3.
  Drive(terminal("\x1b[<0;39;3M\x1b[<32;39;4M\x1b[<32;39;6M\x1b[<0;39;6m"));
  EXPECT_EQ(Codes(), "V5/100, V5/300, V4/300, V8/300");
  EXPECT_EQ(ThumbRow(), 5);
  // A click on the track below the thumb pages once.
  codes.clear();
  Drive(terminal("\x1b[<0;39;9M\x1b[<0;39;9m"));
  EXPECT_EQ(Codes(), "V" + std::to_string(kSbPageDown) + "/0");
}

}  // namespace
}  // namespace plat::test
