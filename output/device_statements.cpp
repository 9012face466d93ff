#include "output/device_statements.h"

#include <any>

#include "core/exec_handlers.h"
#include "core/exec_keywords.h"
#include "core/sys_vars.h"
#include "output/child_programs.h"
#include "output/device.h"
#include "output/output_state.h"
#include "output/report_runner.h"

namespace eng {

namespace {

DeviceRecord* Top() {
  std::any* top = ExecDeviceTop();
  return top ? std::any_cast<DeviceRecord>(top) : nullptr;
}

Status Device(const ExecArgs& args) {
  std::string text = args.Text(1).str();
  if (text.empty()) {
    DeviceAsker ask = Out().config.device_asker;
    Status s = ask ? ask(text) : Status{kStCancelled};
    if (s || text.empty()) {
      SysVarSet(kVarStat, static_cast<int16_t>(kStCancelled));
      return kOk;
    }
  }
  DeviceRecord d = DeviceOpen(text);
  Status s = d.status;
  if (Status p = ExecDevicePush(std::any(std::move(d)))) return p;
  SysVarSet(kVarStat, static_cast<int16_t>(s));
  return s;
}

Status RunDevices(uint16_t code, const ExecArgs& args) {
  switch (code) {
    case kExecDevice:
      return Device(args);
    case kExecDLocate:
    case kExecDPrint:
    case kExecEndDevice: {
      DeviceRecord* d = Top();
      if (!d) return kStDataOutBound;
      if (code == kExecEndDevice) {
        DeviceEnd(*d);
        DeviceClose(*d);
        ExecDevicePop();
        return kOk;
      }
      if (d->status) return d->status;
      if (code == kExecDLocate) return DeviceGotoRowCol(*d, args.Int(1), args.Int(2));
      return args.Int(2) != 0 ? DeviceWriteRaw(*d, args.Text(1).view()) : DeviceWrite(*d, args.Text(1).view());
    }
    case kExecSystem:
      return ChildViewFile(static_cast<uint16_t>(args.Int(1)), args.Text(2).view());
    default:
      return kExecNotServed;
  }
}

}  // namespace

void OutputSetDeviceAsker(DeviceAsker asker) { Out().config.device_asker = asker; }

void OutputInstall() {
  ExecHandlerExtend(kExecSlotDevices, &RunDevices);
  ReportInstall();
}

}  // namespace eng
