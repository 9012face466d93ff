// Help: the help command of the menu, the local help index, help files found
// by language, help entries shown from definition lines, and the About box.
//   - Help files are looked for in the application folders (element 5) and
//     the help folder (element 7), then under their language-specific name.
//   - Files and web pages open in viewer 2 (the web browser) through the
//     viewer that the output layer installs (HelpSetViewer); without one the
//     open answers 148.
// Boxes go through the engine's message boxes (core/msg_box.h).
#pragma once

#include <cstdint>
#include <string_view>

#include "core/str_pair.h"

namespace eng {

// The online help pages; the family name (second ":"-item of the identity)
// is joined to it.
inline constexpr std::string_view kHelpOnlineAddress = "https://help.example.com/manuals";
inline constexpr uint16_t kHelpViewer = 2;

// Opens a file or address (given in double quotes) in a viewer program.
using HelpViewFn = Status (*)(StrPair file, uint16_t viewer);

struct HelpState {
  HelpViewFn viewer = nullptr;
};

void HelpSetViewer(HelpViewFn fn);

// The path of a help file: the name (empty: the prefix followed by
// "HELP.HLP") along element 5 and element 7, else its language-specific form;
// a name found without folder gets the current folder in front. Empty when
// not found.
StrPair HelpFindFile(StrPair name);
// Opens prefix + "index.html", else "index.html", in viewer 2; when neither
// exists, says so in a box (messages 0072 and 0071) and answers 0.
Status HelpOpenIndex(StrPair prefix);
// A non-empty text shows the About box (with _PRECIS as caller text);
// otherwise the online help of the family name when the identity has one,
// else the local help index of the application prefix.
Status HelpCommand(StrPair text);
// "file,n": the lines of key n of the help file (line format 1 for n up to
// 100, else 3); the first line is the caption, the rest the text (joined
// with CR LF) of an information box. 164 when no line was read.
Status HelpShowEntry(StrPair text);
// Message 0076 filled with "2017", the title, "2.20", "", the language, the
// caller's text, "1700", the program path, the application folders and the
// data folder; shown under message 0075. 146 when the filled text is too long.
Status HelpAboutBox(StrPair text);
// An information box with OK; the answer of the box.
uint16_t MsgInfoBox(StrPair caption, StrPair text);

}  // namespace eng
