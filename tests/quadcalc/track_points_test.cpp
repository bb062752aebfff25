#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "quadcalc/quadcalc.h"
#include "tests/quadcalc/test_host.h"

namespace tk {
namespace {

// The host's track point record as far as the library reads it.
struct TrackRecord {
  int64_t X, Y;
  int64_t other1[2];
  int64_t CorrectionX, CorrectionY;
  int64_t other2[3];
};
static_assert(sizeof(TrackRecord) == QUADCALC_TRACK_POINT_STRIDE);
static_assert(offsetof(TrackRecord, Y) == QUADCALC_TRACK_POINT_Y);
static_assert(offsetof(TrackRecord, CorrectionX) == QUADCALC_TRACK_POINT_CORRECTION_X);
static_assert(offsetof(TrackRecord, CorrectionY) == QUADCALC_TRACK_POINT_CORRECTION_Y);

using Pt = std::array<int32_t, 2>;
struct Line {
  std::vector<Pt> points;
  std::vector<int32_t> indices;
  bool operator==(const Line &) const = default;
};

void PrintTo(const Line &l, std::ostream *os) {
  for (size_t i = 0; i < l.points.size(); ++i)
    *os << "#" << l.indices[i] << "(" << l.points[i][0] << "," << l.points[i][1] << ") ";
}

constexpr int64_t kUnits = 1024;  // pixel units of the default test view

class QuadcalcTrack : public QuadcalcHostTest {
 protected:
  // A point shown at screen (sx, sy) of the default 1000 x 800 view.
  static TrackRecord At(int32_t sx, int32_t sy) {
    TrackRecord r{};
    r.X = kCenter + (sx - 500) * kUnits;
    r.Y = kCenter + (400 - sy) * kUnits;
    return r;
  }

  const BaseArray *Make(bool all, const std::vector<TrackRecord> &track,
                        const int64_t *correction = nullptr) {
    return MakeTrackPoints(all ? 1 : 0, 0, correction, track.data(),
                           static_cast<int32_t>(track.size()));
  }

