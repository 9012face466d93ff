// The running program's own file: the absolute path of the executable the
// process was started from (symbolic links resolved), as the operating system
// reports it. An empty text when the system cannot tell.
#pragma once

#include <string>

namespace plat {

std::string ProgramExecutablePath();

}  // namespace plat
