// The terminal front end's drawing through ncurses (wide build). This is the
// one file that talks to the terminal library.
#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <deque>
#include <vector>

#ifndef NCURSES_WIDECHAR
#define NCURSES_WIDECHAR 1
#endif
#include <ncurses.h>

#include "platform/cell_color.h"
#include "platform/compositor.h"
#include "platform/poll_wait.h"
#include "platform/term_frontend.h"
#include "platform/term_input.h"
#include "platform/term_text.h"
#include "platform/win_core.h"
#include "platform/msgbox_headless.h"

namespace plat {

namespace {

// Set by the resize signal, read through the self-pipe.
int g_resize_pipe[2] = {-1, -1};

void OnResize(int) {
  if (g_resize_pipe[1] >= 0) {
    const char b = 1;
    ssize_t n = write(g_resize_pipe[1], &b, 1);
    (void)n;
  }
}

enum Pair : short { kPairReverse = 1, kPairDim = 2, kPairFirstFree = 3 };

}  // namespace

struct TermFrontEnd::Impl {
  int fd = -1;
  std::FILE* out = nullptr;
  std::FILE* in = nullptr;
  SCREEN* screen = nullptr;
  WinSystem* ws = nullptr;
  TermInputDecoder decoder;
  std::deque<InputEvent> queue;
  uint64_t last_input_ms = 0;
  uint64_t last_render_ms = 0;
  std::string title;
  bool colors = false;
  bool default_colors = false;  // the terminal's own colours can be named (-1)
  // Colour pairs of the cells' own colours, made as cells first need them:
  // 0 not made yet, -1 none left (such cells fall back to attributes).
  short pairs[kCellColorCount][kCellColorCount] = {};
  short next_pair = kPairFirstFree;
  bool hung_up = false;
  struct sigaction old_winch {};