  // The polylines of a result, checking the finished bit and the copy of
  // each polyline's first point stored right after its last.
  static std::vector<Line> Lines(const BaseArray *a) {
    std::vector<Line> lines;
    if (!a) return lines;
    EXPECT_EQ(a->table, nullptr);
    EXPECT_EQ(a->itemSize, static_cast<int32_t>(sizeof(TrackPolyline)));
    EXPECT_EQ(a->delta, 20);
    EXPECT_GE(a->capacity, a->count);
    for (int32_t j = 0; j < a->count; ++j) {
      const TrackPolyline &p = a->items[j];
      EXPECT_EQ(p.flags & 1u, 1u);
      Line l;
      for (int32_t i = 0; i < p.count; ++i) {
        l.points.push_back({p.points[2 * i], p.points[2 * i + 1]});
        l.indices.push_back(p.indices[i]);
      }
      EXPECT_EQ(p.points[2 * p.count], p.points[0]);
      EXPECT_EQ(p.points[2 * p.count + 1], p.points[1]);
      EXPECT_EQ(p.indices[p.count], p.indices[0]);
      // Polylines follow one another in the buffers.
      if (j > 0) {
        const TrackPolyline &q = a->items[j - 1];
        EXPECT_EQ(p.points, q.points + 2 * (q.count + 1));
        EXPECT_EQ(p.indices, q.indices + q.count + 1);
      }
      lines.push_back(l);
    }
    return lines;
  }
};

TEST_F(QuadcalcTrack, TwoPointsInside) {
  const std::vector<TrackRecord> track = {At(100, 100), At(110, 100)};
  const BaseArray *a = Make(false, track);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(Lines(a), (std::vector<Line>{{{{100, 100}, {110, 100}}, {0, 1}}}));
  EXPECT_EQ(Lines(Make(true, track)), Lines(a));
}

TEST_F(QuadcalcTrack, NothingInsideTheWindow) {
  // All outside: nothing to clip, the whole track to draw.
  const std::vector<TrackRecord> outside = {At(-100, 100), At(-50, -40), At(1200, 900)};
  EXPECT_EQ(Make(false, outside), nullptr);
  EXPECT_EQ(Lines(Make(true, outside)),
            (std::vector<Line>{{{{-100, 100}, {-50, -40}, {1200, 900}}, {0, 1, 2}}}));

  // Point 0 is never tested for being inside.
  EXPECT_EQ(Make(false, {At(100, 100), At(-100, 100), At(-200, 100)}), nullptr);

  // The rectangle's right and bottom edges are outside.
  EXPECT_EQ(Make(false, {At(-5, 5), At(1000, 5), At(5, 800)}), nullptr);
}

TEST_F(QuadcalcTrack, LeavingAndReturningGivesTwoPolylines) {
  struct Case {
    const char *name;
    std::vector<TrackRecord> track;
    std::vector<Line> lines;
  };
  const Case cases[] = {
      {"back after two points outside",
       {At(100, 100), At(200, 100), At(1100, 100), At(1200, 100), At(1100, 200), At(900, 200),
        At(800, 200)},
       {{{{100, 100}, {200, 100}, {1100, 100}}, {0, 1, 2}},
        {{{1100, 200}, {900, 200}, {800, 200}}, {4, 5, 6}}}},
      {"back right after the exit point",
       {At(100, 100), At(200, 100), At(1100, 100), At(900, 100), At(800, 100)},
       {{{{100, 100}, {200, 100}, {1100, 100}}, {0, 1, 2}},
        {{{1100, 100}, {900, 100}, {800, 100}}, {2, 3, 4}}}},
      {"entry from outside, ends inside",
       {At(-300, 50), At(-200, 50), At(10, 50), At(20, 60)},
       {{{{-200, 50}, {10, 50}, {20, 60}}, {1, 2, 3}}}},
  };
  for (const Case &c : cases) EXPECT_EQ(Lines(Make(false, c.track)), c.lines) << c.name;
}

TEST_F(QuadcalcTrack, PointsWithinOnePixelAreLeftOut) {
  std::vector<TrackRecord> track(1000, At(300, 300));
  for (size_t i = 1; i < track.size(); ++i) {  // up to one pixel off point 0, either way
    track[i].X += static_cast<int64_t>(i % 3) * kUnits / 2 - kUnits / 2;
    track[i].Y -= static_cast<int64_t>(i % 5 == 0) * kUnits;
  }
  for (bool all : {false, true})
    EXPECT_EQ(Lines(Make(all, track)), (std::vector<Line>{{{{300, 300}}, {0}}})) << all;

  track.push_back(At(300, 302));  // two pixels off: drawn
  EXPECT_EQ(Lines(Make(true, track)).at(0).indices, (std::vector<int32_t>{0, 1000}));
}

TEST_F(QuadcalcTrack, CorrectionsMoveThePointsButNotTheFilter) {
  std::vector<TrackRecord> track = {At(100, 100), At(200, 100), At(200, 100)};
  track[1].CorrectionX = 5 * kUnits;
  track[2].CorrectionX = 50 * kUnits;  // same place as point 1 before correction
  const int64_t correction[2] = {10 * kUnits, -20 * kUnits};  // 10 east, 20 south
  EXPECT_EQ(Lines(Make(false, track, correction)),
            (std::vector<Line>{{{{110, 120}, {215, 120}}, {0, 1}}}));
}

TEST_F(QuadcalcTrack, TooFewPointsOrNoUnitsGiveNothing) {
  const std::vector<TrackRecord> one = {At(100, 100)};
  for (bool all : {false, true}) {
    EXPECT_EQ(Make(all, one), nullptr);
    EXPECT_EQ(MakeTrackPoints(all, 0, nullptr, one.data(), 0), nullptr);
    EXPECT_EQ(MakeTrackPoints(all, 0, nullptr, one.data(), -7), nullptr);
    EXPECT_EQ(MakeTrackPoints(all, 0, nullptr, nullptr, 5), nullptr);
  }
  ctx_.PixelUnitsY = 0;
  EXPECT_EQ(Make(true, {At(100, 100), At(200, 200)}), nullptr);
}

TEST_F(QuadcalcTrack, ManyPolylinesFitTheBuffers) {
  // Every other point outside: the most polylines and shared points a track can make.
  std::vector<TrackRecord> track;
  for (int32_t i = 0; i < 1000; ++i)
    track.push_back(i % 2 ? At(-100, 100 + i % 500) : At(100 + i % 700, 100));
  const std::vector<Line> lines = Lines(Make(false, track));
  ASSERT_EQ(lines.size(), 499u);
  for (size_t j = 0; j < lines.size(); ++j) {
    const int32_t first = static_cast<int32_t>(2 * j + 1);
    EXPECT_EQ(lines[j].indices, (std::vector<int32_t>{first, first + 1, first + 2}));
  }
  EXPECT_EQ(Lines(Make(true, track)).at(0).points.size(), 1000u);
}

TEST_F(QuadcalcTrack, BuffersAreKeptUntilDeleted) {
  std::vector<TrackRecord> big;
  for (int32_t i = 0; i < 500; ++i) big.push_back(At(i, i));
  const int32_t *buffer = Make(true, big)->items[0].points;
  const BaseArray *a = Make(true, {At(1, 2), At(3, 4)});
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->items[0].points, buffer);
  EXPECT_EQ(a->count, 1);

