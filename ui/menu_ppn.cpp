#include "ui/menu_ppn.h"

#include <string>

#include "core/def_lines.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/menu_pmt.h"
#include "core/module_parms.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/sys_vars.h"
#include "core/var_store.h"

namespace eng {

namespace {

constexpr uint16_t kPpnFormat = 1;
constexpr uint16_t kNone = 0xFFFF;

std::string Parm(uint16_t parameter, uint16_t item) {
  ScratchScope scope;
  StrPair v = MenuPpnParm(parameter, item);
  return v.ok() ? std::string(v.view()) : std::string();
}

std::string Item(const std::string& list, uint16_t n) {
  ScratchScope scope;
  return std::string(StrItem(StrOf(list), ',', n).view());
}

std::string Unquoted(const std::string& text) {
  ScratchScope scope;
  return std::string(StrUnquote(StrTrim(StrOf(text), 3)).view());
}

int Number(const std::string& text) {
  ScratchScope scope;
  return StrItemInt(StrOf(text), ',', 1);
}

uint16_t Count(const std::string& list) { return StrItemCount(StrOf(list), ','); }

class Expander {
 public:
  // Pushes definition n of the file; on failure 164 with the file name.
  Status Push(const std::string& file, int n) {
    ScratchScope scope;
    if (ParmPushDef(StrOf(file), kPpnFormat, n) == kOk) return kOk;
    return ErrIncident(kStFileNotFound, StrOf(file), false);
  }

  // A line that the store cannot hold fails like a missing definition of
  // the file being read.
  Status Emit(const std::string& file, uint16_t level, const std::string& text) {
    if (DynStrPush(kMenuPpnQueue, StrOf(std::string(level, '\t') + text)) == kOk) return kOk;
    ScratchScope scope;
    return ErrIncident(kStFileNotFound, StrOf(file), false);
  }

  Status Root(const std::string& file) {
    if (Status s = Push(file, 1)) return s;
    const std::string callers = Parm(kParmCaller, 0);
    Status s = kOk;
    for (uint16_t i = 1; s == kOk && i <= Count(callers); ++i) {
      const int n = Number(Item(callers, i));
      if (n != 0) s = Entry(file, n, std::string(), std::string(), 0);
    }
    ParmPop();
    return s;
  }

  Status Entry(const std::string& file, int n, const std::string& command, const std::string& title,
               uint16_t level) {
    if (Status s = Push(file, n)) return s;
    const std::string menu = Parm(kParmMenu, 0);
    const std::string callers = Parm(kParmCaller, 0);
    const std::string own_title = title.empty() ? Item(menu, 1) : title;
    Status s = kOk;
    if (!menu.empty() || !callers.empty()) {
      s = Emit(file, level, own_title);
      if (s == kOk && !callers.empty()) {
        for (uint16_t i = 1; s == kOk && i <= Count(callers); ++i) {
          const int sub = Number(Item(callers, i));
          if (sub != 0) s = Entry(file, sub, std::string(), Unquoted(Item(menu, static_cast<uint16_t>(i + 1))),
                                  static_cast<uint16_t>(level + 1));
        }
      } else if (s == kOk) {
        s = Items(file, command, static_cast<uint16_t>(level + 1));
      }
    } else {
      s = Emit(file, level, own_title + "," + (command.empty() ? Parm(kParmExec, 1) : command));
    }
    ParmPop();
    return s;
  }

  // The MENU$ items of the definition in effect as items of one level.
  Status Items(const std::string& file, const std::string& parent_command, uint16_t level) {
    const std::string menu = Parm(kParmMenu, 0);
    const std::string exec = Parm(kParmExec, 0);
    const std::string load = Parm(kParmLoad, 0);
    std::string base;
    int number = 0;
    if (!parent_command.empty()) {
      base = Item(parent_command, 1);
      const std::string second = Item(parent_command, 2);
      if (!second.empty()) base += " " + second;
      number = Number(Item(parent_command, 3));
    }
    Status s = kOk;
    for (uint16_t i = base.empty() ? 2 : 1; s == kOk && i <= Count(menu); ++i) {
      const std::string text = Unquoted(Item(menu, i));
      std::string command = Unquoted(Item(exec, i));
      if (command.empty()) {
        const std::string at = std::to_string(number + i);
        command = base.empty() ? at : base + "," + at;
      }
      const std::string loaded = Unquoted(Item(load, i));
      if (!loaded.empty()) {
        std::string other = Unquoted(Item(loaded, 1));
        if (other.find('.') == std::string::npos) {
          ScratchScope scope;
          other = std::string(DefFileName(StrOf(other), kDefKindPpn).view());
        }
        s = Entry(other.empty() ? file : other, Number(Item(loaded, 2)), command, text, level);
      } else {
        s = Emit(file, level, text + "," + command);
      }
    }
    return s;
  }
};

}  // namespace

StrPair MenuPpnParm(uint16_t parameter, uint16_t item) {
  StrPair value = ParmGet(parameter);
  if (value.ok() && value.empty() && SysVarHas(kVarCompat, kCompatOldMenuNames)) {
    if (parameter == kParmMenu) {
      value = ParmGet(kParmSubmenu);
      if (value.ok() && value.empty()) {
        const std::string modulo(ParmGetByName(StrOf("MODULO$")).view());
        const std::string options(ParmGetByName(StrOf("OPTIONS$")).view());
        if (!modulo.empty() || !options.empty()) value = ScratchText(modulo + "," + options);
      }
    } else if (parameter == kParmCaller) {
      value = ParmGetByName(StrOf("MODULOS$"));
    }
  }
  if (!value.ok() || item == 0) return value;
  return StrItem(value, ',', item);
}

uint16_t MenuPpnRead(StrPair name) {
  if (!name.ok()) return kNone;
  std::string file;
  {
    ScratchScope scope;
    StrPair first = StrTrim(StrItem(name, ',', 1), 3);
    if (first.empty()) return kNone;
    file = std::string(DefFileName(first, kDefKindPpn).view());
  }
  const uint16_t before = DynStrCount(kMenuPpnQueue);
  const bool had_compat = SysVarHas(kVarCompat, kCompatOldMenuNames);
  VarSetBits(kVarCompat, kCompatOldMenuNames, true);
  Expander expander;
  const Status s = expander.Root(file);
  VarSetBits(kVarCompat, kCompatOldMenuNames, had_compat);
  if (s) {
    while (DynStrCount(kMenuPpnQueue) > before) DynStrDelete(kMenuPpnQueue, before);
    return kNone;
  }
  return static_cast<uint16_t>(DynStrCount(kMenuPpnQueue) - before);
}

uint16_t MenuPpnReaderStart(StrPair name) {
  MenuPmtRestart();
  const uint16_t n = MenuPpnRead(name);
  return n == kNone || n == 0 ? kNone : 0;
}

}  // namespace eng
