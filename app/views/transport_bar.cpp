// Transport bars and the playing list.
//
// A bar is a user pane that draws its parts itself: the six playback
// buttons in the middle, the timecode readout at its left and the pointer
// tools at its right. Up to ten bars play at once; the exchange's clip is
// stepped by the exchange timer, media clips by TransportMediaPlaybackTick
// at their own rate.
#include "app/views/transport_bar.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>

#include "app/state/view_state.h"
#include "app/state/views_hooks.h"
#include "app/views/central_update.h"
#include "app/views/image_pane.h"
#include "app/views/image_pane_internal.h"
#include "app/views/rapid_preview.h"
#include "media/movie_timing.h"
#include "media/timecode_text.h"
#include "platform/fourcc.h"
#include "platform/ui/toolkit.h"

bool gPreviewPlaying = false;
bool gRapidPreviewRendering = false;

namespace {

constexpr uint32_t kSigTransport = QVFourCC("VFtb");
constexpr uint32_t kCreator = QVFourCC("QVc3");
constexpr uint32_t kPropBar = QVFourCC("trbr");

struct TransportRecord {
  TKControl* bar = nullptr;
  TKControl* pane = nullptr;
  uint32_t parts = 0;
  char timecode[64] = "00:00:00;00";
  double lastStep = 0;  // clock time of the last media playback step
};

// Bars live as long as the program, like their windows' controls.
std::deque<std::unique_ptr<TransportRecord>> gBars;
TKControl* gPlaying[kTransportMaxPlaying] = {};
int32_t gPlayingCount = 0;

TransportRecord* RecordOf(TKControl* bar) {
  TransportRecord* r = nullptr;
  if (!bar || !TKIsControlAlive(bar) ||
      TKGetControlProperty(bar, kCreator, kPropBar, &r, sizeof r, nullptr) != kQVNoErr)
    return nullptr;
  return r;
}

int32_t SlotOf(TKControl* bar) {
  for (int32_t i = 0; i < kTransportMaxPlaying; ++i)
    if (bar && gPlaying[i] == bar) return i;
  return -1;
}

QVMediaFileRef* MediaClip(TKControl* pane) {
  const ImagePaneRecord* p = ImagePaneRecordOf(pane);
  auto* ref = p ? static_cast<QVMediaFileRef*>(p->clip) : nullptr;
  return QVMediaIsValidRef(ref) ? ref : nullptr;
}

// The exchange's clip drives the main image panes only.
bool HostClip(TKControl* pane, int32_t* current, int32_t* step, int32_t* last) {
  const ImagePaneRecord* p = ImagePaneRecordOf(pane);
  return p && p->role == 1 && ViewsHooksInForce().hostFrameTimes(current, step, last);
}

void SurfaceState(int16_t state) { ViewsHooksInForce().surfaceTransportState(state); }

void DrawBarNow(TKControl* bar) {
  if (bar && TKIsControlAlive(bar)) TKDrawControl(bar);
}

// The bar's rapid preview movie is built and shown: the bar's actions move
// the movie, and its pane's readouts show the movie's timecode.
bool PlaysPreviewMovie(TKControl* bar) { return bar && gPreviewPlaying && RapidPreviewBar() == bar; }
bool ShowsPreviewMovie(TKControl* pane) {
  TKControl* bar = RapidPreviewBar();
  return pane && PlaysPreviewMovie(bar) && TransportGetPane(bar) == pane;
}

// Moves the preview movie as MoveClip moves a clip.
QVStatus MoveMovie(TransportRecord* r, int32_t where, int64_t delta) {
  const int64_t last = RPFrameCount() - 1;
  const int64_t target = delta ? RPGetMovieTime() + delta : where < 0 ? last : 0;
  const int64_t held = std::clamp<int64_t>(target, 0, std::max<int64_t>(last, 0));
  if (delta)
    RPStepFrames(int32_t(held - RPGetMovieTime()));
  else if (where < 0)
    RPGoToEnd();
  else
    RPGoToBeginning();
  TransportSyncPosition(r->pane);
  return held != target ? kTransportStepClamped : kQVNoErr;
}

// Moves the clip: to the first (where 0) or last (where -1) frame, or by
// delta frames. 0, or kTransportStepClamped when an end held it.
QVStatus MoveClip(TransportRecord* r, int32_t where, int64_t delta) {
  if (!r || !r->pane) return kQVNoErr;
  if (PlaysPreviewMovie(r->bar)) return MoveMovie(r, where, delta);
  if (QVMediaFileRef* ref = MediaClip(r->pane)) {
    int64_t frame = 0, count = 0;
    if (QVMediaGetCurrentFrame(ref, &frame) || QVMediaGetFrameCount(ref, &count) || count <= 0) return kQVNoErr;
    if (frame < 0) frame = 0;
    const int64_t target = delta ? frame + delta : where < 0 ? count - 1 : 0;
    const QVMediaErr err = QVMediaSetCurrentFrame(ref, target);
    TransportLoadFrame(r->pane);
    return err == QVMediaErr_MediaTooShort || target < 0 ? kTransportStepClamped : kQVNoErr;
  }
  int32_t current = 0, step = 0, last = 0;
  if (!HostClip(r->pane, &current, &step, &last)) return kQVNoErr;
  last = std::max(0, last);
  const int64_t next = delta ? int64_t(current) + delta * int64_t(step) : where < 0 ? last : 0;
  const int64_t held = std::clamp(next, int64_t(0), int64_t(last));
  if (held != current && ViewsHooksInForce().hostLoadFrameAt(int32_t(held)) == kQVNoErr) {
    // The frame just loaded and its result are made together: the pass cannot refuse them.
    if (gImageViewMode != kImageViewSource)
      QVIgnoreStatus(ProcessFrameWithSettings(gSourceFrame, gResultFrame, &gUISettings));
    RedrawImagePanes(true);
  }
  TransportSyncPosition(r->pane);
  return held != next ? kTransportStepClamped : kQVNoErr;
}

void Unlist(TKControl* bar) {
  const int32_t slot = SlotOf(bar);
  if (slot < 0) return;
  gPlaying[slot] = nullptr;
  --gPlayingCount;
}

// The media worker prefetches the frames after a media clip's frame while
// it plays.
void MediaPlaybackBegins(TKControl* pane) {
  if (QVMediaFileRef* ref = MediaClip(pane)) ViewsHooksInForce().clipPlayback(ref, true);
}
void MediaPlaybackEnds(TKControl* pane) {
  if (QVMediaFileRef* ref = MediaClip(pane)) ViewsHooksInForce().clipPlayback(ref, false);
}

// --- drawing and clicks ---------------------------------------------------

// The playback buttons: six glyphs in the middle of the bar, 18 px apart:
// to start, back, stop, play, forward, to end.
constexpr int32_t kGlyphStep = 18;
int32_t GlyphsLeft(const TKRect& b) { return (b.left + b.right) / 2 - 3 * kGlyphStep; }
// The tools from the right edge, 24 px apart: zoom, pan, arrow.
constexpr int32_t kToolStep = 24;
constexpr int32_t kToolCount = 3;
const ImagePaneTool kToolOrder[kToolCount] = {kImagePaneToolZoom, kImagePaneToolPan, kImagePaneToolArrow};

bool ToolOffered(const TransportRecord* r, int32_t i) {
  return (r->parts & (kToolOrder[i] == kImagePaneToolArrow ? kTransportArrow : kTransportZoomPan)) != 0;
}
TKRect ToolRect(const TKRect& b, int32_t i) {
  const int32_t right = b.right - 2 - kToolStep * i;
  return TKRect{b.top + 1, right - kToolStep + 2, b.bottom - 1, right};
}

// The 'Rpvw' button: left of the tools.
constexpr int32_t kRapidPreviewPart = 13;
TKRect RapidPreviewRect(const TKRect& b) {
  const int32_t right = b.right - 2 - kToolStep * kToolCount - 6;
  return TKRect{b.top + 2, right - 26, b.bottom - 2, right};
}

// The part under a point: 0-5 the playback buttons, 10-12 the tools, 13 the
// 'Rpvw' button, -1 none.
int32_t PartAt(TKControl* bar, TKPoint p) {
  TransportRecord* r = RecordOf(bar);
  const TKRect b = TKGetControlBounds(bar);
  if (!r || !TKRectContains(b, p)) return -1;
  if ((r->parts & kTransportRapidPreview) && TKRectContains(RapidPreviewRect(b), p)) return kRapidPreviewPart;
  for (int32_t i = 0; i < kToolCount; ++i)
    if (ToolOffered(r, i) && TKRectContains(ToolRect(b, i), p)) return 10 + i;
  if (!(r->parts & kTransportPlayback)) return -1;
  const int32_t offset = p.x - (GlyphsLeft(b) - 5);
  return offset >= 0 && offset < 6 * kGlyphStep ? offset / kGlyphStep : -1;
}

ImagePaneTool PaneTool(const TransportRecord* r) {
  const ImagePaneRecord* p = ImagePaneRecordOf(r->pane);
  return p ? p->tool : kImagePaneToolArrow;
}

void ChooseTool(TransportRecord* r, ImagePaneTool tool) {
  if (!r->pane) return;
  ImagePaneSetTool(r->pane, tool);
  DrawBarNow(r->bar);
}

void PressPart(TKControl* bar, int32_t part, uint32_t modifiers) {
  TransportRecord* r = RecordOf(bar);
  const bool previewing = RapidPreviewBar() == bar;
  switch (part) {
    case 0: TransportGoToBeginning(bar); break;
    case 1: TransportStepBackward(bar); break;
    case 2:
      if (previewing)
        RapidPreviewStop(bar);
      else if (SlotOf(bar) >= 0)
        TransportPause(bar);
      break;
    case 3:
      TransportTogglePlay(bar);
      DrawBarNow(bar);
      break;
    case kRapidPreviewPart:
      RapidPreviewButton(bar, !previewing, (modifiers & kTKModOption) != 0);
      DrawBarNow(bar);
      break;
    case 4: TransportStepForward(bar); break;
    case 5: TransportGoToEnd(bar); break;
    case 10:
      // A click on the zoom tool while it is chosen shows the whole picture again.
      if (r && r->pane && PaneTool(r) == kImagePaneToolZoom) {
        ImagePaneResetView(r->pane);
        DrawImagePane(r->pane);
      }
      if (r) ChooseTool(r, kImagePaneToolZoom);
      break;
    case 11:
      if (r) ChooseTool(r, kImagePaneToolPan);
      break;
    case 12:
      if (r) ChooseTool(r, kImagePaneToolArrow);
      break;
    default: break;
  }
}

void DrawToolGlyph(TKContext* ctx, ImagePaneTool tool, const TKRect& box) {
  const double cx = (box.left + box.right) / 2.0, cy = (box.top + box.bottom) / 2.0;
  TKBeginPath(ctx);
  if (tool == kImagePaneToolZoom) {
    TKArc(ctx, cx - 2, cy - 1, 4, 0, 6.2832, false);
    TKMoveTo(ctx, cx + 1, cy + 2);
    TKLineTo(ctx, cx + 5, cy + 6);
  } else if (tool == kImagePaneToolPan) {
    TKMoveTo(ctx, cx - 6, cy);
    TKLineTo(ctx, cx + 6, cy);
    TKMoveTo(ctx, cx, cy - 6);
    TKLineTo(ctx, cx, cy + 6);
  } else {
    TKMoveTo(ctx, cx - 3, cy - 6);
    TKLineTo(ctx, cx - 3, cy + 5);
    TKLineTo(ctx, cx + 4, cy + 1);
    TKClosePath(ctx);
  }
  TKStrokePath(ctx);
}

void DrawBar(TKControl* bar, TKContext* ctx) {
  TransportRecord* r = RecordOf(bar);
  const TKRect b = TKGetControlBounds(bar);
  TKSetFillColor(ctx, TKColorRGB(0.16, 0.16, 0.17));
  TKFillRect(ctx, b);
  if (!r) return;
  const TKColor ink = TKColorRGB(0.75, 0.75, 0.78);
  if (r->parts & kTransportTimecode) {
    const TKFont font{"DejaVu Sans Mono", 11.0, false, false};
    TKSetFillColor(ctx, ink);
    TKDrawTextInRect(ctx, font, r->timecode, TKRect{b.top, b.left + 6, b.bottom, b.left + 6 + 85}, kTKAlignLeft);
  }
  if (r->parts & kTransportRapidPreview) {
    // The 'Rpvw' button, lit while the bar's rapid preview renders or plays.
    const TKRect rp = RapidPreviewRect(b);
    const bool on = RapidPreviewBar() == bar;
    TKSetFillColor(ctx, on ? TKColorRGB(0.9, 0.6, 0.2) : TKColorRGB(0.3, 0.3, 0.32));
    TKFillRect(ctx, rp);
    TKSetFillColor(ctx, on ? TKColorRGB(0.1, 0.1, 0.1) : ink);
    const double cx = (rp.left + rp.right) / 2.0, cy = (rp.top + rp.bottom) / 2.0;
    TKBeginPath(ctx);
    TKMoveTo(ctx, cx - 4, cy - 5);
    TKLineTo(ctx, cx + 5, cy);
    TKLineTo(ctx, cx - 4, cy + 5);
    TKClosePath(ctx);
    TKFillPath(ctx);
  }
  const ImagePaneTool current = PaneTool(r);
  for (int32_t i = 0; i < kToolCount; ++i) {
    if (!ToolOffered(r, i)) continue;
    const TKRect box = ToolRect(b, i);
    if (kToolOrder[i] == current) {
      TKSetFillColor(ctx, TKColorRGB(0.32, 0.32, 0.35));
      TKFillRect(ctx, box);
    }
    TKSetStrokeColor(ctx, ink);
    DrawToolGlyph(ctx, kToolOrder[i], box);
  }
  if (!(r->parts & kTransportPlayback)) return;
  const int32_t mid = (b.top + b.bottom) / 2;
  const int32_t left = GlyphsLeft(b);
  TKSetFillColor(ctx, ink);
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
  if (SlotOf(bar) >= 0 || (PlaysPreviewMovie(bar) && RPMoviePlaying())) {
    TKSetStrokeColor(ctx, TKColorRGB(0.9, 0.6, 0.2));
    TKFrameRect(ctx, TKRect{mid - 7, left + kGlyphStep * 3 - 2, mid + 7, left + kGlyphStep * 3 + 10});
  }
}

// The frame number of the pane's position, and the format to show it in.
struct Position {
  int64_t frame = 0;
  int32_t rate100 = 0, mode = 1, drop = 0, field = 0, perFoot = 0;
  QVMediaFileRef* media = nullptr;
};

bool PositionOf(TKControl* pane, Position* pos) {
  if (ShowsPreviewMovie(pane)) {
    // The movie's timecode counts from the clip's frame where its render began.
    pos->frame = RPCurrentTimecodeFrame();
    ViewsHooksInForce().hostTimecodeFormat(&pos->rate100, &pos->mode, &pos->drop, &pos->field, &pos->perFoot);
    return true;
  }
  if (QVMediaFileRef* ref = MediaClip(pane)) {
    pos->media = ref;
    if (QVMediaGetCurrentFrame(ref, &pos->frame)) return false;
    if (pos->frame < 0) pos->frame = 0;
    return true;
  }
  int32_t current = 0, step = 0, last = 0;
  if (!HostClip(pane, &current, &step, &last)) return false;
  // A clip whose frames have no duration stays on its first frame.
  pos->frame = step > 0 ? current / step : 0;
  ViewsHooksInForce().hostTimecodeFormat(&pos->rate100, &pos->mode, &pos->drop, &pos->field, &pos->perFoot);
  return true;
}

void FormatPosition(const Position& pos, char* buffer, size_t size) {
  buffer[0] = 0;
  if (pos.media) {
    // A media clip shows its own timecode: a movie's timecode track, a DPX
    // frame's header, or the frame count at the clip's rate.
    QVMediaGetTimecodeText(pos.media, buffer, size, kTimecodeModeTimecode);
    return;
  }
  // A host that does not say how it shows time gets timecode.
  const int32_t mode = pos.mode == 0 ? 1 : pos.mode;
  FormatTimecodeText(pos.frame, pos.rate100, mode, pos.drop ? kTimecodeDropFrame : kTimecodeNonDrop, 0, pos.perFoot,
                     buffer, size);
}

void SetReadout(TransportRecord* r, const char* text, bool drawNow) {
  if (!r || !*text) return;  // without a position the readout keeps its text
  std::snprintf(r->timecode, sizeof r->timecode, "%s", text);
  if (drawNow) DrawBarNow(r->bar);
}

}  // namespace

