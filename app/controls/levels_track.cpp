// Dragging the levels markers: the hit test of the five markers and the
// track loop that writes the dragged point (and the gray point it carries
// along) into the record, refreshing the preview when the mouse rests.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/controls/bound_controls.h"
#include "app/controls/levels_control.h"
#include "app/controls/levels_control_internal.h"
#include "app/controls/tab_group.h"
#include "app/state/undo_ring.h"
#include "app/state/view_state.h"
#include "platform/ui/toolkit.h"

namespace {

struct Marker {
  int16_t part;
  int32_t point;  // index into the record's values
  bool input;
};
// In the order a click tries them: the gray marker wins over black and white.
constexpr Marker kMarkers[] = {
    {kLevelsPartInGray, kLevelsInGray, true},     {kLevelsPartInBlack, kLevelsInBlack, true},
    {kLevelsPartInWhite, kLevelsInWhite, true},   {kLevelsPartOutBlack, kLevelsOutBlack, false},
    {kLevelsPartOutWhite, kLevelsOutWhite, false},
};

const Marker* MarkerOf(int16_t part) {
  for (const Marker& m : kMarkers)
    if (m.part == part) return &m;
  return nullptr;
}

void WritePoint(LevelsControl* r, int32_t point) {
  if (r->base) std::memcpy(r->base + r->offsets[point], &r->value[point], sizeof(float));
}

// The refresh a pause or the release brings: the preview, then the output
// histogram of the channel.
void RefreshPreview(LevelsControl* r) {
  VFUpdatePreview();
  if (LevelsRecordOf(r->markerPane) == r) UpdateLevelsHistograms(r->markerPane, r->channel, false, true);
}

void RefreshSurface() {
  if (VFGetServices().tangentRefreshPage) VFGetServices().tangentRefreshPage();
}

}  // namespace

double LevelsMarkerOffset(const LevelsControl* r, float value) {
  const double held = std::isnan(value) ? -4.0 : std::clamp(double(value), -4.0, 4.0);
  return held * r->scale;
}

int32_t LevelsMarkerX(const LevelsControl* r, const TKRect& bar, float value) {
  return bar.left + int32_t(std::floor(LevelsMarkerOffset(r, value)));
}

int16_t LevelsHitTest(const LevelsControl* r, TKPoint where) {
  if (!r) return 0;
  for (const Marker& m : kMarkers) {
    const TKRect& bar = m.input ? r->inputBar : r->outputBar;
    const int32_t x = LevelsMarkerX(r, bar, r->value[m.point]);
    const TKRect hot{bar.bottom + 2, x - kLevelsMarkerHalfWidth, bar.bottom + 14, x + kLevelsMarkerHalfWidth};
    if (TKRectContains(hot, where)) return m.part;
  }
  return 0;
}

int16_t LevelsTrack(TKControl* pane, TKPoint where) {
  LevelsControl* r = LevelsRecordOf(pane);
  if (!r) return 0;
  const Marker* marker = MarkerOf(LevelsHitTest(r, where));
  if (!marker) return 0;

  UndoBufferPush(gUndoBuffer, &gUISettings);
  VFForgetUndoControl();
  EnableEnclosingTabs(pane, 1, true);

  // The row's black, gray and white as they were when the drag began.
  const int32_t black = marker->input ? kLevelsInBlack : kLevelsOutBlack;
  const int32_t gray = black + 1, white = black + 2;
  const float black0 = r->value[black], gray0 = r->value[gray], white0 = r->value[white];
  const TKRect bar = marker->input ? r->inputBar : r->outputBar;
  TKWindow* window = r->window;

  int32_t lastX = std::clamp(where.x, bar.left, bar.right);
  int32_t idlePolls = 0;
  for (;;) {
    TKPoint p = where;
    uint32_t modifiers = 0;
    const TKTrackResult result = TKTrackMouse(window, kLevelsPollSeconds, &p, &modifiers);
    if (LevelsRecordOf(pane) != r) return 0;  // the control went while the mouse was tracked
    const int32_t x = std::clamp(p.x, bar.left, bar.right);
    if (x == lastX) {
      if (++idlePolls == kLevelsIdlePolls) RefreshPreview(r);
    } else {
      float value = std::clamp(r->value[marker->point] + float(x - lastX) / r->scale, 0.0f, 1.0f);
      lastX = x;
      if (marker->point == kLevelsInGray) {
        const float low = std::min(r->value[black], r->value[white]);
        const float high = std::max(r->value[black], r->value[white]);
        const float kept = std::clamp(value, low, high);
        if (kept != value) lastX = LevelsMarkerX(r, bar, kept);
        value = kept;
      }
      r->value[marker->point] = value;
      WritePoint(r, marker->point);
      if (marker->point != kLevelsInGray && white0 != black0) {
        // Gray keeps its place between black and white; with black and
        // white together at the start there is no place to keep.
        const float ratio = (gray0 - black0) / (white0 - black0);
        r->value[gray] = (r->value[white] - r->value[black]) * ratio + r->value[black];
        WritePoint(r, gray);
      }
      LevelsRenderControl(r);
      TKDrawControl(pane);
      RefreshSurface();
      idlePolls = 0;
    }
    if (result == kTKTrackMouseUp) break;
  }
  if (idlePolls < kLevelsIdlePolls) RefreshPreview(r);
  RefreshSurface();
  UndoBufferStore(gUndoBuffer, &gUISettings);
  return marker->part;
}
