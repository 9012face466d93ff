// The steps the terminal tests take in truvesca's sample (a private tmux
// pane): the program started on its menu bar, the delivery note window, the
// invoicing run and the invoice window opened from the menus, a note typed,
// the run's window filled, the program ended; polls of the data files and
// of a printed file, and the text of a PDF (pdftotext). Each step answers
// an assertion result that carries the pane when something did not show in
// time; every wait has a deadline.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/apps/program_run.h"
#include "tests/apps/truvesca_sample_records.h"
#include "tests/support/tmux_pane.h"

namespace eng::test::trterm {

namespace fs = std::filesystem;

inline constexpr const char* kMenuBar = "Procesos  Ficheros  Informes  Transacciones  Ayuda";

using eng::test::Gone;
using eng::test::Shows;

// Starts the program in the work folder, its error output and exit code
// beside the folder; false when tmux cannot start.
inline bool Start(TmuxPane& pane, const fs::path& work, std::string& error) {
  return pane.StartLogged(work, TRUVESCA_EXE, error);
}

// Opens a menu item: F10 opens the first menu, `right` moves to a later
// menu, `down` to the item, Enter runs it.
inline ::testing::AssertionResult MenuItem(TmuxPane& pane, int right, int down) {
  pane.Keys("F10");
  if (auto r = Shows(pane, "Albaranes del mes de muestra"); !r) return r;
  for (int i = 0; i < right; ++i) pane.Keys("Right");
  if (right)
    if (auto r = Shows(pane, "Mantenimiento >"); !r) return r;
  std::string keys;
  for (int i = 0; i < down; ++i) keys += "Down ";
  pane.Keys(keys + "Enter");
  return ::testing::AssertionSuccess();
}

// Ficheros, Albaranes: the delivery note window, waiting for a note's key.
inline ::testing::AssertionResult OpenNotes(TmuxPane& pane) {
  if (auto r = MenuItem(pane, 1, 2); !r) return r;
  if (auto r = Shows(pane, "Albaranes de venta"); !r) return r;
  return Shows(pane, "Busqueda");
}

// Procesos, Facturación de albaranes: the invoicing run's window.
inline ::testing::AssertionResult OpenRun(TmuxPane& pane) {
  if (auto r = MenuItem(pane, 0, 4); !r) return r;
  return Shows(pane, "Primera factura");
}

// Ficheros, Facturas: the invoice window, waiting for an invoice's key.
inline ::testing::AssertionResult OpenInvoices(TmuxPane& pane) {
  if (auto r = MenuItem(pane, 1, 3); !r) return r;
  return Shows(pane, "Busqueda");
}

// Fills the run's window (the notes' dates, the first number, the
// confirmation switch) and confirms it with Ctrl+End.
inline void FillRun(TmuxPane& pane, const char* from, const char* to, const char* number, const char* confirm) {
  pane.Literal(from);
  pane.Keys("Tab");
  pane.Literal(to);
  pane.Keys("Tab");
  pane.Literal(number);
  pane.Keys("Tab Tab Tab");
  pane.Literal(confirm);
  pane.Keys("Tab C-End");
}

// Waits for the box that ends a successful run and closes it.
inline ::testing::AssertionResult RunCompleted(TmuxPane& pane) {
  if (auto r = Shows(pane, "Proceso Completado Satisfactoriamente"); !r) return r;
  pane.Keys("Enter");
  return Gone(pane, "Proceso Completado");
}

struct NoteLine {
  const char* item;
  const char* quantity;
  const char* price;
};
struct Note {
  const char* number;
  const char* date;
  const char* customer;
  const char* pay;
  const char* vat;
  std::vector<NoteLine> lines;
};

// Types a new note in the delivery note window (waiting for a key): its
// number, its header (the date replacing today's), then its lines; past a
// line's last field the cursor goes to the next line. Not saved.
inline ::testing::AssertionResult TypeNote(TmuxPane& pane, const Note& note) {
  pane.Literal(note.number);
  pane.Keys("Tab");
  if (auto r = Shows(pane, "Nueva alta"); !r) return r;
  pane.Keys("End BSpace BSpace BSpace BSpace BSpace BSpace BSpace BSpace");
  for (const char* value : {note.date, note.customer, note.pay, note.vat}) {
    pane.Literal(value);
    pane.Keys("Tab");
  }
  if (auto r = Shows(pane, "Edicion de lineas"); !r) return r;
  for (const NoteLine& line : note.lines) {
    for (const char* value : {line.item, line.quantity, line.price}) {
      pane.Literal(value);
      pane.Keys("Tab");
    }
    if (auto r = Shows(pane, line.item); !r) return r;
  }
  return ::testing::AssertionSuccess();
}

// Esc on the menu bar asks to end the program; yes ends it with code 0.
inline ::testing::AssertionResult Quit(TmuxPane& pane, const fs::path& work) {
  pane.Keys("Escape");
  if (auto r = Shows(pane, "Recuerde sus Copias de Seguridad"); !r) return r;
  pane.Keys("s");
  const std::string code = WaitFirstLine(work.parent_path() / "exit.txt");
  if (code == "0") return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "exit code \"" << code << "\":\n"
                                       << pane.Pane() << ReadFile(work.parent_path() / "stderr.txt");
}

// Polls a data file until its live records are the wanted ones.
inline ::testing::AssertionResult HasRecords(const fs::path& file, const std::vector<size_t>& fields,
                                             const std::vector<std::string>& want, int ms = 8000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    const std::vector<std::string> got = trsample::Records(file, fields);
    if (got == want) return ::testing::AssertionSuccess();
    if (std::chrono::steady_clock::now() >= end)
      return ::testing::AssertionFailure() << file.filename() << " holds " << ::testing::PrintToString(got);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

// Polls until the file exists with some bytes and its size is steady.
inline bool WaitFile(const fs::path& file, int ms = 8000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  std::uintmax_t last = 0;
  while (std::chrono::steady_clock::now() < end) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(file, ec);
    if (!ec && size > 0 && size == last) return true;
    last = ec ? 0 : size;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

inline bool HavePdfToText() { return std::system("command -v pdftotext >/dev/null 2>&1") == 0; }

// The text of a PDF as pdftotext lays it out, each run of blanks made one
// blank (how wide a gap comes out is pdftotext's choice); empty when it
// fails.
inline std::string PdfText(const fs::path& pdf) {
  const fs::path text = fs::path(pdf).replace_extension(".txt");
  const std::string cmd = "pdftotext -layout " + ShellQuote(pdf.string()) + " " + ShellQuote(text.string());
  if (std::system(cmd.c_str()) != 0) return {};
  std::string out;
  for (char c : ReadFile(text))
    if (c != ' ' || out.empty() || out.back() != ' ') out += c;
  return out;
}

}  // namespace eng::test::trterm
