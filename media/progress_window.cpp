// Progress windows on the window toolkit: a modal window with the message,
// a bar (a user pane) and an optional Cancel button; a window asked to wait
// stays hidden until its delay passes; an indeterminate bar is animated.

#include "media/progress_window.h"

#include <algorithm>
#include <iterator>
#include <cstdio>
#include <string>
#include <vector>

#include "media/job_list.h"
#include "media/progress_protocol.h"
#include "platform/ui/toolkit.h"

namespace {

struct ProgressWindow {
  TKWindow* window = nullptr;
  TKControl* text = nullptr;
  TKControl* bar = nullptr;
  bool indeterminate = false;
  int32_t phase = 0;  // the animation's offset
  // Each window holds its own timers, so closing one never stops another's.
  TKTimer* showTimer = nullptr;
  TKTimer* animationTimer = nullptr;
};

void DrawBar(ProgressWindow* pw, TKControl* bar, TKContext* ctx) {
  const TKRect r = TKGetControlBounds(bar);
  TKSetFillColor(ctx, TKColorRGB(0.85, 0.85, 0.85));
  TKFillRect(ctx, r);
  TKSetFillColor(ctx, TKColorRGB(0.25, 0.45, 0.85));
  const int32_t width = r.right - r.left;
  if (pw->indeterminate) {
    for (int32_t x = r.left - 20 + pw->phase % 20; x < r.right; x += 20) {
      TKRect stripe{r.top, std::max(x, r.left), r.bottom, std::min(x + 10, r.right)};
      if (stripe.right > stripe.left) TKFillRect(ctx, stripe);
    }
  } else {
    const int32_t maximum = TKGetControlMaximum(bar);
    const int32_t value = std::clamp(TKGetControlValue(bar), 0, std::max(maximum, 0));
    const int32_t filled = maximum > 0 ? int32_t(int64_t(width) * value / maximum) : 0;
    TKFillRect(ctx, TKRect{r.top, r.left, r.bottom, r.left + filled});
  }
  TKSetStrokeColor(ctx, TKColorRGB(0.4, 0.4, 0.4));
  TKFrameRect(ctx, r);
}

TKRect ToRect(const QVProgressRect& r) { return TKRect{r.top, r.left, r.bottom, r.right}; }

void* Create(void*, const QVProgressWindowSetup* setup) {
  auto* pw = new ProgressWindow;
  const QVProgressLayout& l = setup->layout;
  pw->window = TKCreateWindow(kTKWindowModal, TKRect{0, 0, l.contentHeight, l.contentWidth}, setup->title);
  if (!pw->window) {
    delete pw;
    return nullptr;
  }
  TKCenterWindow(pw->window, nullptr);
  pw->text = TKNewStaticText(pw->window, ToRect(l.text), setup->message);
  // A new window's root takes a property; only memory could refuse it.
  QVIgnoreStatus(TKSetControlProperty(TKGetRootControl(pw->window), kQVProgressPropertyCreator, kQVProgressTextProperty,
                                      &pw->text, sizeof pw->text));
  TKUserPaneProcs procs;
  procs.draw = [pw](TKControl* c, TKContext* ctx) { DrawBar(pw, c, ctx); };
  pw->indeterminate = setup->indeterminate;
  pw->bar = TKNewUserPane(pw->window, ToRect(l.bar), procs);
  TKSetControlMinimum(pw->bar, 0);
  TKSetControlMaximum(pw->bar, setup->maximum);
  TKSetControlValue(pw->bar, 0);
  // A new window's root takes a property; only memory could refuse it.
  QVIgnoreStatus(TKSetControlProperty(TKGetRootControl(pw->window), kQVProgressPropertyCreator, kQVProgressBarProperty,
                                      &pw->bar, sizeof pw->bar));
  if (setup->showCancel) {
    TKControl* cancel = TKNewPushButton(pw->window, ToRect(l.cancel), "Cancel", kQVProgressCancelCommand);
    TKSetCancelButton(pw->window, cancel);
  }
  const uint32_t id = setup->id;
  TKInstallWindowHandler(pw->window, [id](TKEvent& e) {
    if ((e.kind == kTKEventCommand || e.kind == kTKEventControlHit) &&
        (e.command == kQVProgressCancelCommand || (e.control && TKGetControlCommand(e.control) == kQVProgressCancelCommand)))
      QVProgressCancelHit(id);
    return kQVErrNotHandled;  // passed on
  });
  if (setup->showDelay > 0) {
    pw->showTimer = TKInstallTimer(setup->showDelay, 0, [pw](TKTimer*) {
      pw->showTimer = nullptr;
      if (TKWindowExists(pw->window)) {
        TKShowWindow(pw->window);
        TKSelectWindow(pw->window);
      }
    });
  } else {
    TKShowWindow(pw->window);
    TKSelectWindow(pw->window);
  }
  if (pw->indeterminate)
    pw->animationTimer = TKInstallTimer(0.032, 0.032, [pw](TKTimer*) {
      if (TKWindowExists(pw->window) && TKIsWindowVisible(pw->window)) {
        ++pw->phase;
        TKDrawControl(pw->bar);
      }
    });
  return pw;
}

void SetText(void*, void* window, const char* text) {
  auto* pw = static_cast<ProgressWindow*>(window);
  TKSetEditText(pw->text, text);
  TKDrawControl(pw->text);
}

void SetValue(void*, void* window, int16_t value, bool changed) {
  auto* pw = static_cast<ProgressWindow*>(window);
  TKSetControlValue(pw->bar, value);
  if (changed) TKDrawControl(pw->bar);
}

void Close(void*, void* window) {
  auto* pw = static_cast<ProgressWindow*>(window);
  if (pw->showTimer) TKRemoveTimer(pw->showTimer);
  if (pw->animationTimer) TKRemoveTimer(pw->animationTimer);
  TKDisposeWindow(pw->window);
  delete pw;
}

void DispatchPending(void*) { TKRunPending(); }

void Wake(void*) { TKPostCall([] { QVProgressDrainEvents(); }); }

// The job list's rows on a list control.
TKControl* gJobList = nullptr;

std::string Cell(uint32_t id, uint32_t property) {
  QVJobItemData data;
  if (QVJobListItemData(id, property, &data, false) != kQVNoErr || !data.hasData) return "";
  if (property == kQVJobPropertyProgress) {
    char text[16];
    std::snprintf(text, sizeof text, "%d%%", data.value / 10);
    return text;
  }
  return data.text;
}

const uint32_t kColumns[] = {kQVJobPropertyProgress, kQVJobPropertyTask, kQVJobPropertyType, kQVJobPropertyStatus};

std::vector<std::string> Cells(uint32_t id) {
  std::vector<std::string> cells;
  for (uint32_t p : kColumns) cells.push_back(Cell(id, p));
  return cells;
}

void AddRow(void*, uint32_t id) {
  if (!gJobList || !TKIsControlAlive(gJobList)) return;
  for (int32_t row = 0;; ++row) {
    const int32_t rowID = TKListRowID(gJobList, row);
    if (rowID <= 0) break;
    if (uint32_t(rowID) == id) return;  // listed when the control came
  }
  TKListAddRow(gJobList, int32_t(id), Cells(id));
}

void RemoveRow(void*, uint32_t id) {
  if (!gJobList || !TKIsControlAlive(gJobList)) return;
  // The list has no single-row removal: keep every other row.
  std::vector<uint32_t> ids;
  for (int32_t row = 0;; ++row) {
    const int32_t rowID = TKListRowID(gJobList, row);
    if (rowID <= 0) break;
    if (uint32_t(rowID) != id) ids.push_back(uint32_t(rowID));
  }
  TKListRemoveAll(gJobList);
  for (uint32_t keep : ids) TKListAddRow(gJobList, int32_t(keep), Cells(keep));
}

}  // namespace