  EXPECT_EQ(DeleteTrackPoints(), 0);
  EXPECT_EQ(a->count, 0) << "nothing may point into the freed buffers";
  EXPECT_EQ(Lines(Make(false, {At(1, 2), At(3, 4)})),
            (std::vector<Line>{{{{1, 2}, {3, 4}}, {0, 1}}}));
}

TEST_F(QuadcalcTrack, AsksTheHostOncePerCall) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int32_t> step(-30, 30);
  std::vector<TrackRecord> track;
  int32_t x = 500, y = 400;
  for (int32_t i = 0; i < 20000; ++i) {
    x += step(random), y += step(random);
    track.push_back(At(x, y));
  }
  for (bool all : {false, true}) {
    TestView::widthCalls = TestView::heightCalls = TestView::clientRectCalls = 0;
    EXPECT_NE(Make(all, track), nullptr);
    EXPECT_EQ(TestView::widthCalls, 1);
    EXPECT_EQ(TestView::heightCalls, 1);
    EXPECT_EQ(TestView::clientRectCalls, 1);
  }
}

TEST_F(QuadcalcTrack, FarPointsStayOutsideTheWindow) {
  ctx_.PixelUnitsX = ctx_.PixelUnitsY = 1;
  std::vector<TrackRecord> track(3);
  track[0].X = track[0].Y = kCenter;
  // 2^32 pixels east: its 32 low bits would put it in the middle of the window.
  track[1].X = kCenter + (int64_t{1} << 32);
  track[1].Y = kCenter;
  track[2].X = INT64_MAX;
  track[2].Y = INT64_MIN;
  track[2].CorrectionX = INT64_MAX;  // wraps, never overflows
  ASSERT_EQ(G2ScreenX(track[1].X), 500);
  const int64_t correction[2] = {INT64_MAX, INT64_MIN};
  EXPECT_EQ(Make(false, track), nullptr);
  EXPECT_EQ(Lines(Make(true, track)),
            (std::vector<Line>{
                {{{500, 400}, {INT32_MAX, 400}, {INT32_MIN, INT32_MAX}}, {0, 1, 2}}}));
  EXPECT_NE(Make(true, track, correction), nullptr);
}

}  // namespace
}  // namespace tk
