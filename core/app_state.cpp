#include "core/app_state.h"

#include "core/runtime.h"

namespace eng {

void AppSetActionCallback(AppActionCallback callback) { Core().app.action = callback; }

AppActionCallback AppGetActionCallback() { return Core().app.action; }

void AppSetScreenSize(uint16_t columns, uint16_t rows, uint16_t left, uint16_t top, uint16_t right,
                      uint16_t bottom) {
  AppState& a = Core().app;
  a.grid.columns = columns;
  a.grid.rows = rows;
  a.grid.margins[0] = left;
  a.grid.margins[1] = top;
  a.grid.margins[2] = right;
  a.grid.margins[3] = bottom;
  if (a.services.grid_size) a.services.grid_size(columns, rows);
  if (a.services.grid_margins) a.services.grid_margins(left, top, right, bottom);
}

const AppGrid& AppGetGrid() { return Core().app.grid; }

void AppSetStartServices(const AppStartServices& services) { Core().app.services = services; }

const AppStartServices& AppGetStartServices() { return Core().app.services; }

}  // namespace eng
