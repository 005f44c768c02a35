#include "app/views/transport_bar.h"

#include <algorithm>
#include <deque>
#include <memory>

#include "app/state/views_hooks.h"
#include "app/views/central_update.h"
#include "app/views/image_pane.h"
#include "app/views/image_pane_internal.h"
#include "app/views/rapid_preview.h"
#include "core/process_image.h"
#include "core/processing_tables.h"
#include "platform/fourcc.h"
#include "platform/ui/toolkit.h"

bool gPreviewPlaying = false;
bool gRapidPreviewRendering = false;

namespace {

constexpr uint32_t kSigTransport = QVFourCC("VFtb");
constexpr uint32_t kCreator = QVFourCC("QVc3");
constexpr uint32_t kPropBar = QVFourCC("trbr");
constexpr double kPlayInterval = 1.0 / 24.0;

struct TransportRecord {
  TKControl* bar = nullptr;
  TKControl* pane = nullptr;
  uint32_t parts = 0;
  bool playing = false;
};

// Bars live as long as the program, like their windows' controls.
std::deque<std::unique_ptr<TransportRecord>> gBars;
TKTimer* gPlayTimer = nullptr;

TransportRecord* RecordOf(TKControl* bar) {
  TransportRecord* r = nullptr;
  if (!bar || !TKIsControlAlive(bar) ||
      TKGetControlProperty(bar, kCreator, kPropBar, &r, sizeof r, nullptr) != kQVNoErr)
    return nullptr;
  return r;
}

// Moves the bar's clip to a frame (first 0, last -1, else relative by
// delta); false when it cannot move any more.
bool MoveClip(TransportRecord* r, int32_t where, int32_t delta) {
  ImagePaneRecord* pane = r ? ImagePaneRecordOf(r->pane) : nullptr;
  if (!pane) return false;
  ViewsHooks& hooks = ViewsHooksInForce();
  if (pane->clip) {
    int64_t frame = 0, count = 0;
    if (!hooks.clipPosition(pane->clip, &frame, &count) || count <= 0) return false;
    const int64_t target = delta ? std::clamp(frame + delta, int64_t(0), count - 1) : where < 0 ? count - 1 : 0;
    if (target == frame) return false;
    hooks.clipSetPosition(pane->clip, target);
    ImagePaneClickAction(r->pane);
    return true;
  }
  int32_t current = 0, step = 0, last = 0;
  if (pane->role != 1 || !hooks.hostFrameTimes(&current, &step, &last)) return false;
  const int64_t next = delta ? int64_t(current) + int64_t(delta) * step : where < 0 ? last : 0;
  const int32_t target = int32_t(std::clamp(next, int64_t(0), int64_t(std::max(0, last))));
  if (target == current || hooks.hostLoadFrameAt(target) != kQVNoErr) return false;
  if (gImageViewMode != kImageViewSource) ProcessFrameWithSettings(gSourceFrame, gResultFrame, &gUISettings);
  RedrawImagePanes(true);
  return true;
}

void PlayTick(TKTimer*) {
  for (auto& r : gBars)
    if (r->playing && (!TKIsControlAlive(r->bar) || !MoveClip(r.get(), 0, 1))) {
      r->playing = false;
      if (TKIsControlAlive(r->bar)) TKDrawControl(r->bar);
    }
  if (TransportPlayingCount() == 0 && gPlayTimer) {
    TKRemoveTimer(gPlayTimer);
    gPlayTimer = nullptr;
  }
}

// The playback buttons: six glyphs in the middle of the bar, 18 px apart:
// to start, back, stop, play, forward, to end.
constexpr int32_t kGlyphStep = 18;
int32_t GlyphsLeft(const TKRect& b) { return (b.left + b.right) / 2 - 3 * kGlyphStep; }

// The 'Rpvw' button: the bar's right end.
constexpr int32_t kRapidPreviewGlyph = 6;
constexpr int32_t kRapidPreviewWidth = 28;
TKRect RapidPreviewRect(const TKRect& b) { return TKRect{b.top + 2, b.right - kRapidPreviewWidth - 4, b.bottom - 2, b.right - 4}; }

// The playback button under a point (6 the 'Rpvw' button), or -1.
int32_t GlyphAt(TKControl* bar, TKPoint p) {
  TransportRecord* r = RecordOf(bar);
  const TKRect b = TKGetControlBounds(bar);
  if (r && (r->parts & kTransportRapidPreview) && TKRectContains(RapidPreviewRect(b), p)) return kRapidPreviewGlyph;
  if (!r || !(r->parts & kTransportPlayback) || !TKRectContains(b, p)) return -1;
  const int32_t offset = p.x - (GlyphsLeft(b) - 5);
  return offset >= 0 && offset < 6 * kGlyphStep ? offset / kGlyphStep : -1;
}

void PressGlyph(TKControl* bar, int32_t glyph, uint32_t modifiers) {
  TransportRecord* r = RecordOf(bar);
  const bool previewing = RapidPreviewBar() == bar;
  switch (glyph) {
    case 0: TransportGoToBeginning(bar); break;
    case 1: TransportStepBackward(bar); break;
    case 2:
      if (previewing)
        RapidPreviewStop(bar);
      else if (r && r->playing)
        TransportTogglePlay(bar);
      break;
    case 3:
      // During a rapid preview Play finishes the render early, then
      // pauses and plays the movie.
      if (previewing && gRapidPreviewRendering)
        FinishRapidPreview(bar);
      else if (previewing)
        RPTogglePlay();
      else
        TransportTogglePlay(bar);
      break;
    case kRapidPreviewGlyph: RapidPreviewButton(bar, !previewing, (modifiers & kTKModOption) != 0); break;
    case 4: TransportStepForward(bar); break;
    case 5: TransportGoToEnd(bar); break;
    default: break;
  }
}

void DrawBar(TKControl* bar, TKContext* ctx) {
  TransportRecord* r = RecordOf(bar);
  const TKRect b = TKGetControlBounds(bar);
  TKSetFillColor(ctx, TKColorRGB(0.16, 0.16, 0.17));
  TKFillRect(ctx, b);
  if (r && (r->parts & kTransportRapidPreview)) {
    // The 'Rpvw' button: lit while the bar's rapid preview renders or plays.
    const TKRect rp = RapidPreviewRect(b);
    const bool on = RapidPreviewBar() == bar;
    TKSetFillColor(ctx, on ? TKColorRGB(0.9, 0.6, 0.2) : TKColorRGB(0.3, 0.3, 0.32));
    TKFillRect(ctx, rp);
    TKSetFillColor(ctx, on ? TKColorRGB(0.1, 0.1, 0.1) : TKColorRGB(0.75, 0.75, 0.78));
    TKBeginPath(ctx);
    const double cx = (rp.left + rp.right) / 2.0, cy = (rp.top + rp.bottom) / 2.0;
    TKMoveTo(ctx, cx - 4, cy - 5);
    TKLineTo(ctx, cx + 5, cy);
    TKLineTo(ctx, cx - 4, cy + 5);
    TKClosePath(ctx);
    TKFillPath(ctx);
    TKFrameRect(ctx, rp);
  }
  if (!r || !(r->parts & kTransportPlayback)) return;
  const int32_t mid = (b.top + b.bottom) / 2;
  const int32_t left = GlyphsLeft(b);
  TKSetFillColor(ctx, TKColorRGB(0.75, 0.75, 0.78));
  for (int32_t i = 0; i < 6; ++i) {
    const double x = left + kGlyphStep * i;
    TKBeginPath(ctx);
    if (i == 2) {
      TKFillRect(ctx, TKRect{mid - 4, int32_t(x), mid + 4, int32_t(x) + 8});
      continue;
    }
    const bool forward = i >= 3;
    const double tip = forward ? x + 8 : x;
    const double back = forward ? x : x + 8;
    TKMoveTo(ctx, back, mid - 5);
    TKLineTo(ctx, tip, mid);
    TKLineTo(ctx, back, mid + 5);
    TKClosePath(ctx);
    TKFillPath(ctx);
    if (i == 0 || i == 5) TKFillRect(ctx, TKRect{mid - 5, int32_t(forward ? x + 8 : x - 2), mid + 5, int32_t(forward ? x + 10 : x)});
  }
  if (r->playing) {
    TKSetStrokeColor(ctx, TKColorRGB(0.9, 0.6, 0.2));
    TKFrameRect(ctx, TKRect{mid - 7, left + kGlyphStep * 3 - 2, mid + 7, left + kGlyphStep * 3 + 10});
  }
}

}  // namespace

