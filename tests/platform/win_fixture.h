// A headless window system with a message log, for the window system's tests.
#pragma once

#include <gtest/gtest.h>

#include <ostream>

#include <set>
#include <string>
#include <vector>

#include "platform/ctl_button.h"
#include "platform/ctl_edit.h"
#include "platform/ctl_static.h"
#include "platform/headless_driver.h"
#include "platform/win_dump.h"
#include "platform/win_keys.h"
#include "platform/win_layout.h"

namespace plat {
inline void PrintTo(const CellRect& r, std::ostream* os) {
  *os << "cells " << r.col << "," << r.row << " " << r.cols << "x" << r.rows;
}
inline void PrintTo(const Rect& r, std::ostream* os) { *os << "px " << r.x << "," << r.y << " " << r.w << "x" << r.h; }
}  // namespace plat

namespace plat::test {

class WinTest : public ::testing::Test {
 protected:
  HeadlessDriver d;
  WinSystem& ws = d.ws();
  std::vector<std::string> log;
  std::set<uint32_t> logged{kWmKeyDown, kWmKeyUp, kWmChar,  kWmSetFocus, kWmKillFocus, kWmCommand,
                            kWmDestroy, kWmTimer, kWmClose, kWmUser,     kWmUser + 1,  kWmUser + 2};

  std::string Describe(uint32_t msg, uint64_t w) {
    std::string s = MsgName(msg);
    if (msg >= kWmUser && msg < kWmUser + 16) s = "USER+" + std::to_string(msg - kWmUser);
    if (msg == kWmKeyDown || msg == kWmKeyUp) s += " " + KeyName(static_cast<uint8_t>(w));
    if (msg == kWmChar) s += w > 32 ? " " + std::string(1, static_cast<char>(w)) : " " + std::to_string(w);
    if (msg == kWmCommand) s += " " + std::to_string(CommandId(w)) + "/" + std::to_string(CommandCode(w));
    if (msg == kWmTimer || msg == kWmVScroll || msg == kWmHScroll) s += " " + std::to_string(w);
    return s;
  }

  // Logs the window's messages under a name, then passes them on.
  void Watch(Hwnd h, const std::string& name) {
    auto prev = std::make_shared<WndProc>();
    *prev = ws.SetProc(h, [this, name, prev](WinSystem& s, Hwnd hw, uint32_t msg, uint64_t w, int64_t l) {
      if (logged.count(msg)) log.push_back(name + ":" + Describe(msg, w));
      return (*prev)(s, hw, msg, w, l);
    });
  }

  Hwnd Top(const std::string& name, Rect r = {0, 0, 480, 264}, Hwnd owner = kNoWindow) {
    CreateParams p;
    p.class_name = name;
    p.text = name;
    p.style = kWsCaption | kWsSysMenu;
    p.x = r.x;
    p.y = r.y;
    p.w = r.w;
    p.h = r.h;
    p.owner = owner;
    Hwnd h = ws.Create(p);
    Watch(h, name);
    return h;
  }

  Hwnd Edit(Hwnd parent, int id, const std::string& name, Rect r, uint32_t style = 0) {
    Hwnd h = CreateEdit(ws, parent, id, r, style);
    Watch(h, name);
    return h;
  }

  Hwnd Button(Hwnd parent, int id, const std::string& name, Rect r, const std::string& text = "Ok") {
    Hwnd h = CreateButton(ws, parent, id, r, text);
    Watch(h, name);
    return h;
  }

  std::string Log() const {
    std::string s;
    for (const auto& l : log) s += (s.empty() ? "" : ", ") + l;
    return s;
  }

  // Runs the script's input through a pumping loop that never waits.
  void Drive(const Script& s) {
    d.Run(s);
    ws.Pump();
  }
};

}  // namespace plat::test
