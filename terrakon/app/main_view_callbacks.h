// The main window's side of the view record, for TData::Create: the view's
// size, centre setter and rectangles, answered by the one main window.
#pragma once

#include "terrakon/plates/data_module.h"

namespace tk {

ViewCallbacks MainViewCallbacks();

}  // namespace tk
