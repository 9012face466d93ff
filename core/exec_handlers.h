// The statement handler chain: a table of 16 handler slots. A statement that
// is not a flow statement (codes 19-53) goes to the first filled slot; each
// handler serves its codes and hands every other code to the next filled
// slot, or answers 147 when there is none. With no handler at all the runner
// answers 148.
//
// The engine's six handlers fill slots 0-5, one per family: 0 devices (KILL
// and SYSTEM served here), 1 records and structures, 2 screens and windows
// (MESSAGE and WAIT for a time served here), 3 reports, 4 transactions
// (CONNECT and REMOTE: 148), 5 utilities (SHELL: 148). The statements whose
// work lies in the data, window and output layers are served by those
// layers' extensions: a layer installs one extension per family slot
// (ExecHandlerExtend); an extension answers kExecNotServed for a code it
// does not serve, which then goes on along the chain. Slots 6-15 are the
// application's.
//
// The procedure device stack holds up to 7 open devices; DLOCATE, DPRINT and
// ENDDEVICE with none open and an 8th DEVICE are 168 before any extension is
// asked.
#pragma once

#include <any>
#include <cstdint>
#include <functional>

#include "core/exec_state.h"
#include "core/str_pair.h"

namespace eng {

enum ExecSlot : uint16_t {
  kExecSlotDevices = 0, kExecSlotRecords, kExecSlotScreen, kExecSlotReports, kExecSlotTrans,
  kExecSlotUtils,
};

// Stores the handler; a slot above 15 stores nothing and answers null.
ExecHandler ExecHandlerSet(uint16_t slot, ExecHandler handler);
// The first filled slot from `slot` up to 15; null when there is none.
ExecHandler ExecHandlerFrom(uint16_t slot);
// Fills slots 5, 4, 3, 2, 1 and 0, in that order, with the engine's handlers.
void ExecRegisterHandlers();
// The next handler's answer for a code the handler of `slot` does not serve; 147 when none is left.
Status ExecPassOn(uint16_t slot, uint16_t code, const ExecArgs& args);
// Installs a layer's extension of an engine slot (0-5; null removes it); 168 for another slot.
Status ExecHandlerExtend(uint16_t slot, ExecHandler extension);
void ExecSetServices(const ExecServices& services);
const ExecServices& ExecGetServices();

// The engine's six handlers.
Status ExecRunDevices(uint16_t code, const ExecArgs& args);
Status ExecRunRecords(uint16_t code, const ExecArgs& args);
Status ExecRunScreen(uint16_t code, const ExecArgs& args);
Status ExecRunReports(uint16_t code, const ExecArgs& args);
Status ExecRunTrans(uint16_t code, const ExecArgs& args);
Status ExecRunUtils(uint16_t code, const ExecArgs& args);

// The device stack. ExecDevicePush stores a device record in the next entry
// (168 when 7 are open); ExecDevicePop drops the top (168 when empty).
ExecDeviceStack& ExecDevices();
std::any* ExecDeviceTop();
Status ExecDevicePush(std::any device);
Status ExecDevicePop();

// Runs a command line through the command interpreter as a child process,
// with its standard input empty and its output (standard output and error
// together) handed to the sink chunk by chunk (none: discarded); a sink's
// non-zero answer stops the reading and is the answer. 164 when the process
// cannot start.
using ExecSink = std::function<Status(StrPair chunk)>;
Status ExecShellCommand(StrPair command_line, const ExecSink& sink);

}  // namespace eng