void QVProgressInstallToolkitView() {
  static const QVProgressView view{Create, SetText, SetValue, Close, DispatchPending, nullptr};
  QVProgressSetView(&view);
  QVProgressSetWakeHook(Wake, nullptr);
}

void QVJobListAttachControl(TKControl* list) {
  gJobList = list;
  TKListSetColumns(list, {{"Progress", 70, false, true, kQVJobPropertyProgress},
                          {"Task", 220, false, false, kQVJobPropertyTask},
                          {"Type", 120, false, false, kQVJobPropertyType},
                          {"Status", 90, false, false, kQVJobPropertyStatus}});
  static const QVJobListBrowser browser{AddRow, RemoveRow, nullptr};
  QVJobListSetBrowser(&browser);
  // The jobs listed before the control came.
  TKListRemoveAll(list);
  uint32_t ids[256];
  const size_t count = std::min(QVJobListIds(ids, std::size(ids)), std::size(ids));
  for (size_t i = 0; i < count; ++i) AddRow(nullptr, ids[i]);
  QVJobListMarkDirty();
}

void QVJobListUpdateButtons(TKControl* list) {
  TKControl* button = nullptr;
  if (TKGetControlProperty(list, kQVProgressPropertyCreator, kQVJobButtonProperty, &button, sizeof button,
                           nullptr) !=
          kQVNoErr ||
      !button || !TKIsControlAlive(button))
    return;
  TKSetControlActive(button, TKListSelectedRows(list).size() == 1);
}

void QVJobListRefresh(TKControl* list) {
  if (!list || !TKIsControlVisible(list)) return;
  QVJobListUpdateButtons(list);
  if (!QVJobListTakeDirty()) return;
  for (int32_t row = 0;; ++row) {
    const int32_t rowID = TKListRowID(list, row);
    if (rowID <= 0) break;
    const std::vector<std::string> cells = Cells(uint32_t(rowID));
    for (size_t c = 0; c < cells.size(); ++c) TKListSetCell(list, row, int32_t(c), cells[c].c_str());
  }
  TKDrawControl(list);
}