QVStatus CreateTransportBar(TKWindow* window, const TKRect& bounds, int32_t idNumber, uint32_t parts,
                            TKControl** outBar) {
  if (outBar) *outBar = nullptr;
  if (!window) return kQVErrParam;
  TKUserPaneProcs procs;
  procs.draw = DrawBar;
  procs.hitTest = [](TKControl* c, TKPoint p) -> int16_t { return PartAt(c, p) >= 0 ? kTKPartButton : kTKPartNone; };
  procs.track = [](TKControl* c, TKPoint p, uint32_t modifiers) -> int16_t {
    const int32_t part = PartAt(c, p);
    PressPart(c, part, modifiers);
    return part >= 0 ? kTKPartButton : kTKPartNone;
  };
  TKControl* bar = TKNewUserPane(window, bounds, procs);
  if (!bar) return kQVErrMemory;
  gBars.push_back(std::make_unique<TransportRecord>());
  TransportRecord* r = gBars.back().get();
  r->bar = bar;
  r->parts = parts;
  // A made control takes a property; only a missing one refuses.
  QVIgnoreStatus(TKSetControlProperty(bar, kCreator, kPropBar, &r, sizeof r));
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
bool TransportIsPlaying(TKControl* bar) { return SlotOf(bar) >= 0; }
int32_t TransportPlayingCount() { return gPlayingCount; }

int32_t TransportHostPlayingCount() {
  int32_t count = 0;
  for (TKControl* bar : gPlaying) {
    TransportRecord* r = RecordOf(bar);
    count += r && !MediaClip(r->pane);
  }
  return count;
}

void TransportPauseAll() {
  for (TKControl*& bar : gPlaying) {
    if (!bar) continue;
    TKControl* was = bar;
    bar = nullptr;
    if (TransportRecord* r = RecordOf(was)) {
      MediaPlaybackEnds(r->pane);
      DrawBarNow(was);
    }
  }
  gPlayingCount = 0;
}

void StopAllPreviewPlayback() {
  // Every listed bar stops and shows it; the list is then empty.
  if (gPlayingCount > 0) SurfaceState(2);
  TransportPauseAll();
}

// A move answers only whether an end of the clip held it; the bar shows that
// by the frame it stays on.
void TransportGoToBeginning(TKControl* bar) { QVIgnoreStatus(MoveClip(RecordOf(bar), 0, 0)); }
void TransportGoToEnd(TKControl* bar) { QVIgnoreStatus(MoveClip(RecordOf(bar), -1, 0)); }
void TransportStepBackward(TKControl* bar) { QVIgnoreStatus(MoveClip(RecordOf(bar), 0, -1)); }
void TransportStepForward(TKControl* bar) { QVIgnoreStatus(MoveClip(RecordOf(bar), 0, 1)); }

QVStatus TransportStep(TKControl* bar, int32_t frames) {
  if (frames == 0) return kQVNoErr;
  return MoveClip(RecordOf(bar), 0, frames);
}

namespace {

// Play and pause on the bar of a rapid preview: Play during the render
// plays what is rendered so far.
void PreviewPlay(TKControl* bar, bool play) {
  if (play && gRapidPreviewRendering)
    FinishRapidPreview(bar);
  else if (play)
    RPPlay();
  else
    RPStop();
  SurfaceState(RPMoviePlaying() ? 3 : 2);
  DrawBarNow(bar);
}

}  // namespace

void TransportPlay(TKControl* bar) {
  TransportRecord* r = RecordOf(bar);
  if (!r || !r->pane) return;
  if (RapidPreviewBar() == bar) {
    PreviewPlay(bar, true);
    return;
  }
  if (SlotOf(bar) < 0) {
    int32_t slot = 0;
    while (slot < kTransportMaxPlaying && gPlaying[slot]) ++slot;
    if (slot == kTransportMaxPlaying) return;  // ten play already: this one does not
    gPlaying[slot] = bar;
    ++gPlayingCount;
    r->lastStep = TKNow();
    MediaPlaybackBegins(r->pane);
  }
  SurfaceState(3);
  DrawBarNow(bar);
}

void TransportPause(TKControl* bar) {
  TransportRecord* r = RecordOf(bar);
  if (!r) return;
  if (PlaysPreviewMovie(bar)) {
    PreviewPlay(bar, false);
    return;
  }
  if (SlotOf(bar) >= 0) {
    Unlist(bar);
    MediaPlaybackEnds(r->pane);
  }
  SurfaceState(2);
  DrawBarNow(bar);
}

void TransportTogglePlay(TKControl* bar) {
  TransportRecord* r = RecordOf(bar);
  if (!r || !r->pane) return;
  if (RapidPreviewBar() == bar) {
    PreviewPlay(bar, gRapidPreviewRendering || !RPMoviePlaying());
    return;
  }
  if (SlotOf(bar) >= 0) {
    TransportPause(bar);
    return;
  }
  // The exchange's clip plays in one bar at a time: its frames come one by
  // one from the plug-in.
  if (gPlayingCount > 0 && !MediaClip(r->pane)) {
    SurfaceState(2);
    DrawBarNow(bar);
    return;
  }
  TransportPlay(bar);
}

void TransportStop(TKControl* bar) {
  TransportRecord* r = RecordOf(bar);
  if (!r) return;
  if (RapidPreviewBar() == bar) {
    RapidPreviewStop(bar);
    return;
  }
  TransportPause(bar);
  if (r->pane) {
    ImagePaneSetCornerLabel(r->pane, "", 3);
    TransportLoadFrame(r->pane);
  }
}

TransportAction TransportKeyAction(uint32_t charCode, uint32_t keyCode) {
  struct Key {
    uint32_t charCode;
    TransportAction action;
  };
  static const Key kKeys[] = {{1, TransportGoToBeginning},       // Home
                              {4, TransportGoToEnd},             // End
                              {kTKKeyLeft, TransportStepBackward}, {kTKKeyRight, TransportStepForward},
                              {32, TransportTogglePlay}};         // space
  if (keyCode != 0) return nullptr;  // a function key
  for (const Key& k : kKeys)
    if (k.charCode == charCode) return k.action;
  return nullptr;
}

bool TransportLoadFrame(TKControl* pane) {
  ImagePaneRecord* p = ImagePaneRecordOf(pane);
  if (!p) return false;
  ViewsHooks& hooks = ViewsHooksInForce();
  bool loaded = false;
  if (MediaClip(pane)) {
    loaded = hooks.clipReloadFrame(p->clip);
  } else {
    int32_t current = 0, step = 0, last = 0;
    if (HostClip(pane, &current, &step, &last)) {
      hooks.reloadHostFrame();
      loaded = true;
    }
  }
  if (loaded) RedrawAllImagePanes(pane);
  TransportSyncPosition(pane);
  return loaded;
}

void TransportSyncPosition(TKControl* pane) {
  Position pos;
  if (!PositionOf(pane, &pos)) return;
  char text[64];
  FormatPosition(pos, text, sizeof text);
  TransportUpdateTimecode(ImagePaneGetLinkedControl(pane), pos.frame, 0, -1, 0, 0, 0, true);
  const ImagePaneRecord* p = ImagePaneRecordOf(pane);
  TransportRecord* r = RecordOf(ImagePaneGetLinkedControl(pane));
  SetReadout(r, text, true);
  if (p && p->secondLinkedControl) SetReadout(RecordOf(ImagePaneGetLinkedControl(p->secondLinkedControl)), text, true);
  if (p && p->role == 1 && *text) ViewsHooksInForce().surfaceShowTimecode(text);
}

void TransportUpdateTimecode(TKControl* bar, int64_t frame, int32_t rate100, int32_t mode, int32_t dropFrame,
                             int32_t fieldFlag, int32_t framesPerFoot, bool drawNow) {
  (void)fieldFlag;  // fields are not shown in the readout
  if (mode < 0) return;  // the caller has formatted the text itself
  Position pos;
  pos.frame = frame;
  pos.rate100 = rate100;
  pos.mode = mode;
  pos.drop = dropFrame;
  pos.perFoot = framesPerFoot;
  char text[64];
  FormatPosition(pos, text, sizeof text);
  SetReadout(RecordOf(bar), text, drawNow);
}

const char* TransportGetTimecodeText(TKControl* bar) {
  TransportRecord* r = RecordOf(bar);
  return r ? r->timecode : "";
}

void GetPaneTimecodeText(TKControl* pane, char* buffer, size_t size) {
  if (!buffer || size == 0) return;
  buffer[0] = 0;
  Position pos;
  if (PositionOf(pane, &pos)) FormatPosition(pos, buffer, size);
}

void RedrawTransportBar(TKControl* pane, bool drawNow) {
  TKControl* bar = ImagePaneGetLinkedControl(pane);
  if (!bar || !TKIsControlAlive(bar)) return;
  (void)drawNow;  // a control always redraws at the next update
  TKDrawControl(bar);
}

void TransportMediaPlaybackTick() {
  const double now = TKNow();
  for (TKControl* bar : gPlaying) {
    TransportRecord* r = RecordOf(bar);
    if (!r) continue;
    QVMediaFileRef* ref = MediaClip(r->pane);
    if (!ref) {
      // The exchange timer has moved the exchange's clip: the readouts follow.
      char text[sizeof r->timecode];
      GetPaneTimecodeText(r->pane, text, sizeof text);
      if (*text && std::strcmp(text, r->timecode) != 0) TransportSyncPosition(r->pane);
      continue;
    }
    uint32_t rate = 0;
    uint8_t drop = 0;
    QVMediaGetFrameRate(ref, &rate, &drop);
    const double interval = rate ? (drop ? 1.001 : 1.0) / rate : 1.0 / 24.0;
    if (now - r->lastStep < interval) continue;
    r->lastStep = now;
    if (MoveClip(r, 0, 1) == kTransportStepClamped) TransportPause(bar);
  }
}
