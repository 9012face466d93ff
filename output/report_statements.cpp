// The report statements of procedures, served as the output layer's
// extension of the reports slot of the statement handler chain:
//   REPORT spec, condition-range, condition, flag
//     "device,template": the template printed (its limits asked when the
//     definition in effect has a form) on the procedure's current device,
//     else on the named device (none named: the device dialog);
//     "device,template<file": the template printed over the file's lines
//     ("device,<file": the lines copied as they are).
//   DOCPRINT "device,template", range, condition, key bound
//     one run of the template without limits, on the current procedure
//     device when one is open.
// Both leave their status in _STAT and return it. The Report verb of menus
// and commands is installed here as well.
#include <any>
#include <string>

#include "core/app_verbs.h"
#include "core/exec_handlers.h"
#include "core/exec_keywords.h"
#include "core/sys_vars.h"
#include "output/device_statements.h"
#include "output/output_state.h"
#include "output/report_runner.h"

namespace eng {

namespace {

DeviceRecord* TopDevice() {
  std::any* top = ExecDeviceTop();
  return top ? std::any_cast<DeviceRecord>(top) : nullptr;
}

Status Report(const ExecArgs& args) {
  std::string spec(args.Text(1).view());
  if (spec.empty()) return kStSyntax;
  Status s;
  size_t lt = spec.find('<');
  if (lt == std::string::npos) {
    s = ReportPrint(ReportRangeKey(spec, 1), ReportRangeKey(spec, 2), args.Text(2).view(), "",
                    args.Text(3).view(), static_cast<uint16_t>(args.Int(4) & 0xFF), TopDevice(), true);
  } else {
    std::string first = spec.substr(0, lt);
    std::string rest = spec.substr(lt + 1);
    std::string file = rest.substr(0, rest.find('<'));
    std::string device = ReportRangeKey(first, 1);
    s = kOk;
    if (device.empty()) {
      DeviceAsker ask = Out().config.device_asker;
      s = ask ? ask(device) : Status{kStCancelled};
      if (s == kOk && device.empty()) s = kStCancelled;
    }
    if (s == kOk) s = ReportPrintFile(device, file, ReportRangeKey(first, 2));
  }
  SysVarSet(kVarStat, static_cast<int16_t>(s));
  return s;
}

Status DocPrint(const ExecArgs& args) {
  std::string spec(args.Text(1).view());
  if (spec.empty()) return kStSyntax;
  Status s = ReportRun(ReportRangeKey(spec, 1), ReportRangeKey(spec, 2), args.Text(2).view(), args.Text(3).view(),
                       args.Text(4).view(), 0, "", "", TopDevice());
  SysVarSet(kVarStat, static_cast<int16_t>(s));
  return s;
}

Status RunReports(uint16_t code, const ExecArgs& args) {
  switch (code) {
    case kExecReport:
      return Report(args);
    case kExecDocPrint:
      return DocPrint(args);
    default:
      return kExecNotServed;
  }
}

Status ReportVerb(StrPair argument) { return ReportMenuItem(argument.ok() ? argument.view() : std::string_view()); }

}  // namespace

void ReportInstall() {
  ExecHandlerExtend(kExecSlotReports, &RunReports);
  AppVerbServiceSet(kVerbReport, &ReportVerb);
}

}  // namespace eng
