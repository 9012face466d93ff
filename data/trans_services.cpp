#include "data/trans_services.h"

#include "data/maint_services.h"

namespace eng {

namespace {
TransServices& Installed() {
  static TransServices services;
  return services;
}
}  // namespace

void TransSetServices(const TransServices& services) { Installed() = services; }
const TransServices& TransGetServices() { return Installed(); }

Status TransAccept(StrPair caption, StrPair items, std::string* values, std::string* condition) {
  if (!Installed().accept) return kStNotAvailable;
  return Installed().accept(caption, items, values, condition);
}

Status TransChoose(StrPair title, StrPair items, uint16_t mode, uint16_t* chosen) {
  if (!Installed().choose) return kStNotAvailable;
  return Installed().choose(title, items, mode, chosen);
}

Status TransProgressStep(uint32_t amount, StrPair text) {
  if (Installed().progress_step) return Installed().progress_step(amount, text);
  return MaintProgressTick();
}

Status TransChooseExternal(bool save, std::string* chosen) {
  if (!Installed().choose_external) return kStNotAvailable;
  return Installed().choose_external(save, chosen);
}

}  // namespace eng
