#include "core/exp_constants.h"

namespace eng {

const ExpConstant kExpConstants[kExpConstantCount] = {
    {"envron", 0},      {"lang", 0},       {"cmdline", 1},    {"apname", 2},
    {"apdesc", 3},      {"langmodule", 4}, {"docpath", 5},    {"docroot", 5},
    {"helppath", 7},    {"funclist", 8},   {"butlabels", 9},  {"maskparms", 10},
    {"datem", 100},     {"datey", 10000},  {"envvar", 9},     {"maincond", 1},
    {"pdfhead", 3},     {"dialog", 7},     {"aux", 31},       {"scrbuf", 32},
    {"fsel", 33},       {"wret", 34},      {"fnparm", 35},    {"usrfil", 36},
    {"fileln", 37},     {"usrfif", 38},    {"top", 36},       {"next", 16},
    {"previous", 20},   {"bottom", 32},    {"noprint", 8192}, {"iscgi", 16384},
};

bool ExpConstantValue(std::string_view name, int16_t* value) {
  for (const ExpConstant& c : kExpConstants) {
    if (name == c.name) {
      *value = c.value;
      return true;
    }
  }
  return false;
}

}  // namespace eng
