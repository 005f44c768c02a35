#include "app/views/transport_bar.h"

#include <algorithm>
#include <deque>
#include <memory>

#include "app/state/views_hooks.h"
#include "app/views/central_update.h"
#include "app/views/image_pane.h"
#include "app/views/image_pane_internal.h"
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
  UIControl* bar = nullptr;
  UIControl* pane = nullptr;
  uint32_t parts = 0;
  bool playing = false;
};

// Bars live as long as the program, like their windows' controls.
std::deque<std::unique_ptr<TransportRecord>> gBars;
UITimer* gPlayTimer = nullptr;

TransportRecord* RecordOf(UIControl* bar) {
  TransportRecord* r = nullptr;
  if (!bar || !UIIsControlAlive(bar) ||
      UIGetControlProperty(bar, kCreator, kPropBar, &r, sizeof r, nullptr) != kQVNoErr)
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

void PlayTick(UITimer*) {
  for (auto& r : gBars)
    if (r->playing && (!UIIsControlAlive(r->bar) || !MoveClip(r.get(), 0, 1))) {
      r->playing = false;
      if (UIIsControlAlive(r->bar)) UIDrawControl(r->bar);
    }
  if (TransportPlayingCount() == 0 && gPlayTimer) {
    UIRemoveTimer(gPlayTimer);
    gPlayTimer = nullptr;
  }
}

// The playback buttons: six glyphs in the middle of the bar, 18 px apart:
// to start, back, stop, play, forward, to end.
constexpr int32_t kGlyphStep = 18;
int32_t GlyphsLeft(const UIRect& b) { return (b.left + b.right) / 2 - 3 * kGlyphStep; }

// The playback button under a point, or -1.
int32_t GlyphAt(UIControl* bar, UIPoint p) {
  TransportRecord* r = RecordOf(bar);
  const UIRect b = UIGetControlBounds(bar);
  if (!r || !(r->parts & kTransportPlayback) || !UIRectContains(b, p)) return -1;
  const int32_t offset = p.x - (GlyphsLeft(b) - 5);
  return offset >= 0 && offset < 6 * kGlyphStep ? offset / kGlyphStep : -1;
}

void PressGlyph(UIControl* bar, int32_t glyph) {
  TransportRecord* r = RecordOf(bar);
  switch (glyph) {
    case 0: TransportGoToBeginning(bar); break;
    case 1: TransportStepBackward(bar); break;
    case 2:
      if (r && r->playing) TransportTogglePlay(bar);
      break;
    case 3: TransportTogglePlay(bar); break;
    case 4: TransportStepForward(bar); break;
    case 5: TransportGoToEnd(bar); break;
    default: break;
  }
}

void DrawBar(UIControl* bar, UIContext* ctx) {
  TransportRecord* r = RecordOf(bar);
  const UIRect b = UIGetControlBounds(bar);
  UISetFillColor(ctx, UIColorRGB(0.16, 0.16, 0.17));
  UIFillRect(ctx, b);
  if (!r || !(r->parts & kTransportPlayback)) return;
  const int32_t mid = (b.top + b.bottom) / 2;
  const int32_t left = GlyphsLeft(b);
  UISetFillColor(ctx, UIColorRGB(0.75, 0.75, 0.78));
  for (int32_t i = 0; i < 6; ++i) {
    const double x = left + kGlyphStep * i;
    UIBeginPath(ctx);
    if (i == 2) {
      UIFillRect(ctx, UIRect{mid - 4, int32_t(x), mid + 4, int32_t(x) + 8});
      continue;
    }
    const bool forward = i >= 3;
    const double tip = forward ? x + 8 : x;
    const double back = forward ? x : x + 8;
    UIMoveTo(ctx, back, mid - 5);
    UILineTo(ctx, tip, mid);
    UILineTo(ctx, back, mid + 5);
    UIClosePath(ctx);
    UIFillPath(ctx);
    if (i == 0 || i == 5) UIFillRect(ctx, UIRect{mid - 5, int32_t(forward ? x + 8 : x - 2), mid + 5, int32_t(forward ? x + 10 : x)});
  }
  if (r->playing) {
    UISetStrokeColor(ctx, UIColorRGB(0.9, 0.6, 0.2));
    UIFrameRect(ctx, UIRect{mid - 7, left + kGlyphStep * 3 - 2, mid + 7, left + kGlyphStep * 3 + 10});
  }
}

}  // namespace

QVStatus CreateTransportBar(UIWindow* window, const UIRect& bounds, int32_t idNumber, uint32_t parts,
                            UIControl** outBar) {
  if (outBar) *outBar = nullptr;
  if (!window) return kQVErrParam;
  UIUserPaneProcs procs;
  procs.draw = DrawBar;
  procs.hitTest = [](UIControl* c, UIPoint p) -> int16_t { return GlyphAt(c, p) >= 0 ? kUIPartButton : kUIPartNone; };
  procs.track = [](UIControl* c, UIPoint p, uint32_t) -> int16_t {
    const int32_t glyph = GlyphAt(c, p);
    PressGlyph(c, glyph);
    return glyph >= 0 ? kUIPartButton : kUIPartNone;
  };
  UIControl* bar = UINewUserPane(window, bounds, procs);
  if (!bar) return kQVErrMemory;
  gBars.push_back(std::make_unique<TransportRecord>());
  TransportRecord* r = gBars.back().get();
  r->bar = bar;
  r->parts = parts;
  UISetControlProperty(bar, kCreator, kPropBar, &r, sizeof r);
  UISetControlID(bar, UIControlID{kSigTransport, idNumber});
  if (outBar) *outBar = bar;
  return kQVNoErr;
}

void TransportSetPane(UIControl* bar, UIControl* pane) {
  if (TransportRecord* r = RecordOf(bar)) r->pane = pane;
}
UIControl* TransportGetPane(UIControl* bar) {
  TransportRecord* r = RecordOf(bar);
  return r ? r->pane : nullptr;
}
uint32_t TransportGetParts(UIControl* bar) {
  TransportRecord* r = RecordOf(bar);
  return r ? r->parts : 0;
}
bool TransportIsPlaying(UIControl* bar) {
  TransportRecord* r = RecordOf(bar);
  return r && r->playing;
}

int32_t TransportPlayingCount() {
  int32_t count = 0;
  for (auto& r : gBars) count += r->playing && UIIsControlAlive(r->bar);
  return count;
}

void TransportPauseAll() {
  for (auto& r : gBars) r->playing = false;
  if (gPlayTimer) UIRemoveTimer(gPlayTimer);
  gPlayTimer = nullptr;
}

void TransportGoToBeginning(UIControl* bar) { MoveClip(RecordOf(bar), 0, 0); }
void TransportGoToEnd(UIControl* bar) { MoveClip(RecordOf(bar), -1, 0); }
void TransportStepBackward(UIControl* bar) { MoveClip(RecordOf(bar), 0, -1); }
void TransportStepForward(UIControl* bar) { MoveClip(RecordOf(bar), 0, 1); }

void TransportTogglePlay(UIControl* bar) {
  TransportRecord* r = RecordOf(bar);
  if (!r || !r->pane) return;
  r->playing = !r->playing;
  if (r->playing && !gPlayTimer) gPlayTimer = UIInstallTimer(kPlayInterval, kPlayInterval, PlayTick);
  UIDrawControl(bar);
}
