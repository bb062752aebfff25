// Owners of PROJ handles.
#pragma once

#include <proj.h>

#include <memory>
#include <string>

namespace tk {

struct PjDeleter {
  void operator()(PJ* p) const { proj_destroy(p); }
};
using PjPtr = std::unique_ptr<PJ, PjDeleter>;

struct PjContextDeleter {
  void operator()(PJ_CONTEXT* c) const { proj_context_destroy(c); }
};
using PjContextPtr = std::unique_ptr<PJ_CONTEXT, PjContextDeleter>;

// A PROJ context that never writes to stderr and never uses the network.
PjContextPtr MakeQuietContext();

// The PROJ text of an ellipsoid.
std::string EllipsoidDefinition(double a, double rf);

// proj_trans in place; false with PROJ's reason in *error (prefixed by what)
// when PROJ fails or gives no finite result. Resets the object's error.
bool Transform(PJ_CONTEXT* ctx, PJ* p, PJ_DIRECTION direction, PJ_COORD* c, const char* what,
               std::string* error);

}  // namespace tk
