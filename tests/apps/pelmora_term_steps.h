// The steps pelmora's terminal tests share in its sample (a private tmux
// pane): the menu bar, and an item of the Ficheros menu opened with the
// mouse. Each step answers an assertion result that carries the pane when
// something did not show in time.
#pragma once

#include <string>

#include "tests/support/tmux_pane.h"

namespace eng::test::plterm {

inline constexpr const char* kMenuBar = "Procesos  Ficheros  Informes  Transacciones  Ayuda";

// Once the menu bar shows, opens Ficheros (`item` shows when it is open),
// clicks its item on menu row `row` and waits for `shows`.
inline ::testing::AssertionResult OpenFicheros(TmuxPane& pane, const std::string& item, int row,
                                               const std::string& shows) {
  if (auto r = Shows(pane, kMenuBar); !r) return r;
  pane.Click(12, 0);
  if (auto r = Shows(pane, item); !r) return r;
  pane.Click(13, row);
  return Shows(pane, shows);
}

}  // namespace eng::test::plterm
