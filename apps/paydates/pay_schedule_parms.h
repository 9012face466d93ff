// The built-in texts that stand in for the payment-schedule window's
// parameters when its window definition leaves them empty (read through
// core/module_parms.h: ACBOUND$, ALARM$, SET$, EOT_EXP$, WR_EXP$, MAXLIN%).
// Only these have a default; the write loop that stores a schedule uses SET$,
// RD_COND$, WR_EXP$ and EOT_EXP$ as they are.
//
// The questions set IDATE$ (first date), VNE (number of payments), VCD (days
// between payments) and VCM (months between payments); the computing loop
// counts the payment in VNEX and divides the callers' total IMP# through C#,
// the last payment taking the remainder. ALARM$ true sends the questions
// back, so a schedule holds at most 36 payments.
#pragma once

#include <cstdint>

namespace eng::paydates {

// Grid columns of the window and the question fields.
inline constexpr const char* kDefaultGridColumns = "'Pay Date':'D8','Amount':'29'";
inline constexpr const char* kDefaultQuestions =
    "'1st Date:':'D8':IDATE$,'Pays#:':'N2':VNE:VNE,'Days Range:':'N2':VCD:VCD,"
    "'Mounths Range:':'N2':VCM:VCM";
// The computing loop: its condition for asking again, its start, its stop
// condition (true ends it) and the expressions of one line (column 1 the
// due date, column 2 the amount).
inline constexpr const char* kDefaultAlarm = "VNE>36";
inline constexpr const char* kDefaultSet = "VNEX=1";
inline constexpr const char* kDefaultEnd = "(VNEX=VNEX+1)>VNE";
inline constexpr const char* kDefaultWrite =
    "PayDate$(IDATE$;0;VCD;VCM;VNEX),C#=IMP#/VNE;CHK#(VNE==VNEX;IMP#-(VNE-1)*C#;C#)";
inline constexpr uint16_t kDefaultMaxLines = 100;

}  // namespace eng::paydates
