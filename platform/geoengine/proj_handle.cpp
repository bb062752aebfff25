#include "platform/geoengine/proj_handle.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace tk {
namespace {

// Failures reach the caller through proj_errno; PROJ's own printing is noise.
void Discard(void*, int, const char*) {}

}  // namespace

PjContextPtr MakeQuietContext() {
  PjContextPtr ctx(proj_context_create());
  if (ctx) {
    proj_log_func(ctx.get(), nullptr, Discard);
    proj_context_set_enable_network(ctx.get(), 0);
  }
  return ctx;
}

std::string EllipsoidDefinition(double a, double rf) {
  char text[96];
  std::snprintf(text, sizeof text, "+a=%.17g +rf=%.17g", a, rf);
  return text;
}

bool Transform(PJ_CONTEXT* ctx, PJ* p, PJ_DIRECTION direction, PJ_COORD* c, const char* what,
               std::string* error) {
  const PJ_COORD out = proj_trans(p, direction, *c);
  const int e = proj_errno(p);
  if (e == 0 && std::isfinite(out.v[0]) && std::isfinite(out.v[1]) && std::isfinite(out.v[2])) {
    *c = out;
    return true;
  }
  *error = what;
  const char* reason = e != 0 ? proj_context_errno_string(ctx, e) : nullptr;
  if (reason && *reason) *error += std::string(": ") + reason;
  proj_errno_reset(p);
  return false;
}

}  // namespace tk
