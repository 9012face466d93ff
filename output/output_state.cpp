#include "output/output_state.h"

#include "core/runtime.h"
#include "platform/serial_port.h"

namespace eng {

OutputState::~OutputState() {
  for (ComPortSlot& s : com)
    if (s.fd >= 0) plat::SerialClose(s.fd);
}

OutputState& Out() {
  std::shared_ptr<void>& p = Core().output_layer;
  if (!p) p = std::make_shared<OutputState>();
  return *static_cast<OutputState*>(p.get());
}

plat::PrintSpooler& OutSpooler() {
  OutputState& o = Out();
  if (o.config.spooler) return *o.config.spooler;
  if (!o.cups) o.cups = plat::MakeCupsSpooler();
  return *o.cups;
}

}  // namespace eng
