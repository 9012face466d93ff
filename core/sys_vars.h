// The 44 integer system variables: switch words and counters through which
// the subsystems talk to each other and to procedures. Read and written by
// number; the variable store declares them first, under these names, as
// integer variables 0-43.
#pragma once

#include <array>
#include <cstdint>

namespace eng {

enum SysVar : uint16_t {
  kVarAuxStat = 0, kVarRelRes, kVarCurFil, kVarCurEdFld, kVarDevHig, kVarDevWid, kVarDevLin,
  kVarDevPos, kVarDevPag, kVarCurRow, kVarStat, kVarLastKey, kVarSgn, kVarUpStat, kVarIer,
  kVarSysCompat, kVarSqlStk, kVarCount, kVarHCount, kVarAdmStat, kVarCompat, kVarScrStat,
  kVarLMax, kVarLNum, kVarLLst, kVarHNum, kVarSafe, kVarLb, kVarAux, kVarKeyMap, kVarSerial,
  kVarTrace, kVarPrecis, kVarBYear, kVarBkYear, kVarDx, kVarInHnd, kVarOutHnd, kVarDate,
  kVarDocSt, kVarWMaxRow, kVarUser01, kVarUser02, kVarUser03,
};

inline constexpr uint16_t kSysVarCount = 44;

struct SysVarDef {
  const char* name;
  int16_t initial;
};

inline constexpr std::array<SysVarDef, kSysVarCount> kSysVarTable = {{
    {"_AUXSTAT", 0}, {"_RELRES", 0}, {"_CURFIL", 0}, {"_CUREDFLD", 0}, {"_DEVHIG", 24},
    {"_DEVWID", 80}, {"_DEVLIN", 0}, {"_DEVPOS", 0}, {"_DEVPAG", 0}, {"_CURROW", 0},
    {"_STAT", 0}, {"_LASTKEY", 4}, {"_SGN", 0}, {"_UPSTAT", 1}, {"_IER", 0},
    {"_SYSCOMPAT", 0}, {"_SQLSTK", 0}, {"_COUNT", 0}, {"_HCOUNT", 0}, {"_ADMSTAT", 0},
    {"_COMPAT", 0}, {"_SCRSTAT", 0}, {"_LMAX", 0}, {"_LNUM", 0}, {"_LLST", 0},
    {"_HNUM", 0}, {"_SAFE", 0}, {"_LB", 128}, {"_AUX", 0}, {"_KEYMAP", 0},
    {"_SERIAL", 0}, {"_TRACE", 1}, {"_PRECIS", 2}, {"_BYEAR", 2000}, {"_BKYEAR", 80},
    {"_DX", 0}, {"_INHND", 0}, {"_OUTHND", 0}, {"_DATE", 0}, {"_DOCST", 0},
    {"_WMAXROW", 0}, {"_USER01", 0}, {"_USER02", 0}, {"_USER03", 0},
}};

// Signed value (as expressions read it) and unsigned value (as bit tests read it).
int16_t SysVarGet(SysVar v);
inline uint16_t SysVarBits(SysVar v) { return static_cast<uint16_t>(SysVarGet(v)); }
inline bool SysVarHas(SysVar v, uint16_t bits) { return (SysVarBits(v) & bits) != 0; }
void SysVarSet(SysVar v, int16_t value);

}  // namespace eng
