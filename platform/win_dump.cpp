#include "platform/win_dump.h"

#include <algorithm>
#include <cstdio>

#include "platform/win_core.h"
#include "platform/win_layout.h"

namespace plat {

namespace {

std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (char ch : s) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '"' || c == '\\') (out += '\\') += ch;
    else if (c < 32 || c == 127) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

std::string Name(const WinSystem& ws, Hwnd h) {
  const Window* w = ws.Rec(h);
  if (!w) return "none";
  std::string s = std::string(KindName(w->kind)) + " " + Quote(w->class_name);
  if (w->kind != WinKind::kTop) s += " id=" + std::to_string(w->id);
  else s += " " + Quote(w->text);
  return s;
}

void DumpTree(const WinSystem& ws, Hwnd h, int depth, std::string& out) {
  out.append(static_cast<size_t>(depth) * 2, ' ');
  out += DescribeWindow(ws, h);
  out += '\n';
  for (Hwnd c : ws.Children(h)) DumpTree(ws, c, depth + 1, out);
}

}  // namespace

std::string DescribeWindow(const WinSystem& ws, Hwnd h) {
  const Window* w = ws.Rec(h);
  if (!w) return "none";
  std::string s = std::string(KindName(w->kind)) + " " + Quote(w->class_name);
  s += " id=" + std::to_string(w->id);
  const Rect& r = w->rect;
  s += " px=" + std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.w) + "x" + std::to_string(r.h);
  CellRect c = WindowCells(ws, h);
  s += " cells=" + std::to_string(c.col) + "," + std::to_string(c.row) + " " + std::to_string(c.cols) + "x" +
       std::to_string(c.rows);
  std::string shown = w->text;
  if (w->kind == WinKind::kEdit && (w->style & kEsPassword)) shown.assign(w->text.size(), '*');
  s += " " + Quote(shown);
  if (!w->visible) s += " hidden";
  if (!w->enabled) s += " disabled";
  if (ws.Active() == h) s += " active";
  if (ws.Focus() == h) s += " focus";
  if (w->kind == WinKind::kCheckBox) s += " check=" + std::to_string(w->check);
  if (w->pushed) s += " pushed";
  if (w->kind == WinKind::kOwnerDrawButton) s += " value=" + std::to_string(w->value);
  if (w->kind == WinKind::kBitmapButton) s += " image=" + Quote(w->image);
  if (w->kind == WinKind::kEdit) {
    if (w->style & kEsReadOnly) s += " readonly";
    if (w->style & kEsPassword) s += " password";
    if (w->style & kEsRight) s += " right";
    if (w->style & kEsNumber) s += " number";
    if (w->style & kEsMultiline) s += " multiline";
    if (w->edit.limit != kEditDefaultLimit) s += " limit=" + std::to_string(w->edit.limit);
    if (ws.Focus() == h) {
      s += " caret=" + std::to_string(w->edit.caret);
      if (w->edit.anchor != w->edit.caret) {
        size_t a = std::min(w->edit.anchor, w->edit.caret), b = std::max(w->edit.anchor, w->edit.caret);
        s += " sel=" + std::to_string(a) + "-" + std::to_string(b);
      }
    }
  }
  if (w->vbar.shown) s += " vbar=" + std::to_string(w->vbar.pos) + "/" + std::to_string(w->vbar.max);
  if (w->hbar.shown) s += " hbar=" + std::to_string(w->hbar.pos) + "/" + std::to_string(w->hbar.max);
  if (w->menu) s += " menu";
  if (w->owner) s += " owner=" + Quote(ws.Rec(w->owner) ? ws.Rec(w->owner)->class_name : std::string("?"));
  return s;
}

std::string DumpWindows(const WinSystem& ws) {
  std::string out;
  for (Hwnd top : ws.TopLevels()) DumpTree(ws, top, 0, out);
  out += "active: " + Name(ws, ws.Active()) + "; focus: " + Name(ws, ws.Focus()) + "\n";
  return out;
}

}  // namespace plat
