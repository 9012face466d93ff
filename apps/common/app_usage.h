// The usage the programs print for their HELP option ("/?", "/HELP", "-?",
// "--help"): how a run finds its files, the options the programs read and
// what each does, how boxes are answered without a terminal, and the exit
// codes. Plain ASCII, for standard output.
#pragma once

#include <string>
#include <string_view>

namespace eng::apphead {

// `program` is the name the program was started under; `prefix` the
// application's two-letter file prefix ("PL").
std::string AppUsageText(std::string_view program, std::string_view prefix);

}  // namespace eng::apphead