QVStatus CreateTransportBar(TKWindow* window, const TKRect& bounds, int32_t idNumber, uint32_t parts,
                            TKControl** outBar) {
  if (outBar) *outBar = nullptr;
  if (!window) return kQVErrParam;
  TKUserPaneProcs procs;
  procs.draw = DrawBar;
  procs.hitTest = [](TKControl* c, TKPoint p) -> int16_t { return GlyphAt(c, p) >= 0 ? kTKPartButton : kTKPartNone; };
  procs.track = [](TKControl* c, TKPoint p, uint32_t modifiers) -> int16_t {
    const int32_t glyph = GlyphAt(c, p);
    PressGlyph(c, glyph, modifiers);
    return glyph >= 0 ? kTKPartButton : kTKPartNone;
  };
  TKControl* bar = TKNewUserPane(window, bounds, procs);
  if (!bar) return kQVErrMemory;
  gBars.push_back(std::make_unique<TransportRecord>());
  TransportRecord* r = gBars.back().get();
  r->bar = bar;
  r->parts = parts;
  TKSetControlProperty(bar, kCreator, kPropBar, &r, sizeof r);
  TKSetControlID(bar, TKControlID{kSigTransport, idNumber});
  if (outBar) *outBar = bar;
  return kQVNoErr;
}

