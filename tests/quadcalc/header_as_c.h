/* Record layout as the C compiler sees it (header_as_c.c). */
#ifndef TESTS_QUADCALC_HEADER_AS_C_H
#define TESTS_QUADCALC_HEADER_AS_C_H

#include <stddef.h>
#include <stdint.h>

#define kQuadcalcLayoutValues 17

#ifdef __cplusplus
extern "C" {
#endif
void QuadcalcLayoutSeenByC(size_t out[kQuadcalcLayoutValues]);
int64_t QuadcalcPlateFromC(int64_t v);
#ifdef __cplusplus
}
#endif

#endif
