/* libquadcalc: arithmetic between pixel points, plate numbers, degrees and the
 * main view's screen pixels, and the cutting of tracks into screen polylines.
 *
 * Pixel points are signed 64-bit values 0 ... 2^38 on both axes: X eastwards
 * from 180 W, Y northwards from the southern edge of the Mercator projection;
 * one unit is one image pixel at zoom level 30.
 *
 * Plain C interface (usable from C and C++). The library keeps a pointer to the
 * host's QuadcalcContext and reads it on every call; it never writes or frees it.
 * Not thread-safe: call from one thread (the host's user-interface thread). */
#ifndef QUADCALC_QUADCALC_H
#define QUADCALC_QUADCALC_H

#include <stddef.h>
#include <stdint.h>

#if defined(__GNUC__)
#define QUADCALC_API __attribute__((visibility("default")))
#else
#define QUADCALC_API
#endif

#ifdef __cplusplus
#define QUADCALC_STATIC_ASSERT(cond, text) static_assert(cond, text)
extern "C" {
#else
#define QUADCALC_STATIC_ASSERT(cond, text) _Static_assert(cond, text)
#endif

/* Records crossing the library boundary have no padding beyond 4-byte steps. */
#pragma pack(push, 4)

/* The main view, owned and kept up to date by the host. Units: pixel-space units
 * unless said otherwise. Callbacks are called on the caller's thread. */
typedef struct QuadcalcContext {
  int32_t Size;                 /* sizeof(QuadcalcContext); checked by InitQuadcalc */
  int64_t CenterX, CenterY;     /* centre of the view */
  int64_t SelX, SelY;           /* selection: first corner (west, north) */
  int64_t SelX1, SelY1;         /* selection: second corner (east, south) */
  int64_t PlateUnitsX, PlateUnitsY; /* units per plate at the current level */
  int64_t PixelUnitsX, PixelUnitsY; /* units per screen pixel */
  int32_t Zoom;                 /* level 1 ... 30, -1 before the first is chosen */
  int16_t DegType;              /* degree display type */
  int16_t CoordSys;             /* coordinate system, -100 for the pixel system */
  int32_t DatumNum;             /* datum index, -1 before the first is chosen */
  int32_t (*GetViewWidth)(void);   /* map area width [screen pixels] */
  int32_t (*GetViewHeight)(void);  /* map area height [screen pixels] */
  void (*SetViewCenter)(int64_t x, int64_t y);
  void (*GetViewRect)(int64_t *rect);   /* 4 values: west, south, east, north */
  void (*GetClientRect)(int32_t *rect); /* 4 values: left, top, right, bottom [screen pixels] */
  void *(*MemRealloc)(void *block, size_t bytes); /* host heap; null block allocates */
  void (*MemFree)(void *block);
} QuadcalcContext;

/* One screen polyline of MakeTrackPoints. points[count] and indices[count]
 * repeat the first point once the polyline is finished, so that a caller can
 * close the figure by drawing count + 1 points. */
typedef struct TrackPolyline {
  int32_t *points;   /* count pairs x, y [screen pixels] */
  int32_t *indices;  /* count positions in the input track */
  int32_t count;
  uint32_t flags;    /* bit 0: finished */
} TrackPolyline;

/* The result array of MakeTrackPoints, laid out as the host's own arrays. */
typedef struct BaseArray {
  /* Host arrays point to their method table here; no such table can be shared
   * across a C boundary, so the library's array keeps it null. */
  void *table;
  int32_t itemSize;  /* sizeof(TrackPolyline) */
  TrackPolyline *items;
  int32_t count;
  int32_t capacity;
  int32_t delta;     /* growth step */
} BaseArray;

#pragma pack(pop)

QUADCALC_STATIC_ASSERT(sizeof(QuadcalcContext) == 96 + 7 * sizeof(void *), "QuadcalcContext layout");
QUADCALC_STATIC_ASSERT(offsetof(QuadcalcContext, Zoom) == 84, "QuadcalcContext layout");
QUADCALC_STATIC_ASSERT(offsetof(QuadcalcContext, GetViewWidth) == 96, "QuadcalcContext layout");
QUADCALC_STATIC_ASSERT(sizeof(TrackPolyline) == 8 + 2 * sizeof(void *), "TrackPolyline layout");
QUADCALC_STATIC_ASSERT(sizeof(BaseArray) == 16 + 2 * sizeof(void *), "BaseArray layout");

/* Track points handed to MakeTrackPoints: records this many bytes apart, from
 * which only these signed 64-bit fields are read (byte offsets). */
#define QUADCALC_TRACK_POINT_STRIDE 72
#define QUADCALC_TRACK_POINT_X 0
#define QUADCALC_TRACK_POINT_Y 8
#define QUADCALC_TRACK_POINT_CORRECTION_X 32
#define QUADCALC_TRACK_POINT_CORRECTION_Y 40

/* Stores the host's view record, or forgets it when ctx is null. Returns null,
 * or a message (valid until the next message) when ctx->Size is wrong; then the
 * stored record is unchanged. */
QUADCALC_API const char *InitQuadcalc(QuadcalcContext *ctx);

/* Plate column (row) of coordinate v at level z (0 ... 38), limited to
 * 0 ... 2^z - 1. Both functions are the same computation. */
QUADCALC_API int64_t GetPlateX2Num(int64_t v, int32_t z);
QUADCALC_API int64_t GetPlateY2Num(int64_t v, int32_t z);

/* Replaces the four coordinates of rect (X1, Y1, X2, Y2) by plate numbers of
 * level z; returns the new rect[3]. The corners are not reordered. */
QUADCALC_API int64_t Rect2Num(int64_t *rect, int32_t z);

/* Degrees: longitude + 180 (0 ... 360) and latitude (-85.05 ... 85.05). */
QUADCALC_API double Google2X(int64_t x);
QUADCALC_API double Google2Y(int64_t y);
QUADCALC_API int64_t X2Google(double lon180);
QUADCALC_API int64_t Y2Google(double lat);

/* Screen pixels of the map area <-> pixel space, through the stored context;
 * 0 while no context is stored. ScreenX2G/ScreenY2G limit to 0 ... 2^38. */
QUADCALC_API int64_t ScreenX2G(int32_t sx);
QUADCALC_API int64_t ScreenY2G(int32_t sy);
QUADCALC_API int32_t G2ScreenX(int64_t x);
QUADCALC_API int32_t G2ScreenY(int64_t y);

/* Rectangle (left, top, right, bottom) [picture pixels] of plate (column, row)
 * of level d + 1 in a width x height picture showing sel (X1, Y1, X2, Y2 as
 * plate numbers of level 30), north up. */
QUADCALC_API void CalcImagePlateRect(int32_t d, int64_t column, int64_t row, const int64_t *sel,
                                     int32_t width, int32_t height, int32_t *out);

/* Cuts n track points (QUADCALC_TRACK_POINT_STRIDE apart) into screen
 * polylines, each point shifted by correction[0], correction[1] and its own
 * correction. all != 0: one polyline of the whole track; else only the pieces
 * touching the host's client rectangle. Points within one screen pixel of the
 * last drawn one are left out. type is not used. Returns null when there is
 * nothing to draw; the result belongs to the library and is overwritten by the
 * next call. */
QUADCALC_API BaseArray *MakeTrackPoints(int32_t all, int16_t type, const int64_t *correction,
                                        const void *points, int32_t n);

/* Frees the point buffers of MakeTrackPoints; returns 0. */
QUADCALC_API int32_t DeleteTrackPoints(void);

#ifdef __cplusplus
}
#endif

#endif
