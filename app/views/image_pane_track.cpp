// Mouse work in an image pane: split drags, zoom and pan tools, clip and
// host-frame scrubbing, the scroll wheel and the contextual click.
#include <algorithm>
#include <cmath>

#include "app/state/views_hooks.h"
#include "app/views/central_update.h"
#include "app/views/image_pane_internal.h"
#include "core/process_image.h"
#include "core/processing_tables.h"
#include "platform/input_state.h"
#include "platform/ui/ui_window.h"

namespace {

constexpr float kZoomSteps[] = {0.0625f, 0.0833f, 0.125f, 0.1667f, 0.25f, 0.3333f, 0.5f, 0.6667f, 1.0f};
constexpr int32_t kZoomStepCount = int32_t(sizeof kZoomSteps / sizeof kZoomSteps[0]);

constexpr double kSplitPoll = 0.005;
constexpr double kToolPoll = 0.01;
constexpr double kClipPoll = 0.001;
constexpr double kHostPoll = 0.01;

void drawWithLinked(ImagePaneRecord* r) {
  DrawImagePane(r->control);
  if (r->linkedControl) TKDrawControl(r->linkedControl);
  if (r->secondLinkedControl) TKDrawControl(r->secondLinkedControl);
}

// The split line as the picture sees it becomes the mask of the split views.
void commitSplit(ImagePaneRecord* r) {
  float x1, y1, x2, y2;
  GetVisibleSplitLine(r->control, &x1, &y1, &x2, &y2);
  BuildSplitViewMask(gSplitMaskGWorld, x1, y1, x2, y2);
  RedrawImagePanes(true);
}

void trackSplit(ImagePaneRecord* r) {
  r->splitDragging = true;
  bool moved = false;
  for (;;) {
    TKPoint p;
    uint32_t mods = 0;
    const TKTrackResult result = TKTrackMouse(drawWindow(r), kSplitPoll, &p, &mods);
    if (result == kTKTrackMouseDragged) {
      float fx, fy;
      ImagePaneViewFractions(r, p, &fx, &fy);
      ImagePaneDragSplitEnd(r, fx, fy);
      DrawImagePane(r->control);
      moved = true;
    } else if (result == kTKTrackTimedOut) {
      if (moved) commitSplit(r);
      moved = false;
    } else {
      commitSplit(r);
      break;
    }
  }
  r->splitDragging = r->splitEnd1Hot = r->splitEnd2Hot = false;
  DrawImagePane(r->control);
}

void trackPan(ImagePaneRecord* r, TKPoint start) {
  r->panning = true;
  TKPoint last = start;
  for (;;) {
    TKPoint p;
    uint32_t mods = 0;
    const TKTrackResult result = TKTrackMouse(drawWindow(r), kToolPoll, &p, &mods);
    if (result == kTKTrackMouseUp) break;
    if (result != kTKTrackMouseDragged) continue;
    r->originX = std::clamp(r->originX - float(p.x - last.x) * r->zoom * r->scaleX, 0.0f, float(r->maxOriginX));
    r->originY = std::clamp(r->originY - float(p.y - last.y) * r->zoom * r->scaleY, 0.0f, float(r->maxOriginY));
    last = p;
    DrawImagePane(r->control);
  }
  r->panning = false;
}

void trackPressed(ImagePaneRecord* r) {
  r->pressed = true;
  TKPoint p;
  uint32_t mods = 0;
  while (TKTrackMouse(drawWindow(r), kToolPoll, &p, &mods) != kTKTrackMouseUp) {
  }
  r->pressed = false;
}

// Horizontal drags move the pane's clip a frame per pixel, held to the clip.
void trackClip(ImagePaneRecord* r, TKPoint start) {
  ViewsHooks& hooks = ViewsHooksInForce();
  r->clipTrackingActive = true;
  TKPoint last = start;
  bool moved = false;
  for (;;) {
    TKPoint p;
    uint32_t mods = 0;
    const TKTrackResult result = TKTrackMouse(drawWindow(r), kClipPoll, &p, &mods);
    if (result == kTKTrackMouseDragged && p.x != last.x) {
      int64_t frame = 0, count = 0;
      if (hooks.clipPosition(r->clip, &frame, &count) && count > 0) {
        hooks.clipSetPosition(r->clip, std::clamp(frame + int64_t(p.x - last.x), int64_t(0), count - 1));
        moved = true;
      }
      last = p;
    } else if (result == kTKTrackTimedOut && moved) {
      ImagePaneClickAction(r->control);
      moved = false;
    } else if (result == kTKTrackMouseUp) {
      if (moved) ImagePaneClickAction(r->control);
      break;
    }
  }
  r->clipTrackingActive = false;
}

// Horizontal drags move the exchange's clip a frame step per pixel, held to
// its first and last frame, and show the frame reached.
void trackHost(ImagePaneRecord* r, TKPoint start) {
  ViewsHooks& hooks = ViewsHooksInForce();
  r->clipTrackingActive = true;
  TKPoint last = start;
  bool moved = false;
  int32_t target = 0;
  auto show = [&] {
    if (hooks.hostLoadFrameAt(target) == kQVNoErr) {
      // The frame just loaded and its result are made together: the pass cannot refuse them.
      if (gImageViewMode != kImageViewSource)
        QVIgnoreStatus(ProcessFrameWithSettings(gSourceFrame, gResultFrame, &gUISettings));
      RedrawImagePanes(true);
    }
    drawWithLinked(r);
  };
  for (;;) {
    TKPoint p;
    uint32_t mods = 0;
    const TKTrackResult result = TKTrackMouse(drawWindow(r), kHostPoll, &p, &mods);
    if (result == kTKTrackMouseDragged && p.x != last.x) {
      int32_t current = 0, step = 0, lastTime = 0;
      if (hooks.hostFrameTimes(&current, &step, &lastTime)) {
        const int64_t next = int64_t(moved ? target : current) + int64_t(p.x - last.x) * int64_t(step);
        target = int32_t(std::clamp(next, int64_t(0), int64_t(std::max(0, lastTime))));
        moved = true;
      }
      last = p;
    } else if (result == kTKTrackTimedOut && moved) {
      show();
      moved = false;
    } else if (result == kTKTrackMouseUp) {
      if (moved) show();
      break;
    }
  }
  r->clipTrackingActive = false;
}

}  // namespace

