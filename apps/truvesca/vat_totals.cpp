#include "apps/truvesca/vat_totals.h"

#include "apps/truvesca/inv_args.h"
#include "core/fn_builtins_detail.h"
#include "core/fn_call.h"
#include "core/num_text.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"

namespace eng::truvesca {

namespace {

DecValue ReadLe(std::string_view bytes) {
  uint64_t u = 0;
  for (int i = 7; i >= 0; --i) u = (u << 8) | static_cast<unsigned char>(bytes[size_t(i)]);
  return static_cast<DecValue>(u);
}

void WriteLe(std::string& out, size_t at, DecValue v) {
  uint64_t u = static_cast<uint64_t>(v);
  for (size_t i = 0; i < 8; ++i, u >>= 8) out[at + i] = static_cast<char>(u & 0xFF);
}

Status FnVatAdd(FnArgs& a) {
  if (Status s = FnArgCount(a, 1, 3)) return s;
  DecValue amount = 0, rate = 0;
  if (Status s = InvNumberArg(a, 3, &amount)) return s;
  // The second argument: a rate, or a list of rates as a text.
  bool rate_list = a.Count() >= 2 && a.Type(2) == kFnArgText;
  std::string list, table;
  if (Status s = rate_list ? InvTextArg(a, 2, &list) : InvNumberArg(a, 2, &rate)) return s;
  if (Status s = InvTextArg(a, 1, &table)) return s;
  if (table.size() % kVatEntryBytes) return kStDataError;

  if (!rate_list || !table.empty()) {
    VatAdd(table, rate, amount);
  } else if (!list.empty()) {
    ScratchScope scope;
    StrPair items = StrOf(list);
    uint16_t count = StrItemCount(items, ',');
    for (uint16_t i = 1; i <= count; ++i) {
      size_t at = table.size();
      table.append(kVatEntryBytes, '\0');
      WriteLe(table, at, DecFromText(StrItem(items, ',', i)));
    }
  }
  return fn::ResultText(a, table);
}

Status FnVatValue(FnArgs& a) {
  if (Status s = FnArgCount(a, 1, 3)) return s;
  DecValue part = 0, n = 0;
  if (Status s = InvNumberArg(a, 3, &part)) return s;
  if (Status s = InvNumberArg(a, 2, &n)) return s;
  int64_t p = DecDivPow10(part, DecPrecis());
  int64_t i = DecDivPow10(n, DecPrecis());
  if (p != 0 && p != 1) return kStSyntax;
  std::string table;
  if (Status s = InvTextArg(a, 1, &table)) return s;
  if (table.size() % kVatEntryBytes) return kStDataError;
  size_t count = VatCount(table);
  if (i == 0) return fn::ResultInt(a, int64_t(count));
  if (i < 0 || uint64_t(i) > count) return fn::ResultNum(a, 0);
  VatTotalEntry e = VatEntryAt(table, size_t(i - 1));
  return fn::ResultNum(a, p ? e.total : e.rate);
}

}  // namespace

size_t VatCount(std::string_view table) { return table.size() / kVatEntryBytes; }

VatTotalEntry VatEntryAt(std::string_view table, size_t i) {
  std::string_view e = table.substr(i * kVatEntryBytes, kVatEntryBytes);
  return VatTotalEntry{ReadLe(e.substr(0, 8)), ReadLe(e.substr(8, 8))};
}

void VatAdd(std::string& table, DecValue rate, DecValue amount) {
  if (amount == 0) return;
  size_t count = VatCount(table), i = 0;
  while (i < count && VatEntryAt(table, i).rate != rate) ++i;
  if (i == count) {
    table.append(kVatEntryBytes, '\0');
    WriteLe(table, i * kVatEntryBytes, rate);
  }
  VatTotalEntry e = VatEntryAt(table, i);
  // The sum wraps as every DecValue sum does, without undefined behaviour.
  WriteLe(table, i * kVatEntryBytes + 8, static_cast<DecValue>(uint64_t(e.total) + uint64_t(amount)));
}

Status VatRegister() {
  if (Status s = FnRegister(StrOf("VATv"), &FnVatValue)) return s;
  return FnRegister(StrOf("VAT$"), &FnVatAdd);
}

}  // namespace eng::truvesca