  void WriteRaw(const std::string& s) {
    size_t done = 0;
    while (done < s.size()) {
      ssize_t n = write(fd, s.data() + done, s.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      done += static_cast<size_t>(n);
    }
  }

  void ApplySize() {
    struct winsize sz {};
    if (ioctl(fd, TIOCGWINSZ, &sz) != 0 || sz.ws_col == 0 || sz.ws_row == 0) return;
    resize_term(sz.ws_row, sz.ws_col);
    if (ws) ws->SetWorkArea(sz.ws_col, sz.ws_row);
  }

  void DrainResize() {
    bool resized = false;
    char buf[64];
    while (g_resize_pipe[0] >= 0 && read(g_resize_pipe[0], buf, sizeof buf) > 0) resized = true;
    if (resized) {
      ApplySize();
      clearok(stdscr, TRUE);
      Render();
    }
  }

  void ReadInput() {
    char buf[4096];
    for (;;) {
      ssize_t n = read(fd, buf, sizeof buf);
      if (n > 0) {
        std::vector<InputEvent> evs;
        last_input_ms = MonotonicMs();
        decoder.Feed(std::string_view(buf, static_cast<size_t>(n)), last_input_ms, evs);
        queue.insert(queue.end(), evs.begin(), evs.end());
        continue;
      }
      if (n == 0) hung_up = true;
      else if (errno == EINTR) continue;
      else if (errno != EAGAIN && errno != EWOULDBLOCK) hung_up = true;
      break;
    }
    if (decoder.pending() && MonotonicMs() - last_input_ms >= TermInputDecoder::kEscTimeoutMs) {
      std::vector<InputEvent> evs;
      decoder.Flush(MonotonicMs(), evs);
      queue.insert(queue.end(), evs.begin(), evs.end());
    }
  }

  // The terminal's colour for a palette entry; a bright one on a terminal of
  // eight colours is its dark form (made bold when it is the foreground).
  short TermColor(uint8_t c, bool fore, attr_t& attr) const {
    int n = CellColorTerm(c);
    if (n < 0) return default_colors ? -1 : fore ? COLOR_WHITE : COLOR_BLACK;
    if (n >= 8 && COLORS < 16) {
      n -= 8;
      if (fore) attr |= A_BOLD;
    }
    return static_cast<short>(n);
  }

  // The pair drawing a cell's own colours, 0 when there is none.
  short PairFor(const Cell& cell, attr_t& attr) {
    if (!colors || (cell.fg == kColorDefault && cell.bg == kColorDefault)) return 0;
    if (cell.fg >= kCellColorCount || cell.bg >= kCellColorCount) return 0;
    attr_t bold = 0;
    const short fg = TermColor(cell.fg, true, bold);
    const short bg = TermColor(cell.bg, false, bold);
    short& pair = pairs[cell.fg][cell.bg];
    if (pair == 0) {
      pair = next_pair < COLOR_PAIRS && init_pair(next_pair, fg, bg) == OK ? next_pair++ : -1;
    }
    if (pair < 0) return 0;
    attr |= bold;
    return pair;
  }

  std::string MainCaption() const {
    for (Hwnd h : ws->TopLevels()) {
      const Window* w = ws->Rec(h);
      if (w && w->visible) return w->text;
    }
    return {};
  }

  void Render() {
    if (!screen || !ws) return;
    last_render_ms = MonotonicMs();
    CellGrid grid = Compose(*ws);
    werase(stdscr);
    const int rows = std::min(grid.rows(), LINES);
    const int cols = std::min(grid.cols(), COLS);
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < cols; ++c) {
        const Cell& cell = grid.at(c, r);
        char32_t cp = Cp1252ToUnicode(cell.ch);
        if (cp < 0x20 || cp == 0x7F || cp == 0) cp = cell.ch == 0 || cp < 0x20 ? U' ' : U'?';
        attr_t attr = A_NORMAL;
        short pair = PairFor(cell, attr);
        if (pair > 0) {
          // The cell's own colours say it all; reverse video would undo them.
          if (cell.attr & kAttrBold) attr |= A_BOLD;
          if (cell.attr & kAttrDim) attr |= A_DIM;
        } else {
          if (cell.attr & kAttrReverse) {
            if (colors) pair = kPairReverse;
            else attr |= A_REVERSE;
          }
          if (cell.attr & kAttrBold) attr |= A_BOLD;
          if (cell.attr & kAttrDim) {
            if (colors && !(cell.attr & kAttrReverse)) pair = kPairDim;
            else attr |= A_DIM;
          }
        }
        wchar_t wc[2] = {static_cast<wchar_t>(cp), 0};
        cchar_t cc;
        setcchar(&cc, wc, attr, pair, nullptr);
        mvwadd_wch(stdscr, r, c, &cc);
      }
    }
    if (grid.caret_shown && grid.caret_row < LINES && grid.caret_col < COLS) {
      curs_set(1);
      wmove(stdscr, grid.caret_row, grid.caret_col);
    } else {
      curs_set(0);
    }
    wnoutrefresh(stdscr);
    doupdate();
    std::string caption = MainCaption();
    if (caption != title) {
      title = caption;
      std::string clean;
      for (char ch : caption) {
        unsigned char u = static_cast<unsigned char>(ch);
        if (u >= 0x20 && u != 0x7F) clean += ch;
      }
      WriteRaw("\x1b]0;" + Cp1252ToUtf8(clean) + "\x07");
    }
  }
};

TermFrontEnd::TermFrontEnd() : impl_(std::make_unique<Impl>()) {}
TermFrontEnd::~TermFrontEnd() { Close(); }

bool TermFrontEnd::is_open() const { return impl_->screen != nullptr; }
const std::string& TermFrontEnd::title() const { return impl_->title; }

