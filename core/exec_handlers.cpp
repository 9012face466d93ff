#include "core/exec_handlers.h"

#include <string>
#include <vector>

#include "core/clock.h"
#include "core/err_register.h"
#include "core/exec_keywords.h"
#include "core/folders.h"
#include "core/msg_box.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/streams.h"
#include "core/sys_vars.h"
#include "platform/child_process.h"

namespace eng {

namespace {

ExecState& X() { return Core().exec; }

// The extension of an engine slot, or the rest of the chain.
Status Extended(uint16_t slot, uint16_t code, const ExecArgs& args) {
  if (ExecHandler ext = X().extensions[slot]) {
    Status s = ext(code, args);
    if (s != kExecNotServed) return s;
  }
  return ExecPassOn(slot, code, args);
}

bool Devices() { return X().devices.depth > 0; }

Status Kill(const ExecArgs& args) {
  ScratchScope scope;
  StrPair name = AppPathKinds(args.Text(1));
  Status s = name.ok() ? StrmRemoveFile(name) : StrError(name);
  SysVarSet(kVarStat, static_cast<int16_t>(s));
  return kOk;
}

Status System(const ExecArgs& args) {
  if (args.Kind(1) == 0 && args.Int(1) != 0) {
    // A file shown in a viewer program: the output layer's business.
    Status s = Extended(kExecSlotDevices, kExecSystem, args);
    if (s == kStSyntax) s = kStNotAvailable;
    SysVarSet(kVarStat, static_cast<int16_t>(s));
    return kOk;
  }
  ScratchScope scope;
  StrPair command = AppPathKinds(args.Text(1));
  Status s = command.ok() ? ExecShellCommand(command, nullptr) : StrError(command);
  SysVarSet(kVarStat, static_cast<int16_t>(s));
  return kOk;
}

bool IsKey(StrPair t) {
  std::string_view v = t.view();
  return v.size() == 3 && (v[0] | 0x20) == 'k' && (v[1] | 0x20) == 'e' && (v[2] | 0x20) == 'y';
}

}  // namespace

ExecHandler ExecHandlerSet(uint16_t slot, ExecHandler handler) {
  if (slot >= kExecHandlerSlots) return nullptr;
  X().handlers[slot] = handler;
  return handler;
}

ExecHandler ExecHandlerFrom(uint16_t slot) {
  for (uint16_t i = slot; i < kExecHandlerSlots; ++i)
    if (X().handlers[i]) return X().handlers[i];
  return nullptr;
}

void ExecRegisterHandlers() {
  ExecHandlerSet(kExecSlotUtils, &ExecRunUtils);
  ExecHandlerSet(kExecSlotTrans, &ExecRunTrans);
  ExecHandlerSet(kExecSlotReports, &ExecRunReports);
  ExecHandlerSet(kExecSlotScreen, &ExecRunScreen);
  ExecHandlerSet(kExecSlotRecords, &ExecRunRecords);
  ExecHandlerSet(kExecSlotDevices, &ExecRunDevices);
}

Status ExecPassOn(uint16_t slot, uint16_t code, const ExecArgs& args) {
  // The next filled slot after this one.
  for (uint16_t i = static_cast<uint16_t>(slot + 1); i < kExecHandlerSlots; ++i)
    if (ExecHandler h = X().handlers[i]) return h(code, args);
  return kStSyntax;
}

Status ExecHandlerExtend(uint16_t slot, ExecHandler extension) {
  if (slot >= kExecEngineSlots) return kStDataOutBound;
  X().extensions[slot] = extension;
  return kOk;
}

void ExecSetServices(const ExecServices& services) { X().services = services; }
const ExecServices& ExecGetServices() { return X().services; }

Status ExecRunDevices(uint16_t code, const ExecArgs& args) {
  switch (code) {
    case kExecDevice:
      if (X().devices.depth >= kExecDeviceDepth) return kStDataOutBound;
      break;
    case kExecDLocate:
    case kExecDPrint:
    case kExecEndDevice:
      if (!Devices()) return kStDataOutBound;
      break;
    case kExecKill:
      return Kill(args);
    case kExecSystem:
      return System(args);
    default:
      break;
  }
  return Extended(kExecSlotDevices, code, args);
}

Status ExecRunRecords(uint16_t code, const ExecArgs& args) { return Extended(kExecSlotRecords, code, args); }

Status ExecRunScreen(uint16_t code, const ExecArgs& args) {
  switch (code) {
    case kExecMessage:
      if (!args.Text(2).empty()) {
        SysVarSet(kVarStat, static_cast<int16_t>(MsgAskYesNo(args.Text(1)) == 1 ? 1 : 0));
      } else {
        MsgBox(args.Text(1), StrPair{}, 1);
      }
      return kOk;
    case kExecWait:
      if (args.Kind(1) == 1 && IsKey(args.Text(1))) break;  // a key: the window layer's business
      if (args.Int(1) > 0) ClockSleepMs(static_cast<uint32_t>(args.Int(1)));
      return kOk;
    default:
      break;
  }
  return Extended(kExecSlotScreen, code, args);
}

Status ExecRunReports(uint16_t code, const ExecArgs& args) { return Extended(kExecSlotReports, code, args); }

Status ExecRunTrans(uint16_t code, const ExecArgs& args) {
  switch (code) {
    case kExecConnect:
      return kStNotAvailable;
    case kExecRemote:
      return ErrIncident(kStNotAvailable, StrOf("ExecRunTrans REMOTE"), true);
    default:
      return Extended(kExecSlotTrans, code, args);
  }
}

Status ExecRunUtils(uint16_t code, const ExecArgs& args) {
  if (code == kExecShell) return ErrIncident(kStNotAvailable, StrOf("ExecRunUtils SHELL"), true);
  return Extended(kExecSlotUtils, code, args);
}

ExecDeviceStack& ExecDevices() { return X().devices; }

std::any* ExecDeviceTop() {
  ExecDeviceStack& d = X().devices;
  if (d.depth == 0) return nullptr;
  std::any& top = d.entries[d.depth - 1];
  return top.has_value() ? &top : nullptr;
}

Status ExecDevicePush(std::any device) {
  ExecDeviceStack& d = X().devices;
  if (d.depth >= kExecDeviceDepth) return kStDataOutBound;
  d.entries[d.depth++] = std::move(device);
  return kOk;
}

Status ExecDevicePop() {
  ExecDeviceStack& d = X().devices;
  if (d.depth == 0) return kStDataOutBound;
  d.entries[--d.depth].reset();
  return kOk;
}

Status ExecShellCommand(StrPair command_line, const ExecSink& sink) {
  std::vector<std::string> argv = {X().shell, "-c", command_line.str()};
  plat::ChildResult r = plat::ChildRunPiped(argv, [&](const char* bytes, size_t n) -> int {
    if (!sink) return 0;
    ScratchScope scope;
    return sink(StrMake(bytes, n));
  });
  if (!r.started) return ErrIncident(kStFileNotFound, command_line, true);
  return static_cast<Status>(r.stopped);
}

}  // namespace eng
