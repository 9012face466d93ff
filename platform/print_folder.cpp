#include <cstdio>

#include "platform/print_spooler.h"

namespace plat {

bool FolderSpooler::HasPrinter(const std::string& name) {
  for (const std::string& p : printers_)
    if (p == name) return true;
  return false;
}

bool FolderSpooler::Submit(const std::string& printer, const std::string& /*title*/, JobFormat format,
                           std::string_view data, std::string* error) {
  for (const std::string& p : refusing)
    if (p == printer) {
      if (error) *error = "printer refused the job";
      return false;
    }
  if (!HasPrinter(printer)) {
    if (error) *error = "no such printer";
    return false;
  }
  std::string name = folder_ + "/job-" + std::to_string(jobs + 1) + "-" + printer +
                     (format == JobFormat::kPdf ? ".pdf" : ".raw");
  std::string part = name + ".part";
  std::FILE* f = std::fopen(part.c_str(), "wb");
  bool ok = f != nullptr;
  if (ok) ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  if (f && std::fclose(f) != 0) ok = false;
  if (ok) ok = std::rename(part.c_str(), name.c_str()) == 0;
  if (!ok) {
    std::remove(part.c_str());
    if (error) *error = "cannot write the job";
    return false;
  }
  ++jobs;
  return true;
}

}  // namespace plat