bool TermFrontEnd::Open(std::string& error, const char* device) {
  Impl& m = *impl_;
  if (m.screen) return true;
  m.fd = open(device, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (m.fd < 0 || !isatty(m.fd)) {
    error = std::string("no terminal: ") + device;
    if (m.fd >= 0) close(m.fd);
    m.fd = -1;
    return false;
  }
  // Wide characters need a UTF-8 character type; the rest of the locale stays "C".
  std::setlocale(LC_CTYPE, "");
  if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
  m.out = fdopen(dup(m.fd), "w");
  m.in = fdopen(dup(m.fd), "r");
  m.screen = m.out && m.in ? newterm(nullptr, m.out, m.in) : nullptr;
  if (!m.screen) {
    error = "the terminal cannot be used (TERM unknown?)";
    Close();
    return false;
  }
  set_term(m.screen);
  raw();
  noecho();
  nonl();
  typeahead(-1);  // input is ours to read; never let drawing peek at it
  if (has_colors()) {
    start_color();
    m.default_colors = use_default_colors() == OK;
    init_pair(kPairReverse, COLOR_WHITE, COLOR_BLUE);
    init_pair(kPairDim, COLOR_BLUE, m.default_colors ? -1 : COLOR_BLACK);
    m.colors = true;
    for (auto& row : m.pairs)
      for (short& p : row) p = 0;
    m.next_pair = kPairFirstFree;
  }
  fcntl(m.fd, F_SETFL, fcntl(m.fd, F_GETFL) | O_NONBLOCK);
  if (pipe2(g_resize_pipe, O_CLOEXEC | O_NONBLOCK) == 0) {
    struct sigaction sa {};
    sa.sa_handler = OnResize;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGWINCH, &sa, &m.old_winch);
  }
  // Mouse presses and releases, motion while a button is held, SGR coordinates.
  m.WriteRaw("\x1b[?1000h\x1b[?1002h\x1b[?1006h");
  m.ApplySize();
  return true;
}

void TermFrontEnd::Close() {
  Impl& m = *impl_;
  if (m.screen) {
    m.WriteRaw("\x1b[?1006l\x1b[?1002l\x1b[?1000l");
    curs_set(1);
    endwin();
    delscreen(m.screen);
    m.screen = nullptr;
    sigaction(SIGWINCH, &m.old_winch, nullptr);
    for (int& p : g_resize_pipe) {
      if (p >= 0) close(p);
      p = -1;
    }
  }
  if (m.out) std::fclose(m.out);
  if (m.in) std::fclose(m.in);
  m.out = m.in = nullptr;
  if (m.fd >= 0) close(m.fd);
  m.fd = -1;
}

void TermFrontEnd::Attach(WinSystem* ws) {
  impl_->ws = ws;
  if (impl_->screen) impl_->ApplySize();
}

void TermFrontEnd::Render() { impl_->Render(); }

uint64_t TermFrontEnd::NowMs() { return MonotonicMs(); }

bool TermFrontEnd::Poll(InputEvent& ev) {
  Impl& m = *impl_;
  if (!m.screen) return false;
  m.DrainResize();
  if (m.queue.empty()) m.ReadInput();
  if (m.queue.empty()) {
    // Idle: bring the screen up to date, at most every 20 ms while polling.
    if (MonotonicMs() - m.last_render_ms >= 20) m.Render();
    return false;
  }
  ev = m.queue.front();
  m.queue.pop_front();
  return true;
}

bool TermFrontEnd::Wait(uint64_t deadline_ms) {
  Impl& m = *impl_;
  if (!m.screen || m.hung_up) return false;
  if (!m.queue.empty()) return true;
  m.Render();
  uint64_t until = deadline_ms;
  if (m.decoder.pending()) until = std::min(until, m.last_input_ms + TermInputDecoder::kEscTimeoutMs);
  for (;;) {
    int timeout = -1;
    if (until != kNoDeadline) {
      uint64_t now = MonotonicMs();
      if (now >= until) break;
      timeout = static_cast<int>(std::min<uint64_t>(until - now, 60000));
    }
    struct pollfd p[2] = {{m.fd, POLLIN, 0}, {g_resize_pipe[0], POLLIN, 0}};
    int n = poll(p, g_resize_pipe[0] >= 0 ? 2 : 1, timeout);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) continue;  // re-checks the deadline
    if (p[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
      m.hung_up = true;
      return false;
    }
    break;
  }
  m.DrainResize();
  m.ReadInput();
  return !m.hung_up || !m.queue.empty();
}

}  // namespace plat
