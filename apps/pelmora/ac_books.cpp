#include "apps/pelmora/ac_books.h"

#include "apps/pelmora/ac_text.h"
#include "apps/pelmora/pelmora_head.h"
#include "core/err_register.h"
#include "core/num_text.h"
#include "core/scratch_arena.h"
#include "data/dict_query.h"
#include "data/file_ctrl.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"

namespace eng::pelmora {

namespace {

// The field named by item n of the field-name list; 0xFFFF when absent.
uint16_t FieldOf(uint16_t file, uint16_t n) {
  ScratchScope scope;
  StrPair name = AcFieldName(n);
  std::string text = name.ok() ? name.str() : std::string();
  if (n == 14) {  // "DIARIO{%s}": the name before the file suffix
    size_t brace = text.find('{');
    if (brace != std::string::npos) text.resize(brace);
  }
  return DictFindField(file, StrOf(text));
}

}  // namespace

Status AcBooksResolve(AcBooks* b) {
  b->chart = AppModuleFile(3);
  b->journal = AppModuleFile(4);
  b->period = AppModuleFile(5);
  struct Want {
    uint16_t* field;
    uint16_t file;
    uint16_t name;
  };
  const Want wants[] = {
      {&b->c_code, b->chart, 1},     {&b->c_debit, b->chart, 2},     {&b->c_credit, b->chart, 3},
      {&b->j_date, b->journal, 4},   {&b->j_entry, b->journal, 5},   {&b->j_type, b->journal, 6},
      {&b->j_debit, b->journal, 7},  {&b->j_credit, b->journal, 8},  {&b->j_amount, b->journal, 9},
      {&b->p_account, b->period, 10}, {&b->p_date, b->period, 11},   {&b->p_debit, b->period, 12},
      {&b->p_credit, b->period, 13}, {&b->p_diary, b->period, 14},
  };
  for (const Want& w : wants) {
    *w.field = FieldOf(w.file, w.name);
    if (*w.field == 0xFFFF) {
      ScratchScope scope;
      return ErrIncident(kStDataError, AcFieldName(w.name), false);
    }
  }
  b->j_line = DictLineField(b->journal);
  b->code_len = DictFieldLength(b->chart, b->c_code);
  b->entry_len = DictFieldLength(b->journal, b->j_entry);
  return kOk;
}

Status AcBooksOpen(AcBooks* b) {
  if (Status s = AcBooksResolve(b)) return s;
  for (uint16_t f : {b->chart, b->journal, b->period}) {
    Status s = DataFileOpen(f, 0);
    if (s != kOk && s != 2) return s;
  }
  return kOk;
}

std::string AcFieldText(uint16_t file, uint16_t field) {
  StrPair t = BufFieldText(file, field, kBufCurrent);
  return t.ok() ? AcTrim(t.view()) : std::string();
}

DecValue AcFieldAmount(uint16_t file, uint16_t field) {
  ScratchScope scope;
  std::string t = AcFieldText(file, field);
  return t.empty() ? 0 : DecFromText(StrOf(t));
}

Status AcSetFieldText(uint16_t file, uint16_t field, std::string_view text) {
  ScratchScope scope;
  return BufSetField(file, field, StrOf(text));
}

Status AcSetFieldAmount(uint16_t file, uint16_t field, DecValue amount) {
  ScratchScope scope;
  StrPair t = DecToText(amount);
  return BufSetField(file, field, t.ok() && t.len ? t : StrOf("0"));
}

std::string AcKeyText(uint16_t file, uint16_t key) {
  ScratchScope scope;
  StrPair k = BufFileKeyValue(file, key);
  return k.ok() ? k.str() : std::string();
}

Status AcWalk(uint16_t file, uint16_t key, std::string_view from, std::string_view to,
              const std::function<Status()>& each) {
  DataFileSetKeyNumber(file, key);
  Status s;
  {
    ScratchScope scope;
    s = DataFileLocate(file, key, StrOf(from), 2);
  }
  while (s == 0 || s == 1) {
    std::string k = AcKeyText(file, key);
    if (k.compare(0, to.size(), to) > 0) return kOk;
    if (Status e = each()) return e;
    s = DataFileMove(file, 0x10);
  }
  return s >= kStFirstError ? s : kOk;
}

std::string AcPadCode(std::string_view code, char fill, uint16_t length) {
  std::string c(code);
  if (c.size() < length) c.append(length - c.size(), fill);
  return c;
}

}  // namespace eng::pelmora
