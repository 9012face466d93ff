// Viewer programs and child programs.
//
// Viewers 1-5 (text editor, web browser, PDF reader, word processor, office
// suite) come from a table of our own: the configured program of each
// number, else xdg-open. A viewer is started detached with the file as its
// one argument (no shell, so no file name can add a command) and is not
// waited for.
//
// Child programs run through "/bin/sh -c" with their output read through a
// pipe (standard input /dev/null), handed to a sink in chunks of at most 1024
// bytes, within the configured time limit; a child past the limit is killed
// and the run answers 171.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"

namespace eng {

// The program of viewer n; empty when the number is outside 1-5 or the
// program is not found (a name without "/" is looked for along PATH).
std::string ChildViewerPath(uint16_t n);
// Starts the viewer on the file (one pair of surrounding double quotes is
// removed first). 0, or 0xFFFF when the viewer is missing or does not start.
Status ChildViewFile(uint16_t n, std::string_view file);
// Starts argv detached: 0 or 0xFFFF.
Status ChildStart(const std::vector<std::string>& argv);

// A sink's non-zero answer ends the run with that status.
using ChildOutSink = std::function<Status(std::string_view chunk)>;
// Runs the command line through the shell. 164 when the shell cannot start,
// 171 when the time limit passed, a sink's answer, else 0.
Status ChildRunPiped(std::string_view command, const ChildOutSink& sink);
// The whole output gathered into text (at most 65,535 bytes: then 146).
Status ChildRunCapture(std::string_view command, std::string& text);

}  // namespace eng
