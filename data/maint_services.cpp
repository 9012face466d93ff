#include "data/maint_services.h"

namespace eng {

namespace {
MaintServices g_services;
}  // namespace

void MaintSetServices(const MaintServices& services) { g_services = services; }
const MaintServices& MaintGetServices() { return g_services; }

void MaintProgressOpen(uint32_t steps, StrPair title) {
  if (g_services.progress_open) g_services.progress_open(steps, title);
}

Status MaintProgressTick() { return g_services.progress_tick ? g_services.progress_tick() : kOk; }

void MaintProgressClose() {
  if (g_services.progress_close) g_services.progress_close();
}

}  // namespace eng
