// Printers reached through a spooler. A job is handed over whole when it
// ends: raw bytes for the printer as they stand, or a PDF document of drawn
// pages. The Linux spooler is CUPS; FolderSpooler writes each job to a folder
// instead (tests, and machines without a spooler).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

enum class JobFormat { kRaw, kPdf };

class PrintSpooler {
 public:
  virtual ~PrintSpooler() = default;
  // The default printer's name; empty when there is none (or no spooler).
  virtual std::string DefaultPrinter() = 0;
  // The printers the spooler knows, the default one first when there is one.
  virtual std::vector<std::string> Printers() = 0;
  // Whether a printer of that name exists; fails fast without a spooler.
  virtual bool HasPrinter(const std::string& name) = 0;
  // Hands a finished job over; false (with a reason) when the spooler refuses it.
  virtual bool Submit(const std::string& printer, const std::string& title, JobFormat format,
                      std::string_view data, std::string* error) = 0;
};

// The CUPS spooler of this machine.
std::unique_ptr<PrintSpooler> MakeCupsSpooler();

// Knows the printers it is given (the first is the default). Each job becomes
// a file "job-N-<printer>.raw" or ".pdf" in the folder, with N counting from
// 1, written under a temporary name and renamed when complete; a printer
// named in `refusing` refuses its jobs.
class FolderSpooler : public PrintSpooler {
 public:
  FolderSpooler(std::string folder, std::vector<std::string> printers)
      : folder_(std::move(folder)), printers_(std::move(printers)) {}
  std::string DefaultPrinter() override { return printers_.empty() ? std::string() : printers_.front(); }
  std::vector<std::string> Printers() override { return printers_; }
  bool HasPrinter(const std::string& name) override;
  bool Submit(const std::string& printer, const std::string& title, JobFormat format, std::string_view data,
              std::string* error) override;

  std::vector<std::string> refusing;
  int jobs = 0;

 private:
  std::string folder_;
  std::vector<std::string> printers_;
};

}  // namespace plat
