// A month of delivery notes for the invoicing run (dictionary prefix IR),
// shared by the run's tests and the program the kill test runs:
//   file 1 notas     NUM A6, CLIENTE N5, ITEM A10, QTY N5, PRICE N9 (cents),
//                    IVA N2, FAC A8 (series + number, blank while open);
//                    key 1 NUM
//   file 2 facturas  SERIE A2, NUM A6, N_LINE N3, CLIENTE N5, NOTA A6,
//                    ITEM A10, QTY N5, IMPORTE N12, IVA N2, BASE N12,
//                    CUOTA N12, TOTAL N12, IVAS A60, LETRAS A120;
//                    key 1 SERIE + NUM + N_LINE (the header's N_LINE blank)
//   file 3 registro  SERIE A2, NUM A6, CLIENTE N5, TOTAL N12; key 1 SERIE + NUM
//   file 4 cobros    SERIE A2, NUM A6, PLAZO N2, IMPORTE N12;
//                    key 1 SERIE + NUM + PLAZO
// The window's statements are played by SampleWindow: a line copies its
// note and prices it, the foot sums the lines with VAT by rate
// (vat_totals) and writes the total in words (amount_words), the registry
// record copies the header, and a total of 200.00 or more is paid in two
// terms, a smaller one in one.
#pragma once

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "apps/truvesca/amount_words.h"
#include "apps/truvesca/inv_run.h"
#include "apps/truvesca/vat_totals.h"
#include "core/scratch_arena.h"
#include "core/sys_vars.h"
#include "data/hooked_write.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "tests/data/doc_fixture.h"

