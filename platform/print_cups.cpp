#include <cups/cups.h>

#include "platform/print_spooler.h"

namespace plat {

namespace {

class CupsSpooler : public PrintSpooler {
 public:
  std::string DefaultPrinter() override {
    cups_dest_t* dests = nullptr;
    int n = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    std::string name;
    if (cups_dest_t* d = cupsGetDest(nullptr, nullptr, n, dests)) name = d->name;
    cupsFreeDests(n, dests);
    return name;
  }

  std::vector<std::string> Printers() override {
    cups_dest_t* dests = nullptr;
    int n = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) {
      if (dests[i].instance) continue;
      if (dests[i].is_default) out.insert(out.begin(), dests[i].name);
      else out.push_back(dests[i].name);
    }
    cupsFreeDests(n, dests);
    return out;
  }

  bool HasPrinter(const std::string& name) override {
    if (name.empty()) return false;
    cups_dest_t* d = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.c_str(), nullptr);
    if (!d) return false;
    cupsFreeDests(1, d);
    return true;
  }

  bool Submit(const std::string& printer, const std::string& title, JobFormat format, std::string_view data,
              std::string* error) override {
    const char* type = format == JobFormat::kPdf ? CUPS_FORMAT_PDF : CUPS_FORMAT_RAW;
    int job = cupsCreateJob(CUPS_HTTP_DEFAULT, printer.c_str(), title.c_str(), 0, nullptr);
    bool ok = job > 0 &&
              cupsStartDocument(CUPS_HTTP_DEFAULT, printer.c_str(), job, title.c_str(), type, 1) ==
                  HTTP_STATUS_CONTINUE;
    if (ok) ok = cupsWriteRequestData(CUPS_HTTP_DEFAULT, data.data(), data.size()) == HTTP_STATUS_CONTINUE;
    if (job > 0) {
      ipp_status_t st = cupsFinishDocument(CUPS_HTTP_DEFAULT, printer.c_str());
      if (st > IPP_STATUS_OK_EVENTS_COMPLETE) ok = false;
      if (!ok) cupsCancelJob2(CUPS_HTTP_DEFAULT, printer.c_str(), job, 0);
    }
    if (!ok && error) *error = cupsLastErrorString() ? cupsLastErrorString() : "job refused";
    return ok;
  }
};

}  // namespace

std::unique_ptr<PrintSpooler> MakeCupsSpooler() { return std::make_unique<CupsSpooler>(); }

}  // namespace plat