float ImagePaneNextZoom(float zoom, bool out) {
  for (int32_t i = 0; i < kZoomStepCount; ++i)
    if (std::fabs(zoom - kZoomSteps[i]) < 1e-4f)
      return kZoomSteps[out ? std::min(i + 1, kZoomStepCount - 1) : std::max(i - 1, 0)];
  return zoom;
}

bool ImagePaneZoomAt(ImagePaneRecord* r, TKPoint where, bool out) {
  if (!r->picture) return false;
  ImagePaneRefit(r);
  const float next = ImagePaneNextZoom(r->zoom, out);
  if (next == r->zoom) return false;
  float px, py;
  ImagePaneViewToPicture(r, where, &px, &py);
  r->zoom = next;
  ImagePaneRefit(r);  // the pan limits of the new zoom
  const float h = float(where.x - r->viewRect.left - r->imageOffsetH);
  const float v = float(where.y - r->viewRect.top - r->imageOffsetV);
  r->originX = std::clamp(px * r->pixelAspect - next * r->scaleX * h, 0.0f, float(r->maxOriginX));
  r->originY = std::clamp(py - next * r->scaleY * v, 0.0f, float(r->maxOriginY));
  return true;
}

int16_t ImagePaneTrackProc(TKControl* pane, TKPoint where, uint32_t modifiers) {
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  if (!r) return kTKPartNone;
  ViewsHooks& hooks = ViewsHooksInForce();
  int32_t current = 0, step = 0, last = 0;
  if (r->splitShown && (r->splitEnd1Hot || r->splitEnd2Hot)) {
    trackSplit(r);
  } else if (r->tool == kImagePaneToolZoom && r->picture) {
    // A plain click zooms in, with Option out.
    if (ImagePaneZoomAt(r, where, modifiers & kPLModifierOption)) DrawImagePane(pane);
  } else if (r->tool == kImagePaneToolPan) {
    trackPan(r, where);
  } else if (r->customCursors) {
    trackPressed(r);
  } else if (r->clipTracking && r->clip) {
    trackClip(r, where);
  } else if (r->clipTracking && hooks.hostFrameTimes(&current, &step, &last)) {
    trackHost(r, where);
  }
  if (!TKIsControlAlive(pane)) return kTKPartNone;
  if (r->clickProc) {
    float x, y;
    ImagePaneViewToPicture(r, where, &x, &y);
    r->clickProc(pane, int32_t(std::floor(x)), int32_t(std::floor(y)), modifiers, 1);
  }
  return kImagePanePart;
}

void ImagePaneClickAction(TKControl* pane) {
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  if (!r) return;
  ViewsHooks& hooks = ViewsHooksInForce();
  // A pane showing a media clip reloads from the clip, whatever its role.
  if (r->clip && hooks.clipReloadFrame(r->clip))
    RedrawImagePanes(true);
  else if (r->role == 2 || r->role == 3)
    hooks.reloadReferenceSlot(r->role - 1);
  else if (r->role == 1)
    hooks.reloadHostFrame();
  drawWithLinked(r);
}

QVStatus ImagePaneControlEventHandler(TKControl* pane, TKEvent& e) {
  ImagePaneRecord* r = ImagePaneRecordOf(pane);
  if (!r) return kQVErrNotHandled;
  if (e.kind == kTKEventContextClick) {
    if (r->clickProc) {
      float x, y;
      ImagePaneViewToPicture(r, e.where, &x, &y);
      r->clickProc(pane, int32_t(std::floor(x)), int32_t(std::floor(y)) - kImagePaneContextClickRise, e.modifiers, 2);
    }
  } else if (e.kind == kTKEventVisibilityChanged && r->floatingWindow && e.control == pane) {
    // The floating window follows the control.
    if (e.part && TKIsWindowVisible(r->window))
      TKShowWindow(r->floatingWindow);
    else
      TKHideWindow(r->floatingWindow);
  } else if (e.kind == kTKEventMouseWheel) {
    const int32_t axis = e.wheelY != 0 ? 1 : 2;
    const double raw = axis == 1 ? e.wheelY : e.wheelX;
    const int32_t delta = raw > 0 ? std::max(1, int32_t(std::lround(raw))) : std::min(-1, int32_t(std::lround(raw)));
    if (r->wheelProc && r->wheelProc(pane, e.where.x - r->viewRect.left, e.where.y - r->viewRect.top, axis, delta,
                                     e.modifiers) == kQVNoErr)
      return kQVNoErr;
    // Turned up (a delta of 0 or more) zooms in, down zooms out.
    // The floating window's wheel leaves the zoom alone while the split line shows.
    const bool zoomAllowed = !(r->floatingWindow && r->splitShown);
    if (zoomAllowed && r->linkedControl && axis == 1 && ImagePaneZoomAt(r, e.where, delta < 0))
      DrawImagePane(pane);
  }
  return kQVErrNotHandled;
}
