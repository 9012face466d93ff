#include "apps/common/app_usage.h"

namespace eng::apphead {

namespace {

// "@" stands for the program's name, "##" for its file prefix.
constexpr std::string_view kUsage =
    "Usage: @ [options]\n"
    "\n"
    "Runs the application in the current folder, its work folder: the data files,\n"
    "the session state file ##FSTAT.DAT and the files procedures write are kept\n"
    "there. The definition files (dictionary ##DICC.DAT, configuration, procedures)\n"
    "are looked for in the program's folder, then in the DPATH folder, else in\n"
    "../APPS beside the work folder. Definition and procedure files are code page\n"
    "1252 texts.\n"
    "\n"
    "Options are written /NAME:value (or -NAME:value, --NAME:value). A bare value\n"
    "is upper-cased and ends at a blank, \"/\", \":\" or \"&\"; quote it to keep it\n"
    "as written: \"/RUN:'PrcExec demo.prx'\", \"/DPATH:'/srv/apps'\".\n"
    "  /RUN:command    run the command instead of the menu, then end; for\n"
    "                  example 'PrcExec demo.prx' runs a procedure file\n"
    "  /INPUT:file     first run the file's lines, one command a line; the first\n"
    "                  command that fails ends the run, and a file that cannot be\n"
    "                  opened ends it before any command\n"
    "  /OUTPUT:file    the journal of confirmed forms and chosen devices\n"
    "  /DPATH:folder   the folder of the definition files, when they are not in\n"
    "                  the program's folder\n"
    "  /APNAME:code    another application identity; its first two letters are the\n"
    "                  prefix of the application's files\n"
    "  /TRACE:n        trace bits: 8 writes every statement run to PrcLog.txt in\n"
    "                  the work folder; 256 shows the About box at the start\n"
    "  /?, /HELP, -?, --help\n"
    "                  this text\n"
    "Other /NAME:value options are read by procedures and configuration files as\n"
    "%NAME%.\n"
    "\n"
    "Without a terminal every message box is written to standard error and takes\n"
    "its safe answer (Cancel, else No, else OK); the question whether to recover\n"
    "an interrupted session is answered yes, which rebuilds the indexes of every\n"
    "data file from its records. One session runs in a work folder at a time: a\n"
    "second program started there is refused.\n"
    "\n"
    "Exit codes:\n"
    "  0        the run ended normally\n"
    "  1-127    the run stopped with this status: a procedure stopped at a\n"
    "           statement that answered it (for example 6, a record was added\n"
    "           beside another with the same key), or 122, cancelled\n"
    "  128-254  an error with this status (for example 139, another session runs\n"
    "           in this folder or another program wrote its session state file;\n"
    "           164, a file not found)\n"
    "  255      a failure of the lowest layers (a file that does not open)\n"
    "The message on standard error names the status and the statement.\n";

}  // namespace

std::string AppUsageText(std::string_view program, std::string_view prefix) {
  std::string out;
  out.reserve(kUsage.size() + 64);
  for (size_t i = 0; i < kUsage.size(); ++i) {
    if (kUsage[i] == '@') {
      out.append(program);
    } else if (kUsage.compare(i, 2, "##") == 0) {
      out.append(prefix);
      ++i;
    } else {
      out += kUsage[i];
    }
  }
  return out;
}

}  // namespace eng::apphead