namespace eng::test::invrun {

inline constexpr uint16_t kNotas = 1;
inline constexpr uint16_t kFacturas = 2;
inline constexpr uint16_t kRegistro = 3;
inline constexpr uint16_t kCobros = 4;

inline const char* const kDictionary =
    "01**01NOTAS\r\n"
    "01       006 ANUM\r\n"
    "01       005 NCLIENTE\r\n"
    "01       010 AITEM\r\n"
    "01       005 NQTY\r\n"
    "01       009 NPRICE\r\n"
    "01       002 NIVA\r\n"
    "01       008 AFAC\r\n"
    "02**02FACTURAS\r\n"
    "02       002 ASERIE\r\n"
    "02       006 ANUM\r\n"
    "02       003 NN_LINE\r\n"
    "02       005 NCLIENTE\r\n"
    "02       006 ANOTA\r\n"
    "02       010 AITEM\r\n"
    "02       005 NQTY\r\n"
    "02       012 NIMPORTE\r\n"
    "02       002 NIVA\r\n"
    "02       012 NBASE\r\n"
    "02       012 NCUOTA\r\n"
    "02       012 NTOTAL\r\n"
    "02       060 AIVAS\r\n"
    "02       120 ALETRAS\r\n"
    "03**03REGISTRO\r\n"
    "03       002 ASERIE\r\n"
    "03       006 ANUM\r\n"
    "03       005 NCLIENTE\r\n"
    "03       012 NTOTAL\r\n"
    "04**04COBROS\r\n"
    "04       002 ASERIE\r\n"
    "04       006 ANUM\r\n"
    "04       002 NPLAZO\r\n"
    "04       012 NIMPORTE\r\n"
    "31<0001006\r\n"
    "32<0001011\r\n"
    "33<0001008\r\n"
    "34<0001010\r\n";

inline constexpr size_t kNotaLength = 45;
inline constexpr size_t kFacturaLength = 267;
inline constexpr size_t kRegistroLength = 25;
inline constexpr size_t kCobroLength = 22;

inline void WriteDictionary() { std::ofstream("IRDICC.DAT", std::ios::binary) << kDictionary; }

inline const truvesca::InvRunFiles kFiles{kNotas, kFacturas, kRegistro, kCobros, 2, 7, 1, 2};

struct SampleNote {
  const char* num;
  long cliente;
  const char* item;
  long qty;
  long price;  // cents
  long iva;
};

// The sample month: five customers; customer 300 is blocked (the customer
// condition refuses it), customer 120's notes carry three VAT rates.
inline const std::vector<SampleNote> kMonth = {
    {"N0001", 205, "TORNILLO", 100, 15, 21},  {"N0002", 120, "PAN", 30, 120, 4},
    {"N0003", 120, "ACEITE", 4, 899, 10},     {"N0004", 300, "CEMENTO", 10, 650, 21},
    {"N0005", 205, "BROCA", 3, 1250, 21},     {"N0006", 77, "LIBRO", 2, 1995, 4},
    {"N0007", 120, "MARTILLO", 1, 1490, 21},  {"N0008", 415, "TABLERO", 12, 3200, 21},
    {"N0009", 77, "CUADERNO", 10, 175, 4},    {"N0010", 415, "BARNIZ", 2, 1875, 21},
};

// Adds the notes through the hooked write; returns the first failure.
inline Status SeedNotes(const std::vector<SampleNote>& notes) {
  for (const SampleNote& n : notes) {
    ScratchScope scope;
    if (Status s = DataFileMove(kNotas, 1); s != 3) return s;
    const std::string values[] = {n.num, std::to_string(n.cliente), n.item, std::to_string(n.qty),
                                  std::to_string(n.price), std::to_string(n.iva)};
    for (uint16_t f = 1; f <= 6; ++f)
      if (Status s = BufSetField(kNotas, f, StrOf(values[f - 1]))) return s;
    if (Status s = DataFileWriteHooked(kWriteAdd, kNotas, StrOf(""), StrOf(""))) return s;
  }
  return kOk;
}

inline long FieldNumber(uint16_t file, uint16_t field) {
  StrPair v = BufFieldText(file, field, kBufCurrent);
  return v.ok() ? std::strtol(std::string(v.view()).c_str(), nullptr, 10) : 0;
}
inline std::string FieldString(uint16_t file, uint16_t field) {
  StrPair v = BufFieldText(file, field, kBufCurrent);
  return v.ok() ? std::string(v.view()) : std::string();
}
inline Status Set(uint16_t file, uint16_t field, const std::string& value) {
  return BufSetField(file, field, StrOf(value));
}

// The running totals of the invoice being written.
struct SampleTotals {
  long cliente = 0;
  long base = 0;
  std::string vat;  // VAT table (vat_totals)
  long payments = 0;
};

// The window's statements for the sample; `totals` must outlive the window.
inline truvesca::InvRunWindow SampleWindow(SampleTotals* totals) {
  truvesca::InvRunWindow w;
  w.series = "A";
  w.number = "1";
  w.slot_list = StrOf("");
  w.test = StrOf("");
  w.customer_ok = [] { return FieldNumber(kNotas, 2) != 300; };
  w.fill_line = [totals](uint16_t line) -> Status {
    if (line == 1) *totals = {};
    const long amount = FieldNumber(kNotas, 4) * FieldNumber(kNotas, 5);
    totals->cliente = FieldNumber(kNotas, 2);
    totals->base += amount;
    truvesca::VatAdd(totals->vat, DecValue(FieldNumber(kNotas, 6)) * 100, amount);
    Status s = Set(kFacturas, 4, std::to_string(totals->cliente));
    if (!s) s = Set(kFacturas, 5, FieldString(kNotas, 1));
    if (!s) s = Set(kFacturas, 6, FieldString(kNotas, 3));
    if (!s) s = Set(kFacturas, 7, std::to_string(FieldNumber(kNotas, 4)));
    if (!s) s = Set(kFacturas, 8, std::to_string(amount));
    if (!s) s = Set(kFacturas, 9, std::to_string(FieldNumber(kNotas, 6)));
    return s;
  };
  w.step = [totals](truvesca::InvStep step) -> Status {
    if (step == truvesca::kInvFoot) {
      long quota = 0;
      std::string rates;
      for (size_t i = 0; i < truvesca::VatCount(totals->vat); ++i) {
        truvesca::VatTotalEntry e = truvesca::VatEntryAt(totals->vat, i);
        const long q = long((e.total * (e.rate / 100) + 50) / 100);  // rounded to the cent
        quota += q;
        rates += std::to_string(e.rate / 100) + "%:" + std::to_string(e.total) + "/" + std::to_string(q) + ";";
      }
      const long total = totals->base + quota;
      std::string words;
      if (Status s = truvesca::TxtnNumberWords(total, &words)) return s;
      Status s = Set(kFacturas, 4, std::to_string(totals->cliente));
      if (!s) s = Set(kFacturas, 10, std::to_string(totals->base));
      if (!s) s = Set(kFacturas, 11, std::to_string(quota));
      if (!s) s = Set(kFacturas, 12, std::to_string(total));
      if (!s) s = Set(kFacturas, 13, rates);
      if (!s) s = Set(kFacturas, 14, words);
      return s;
    }
    if (step == truvesca::kInvReg) {
      Status s = Set(kRegistro, 1, FieldString(kFacturas, 1));
      if (!s) s = Set(kRegistro, 2, FieldString(kFacturas, 2));
      if (!s) s = Set(kRegistro, 3, std::to_string(FieldNumber(kFacturas, 4)));
      if (!s) s = Set(kRegistro, 4, std::to_string(FieldNumber(kFacturas, 12)));
      totals->payments = 0;
      return s;
    }
    return kOk;
  };
  w.next_payment = [totals](bool* more) -> Status {
    // The header is still in the invoice file's buffer.
    const long total = FieldNumber(kFacturas, 12);
    const long terms = total >= 20000 ? 2 : 1;
    *more = totals->payments < terms;
    if (!*more) return kOk;
    ++totals->payments;
    const long amount = terms == 1 ? total : totals->payments == 1 ? total / 2 : total - total / 2;
    Status s = Set(kCobros, 1, FieldString(kFacturas, 1));
    if (!s) s = Set(kCobros, 2, FieldString(kFacturas, 2));
    if (!s) s = Set(kCobros, 3, std::to_string(totals->payments));
    if (!s) s = Set(kCobros, 4, std::to_string(amount));
    return s;
  };
  return w;
}

using docs::LiveRecords;

// Every live record of the four files, one a line with trailing blanks cut,
// each file under its name.
inline std::string DumpFiles() {
  std::string out;
  const std::pair<const char*, size_t> files[] = {
      {"notas", kNotaLength}, {"facturas", kFacturaLength}, {"registro", kRegistroLength}, {"cobros", kCobroLength}};
  for (const auto& [name, length] : files) {
    out += std::string("[") + name + "]\n";
    for (std::string r : LiveRecords(std::string(name) + ".FD", length)) {
      r.erase(r.find_last_not_of(' ') + 1);
      out += r + "\n";
    }
  }
  return out;
}

}  // namespace eng::test::invrun