void TransportSetPane(TKControl* bar, TKControl* pane) {
  if (TransportRecord* r = RecordOf(bar)) r->pane = pane;
}
TKControl* TransportGetPane(TKControl* bar) {
  TransportRecord* r = RecordOf(bar);
  return r ? r->pane : nullptr;
}
uint32_t TransportGetParts(TKControl* bar) {
  TransportRecord* r = RecordOf(bar);
  return r ? r->parts : 0;
}
bool TransportIsPlaying(TKControl* bar) {
  TransportRecord* r = RecordOf(bar);
  return r && r->playing;
}

int32_t TransportPlayingCount() {
  int32_t count = 0;
  for (auto& r : gBars) count += r->playing && TKIsControlAlive(r->bar);
  return count;
}

void TransportPauseAll() {
  for (auto& r : gBars) r->playing = false;
  if (gPlayTimer) TKRemoveTimer(gPlayTimer);
  gPlayTimer = nullptr;
}

void TransportGoToBeginning(TKControl* bar) { MoveClip(RecordOf(bar), 0, 0); }
void TransportGoToEnd(TKControl* bar) { MoveClip(RecordOf(bar), -1, 0); }
void TransportStepBackward(TKControl* bar) { MoveClip(RecordOf(bar), 0, -1); }
void TransportStepForward(TKControl* bar) { MoveClip(RecordOf(bar), 0, 1); }
void TransportStep(TKControl* bar, int32_t frames) {
  if (frames != 0) MoveClip(RecordOf(bar), 0, frames);
}

void TransportTogglePlay(TKControl* bar) {
  TransportRecord* r = RecordOf(bar);
  if (!r || !r->pane) return;
  r->playing = !r->playing;
  if (r->playing && !gPlayTimer) gPlayTimer = TKInstallTimer(kPlayInterval, kPlayInterval, PlayTick);
  TKDrawControl(bar);
}
