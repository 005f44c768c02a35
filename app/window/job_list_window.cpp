#include "app/window/job_list_window.h"

#include <vector>

#include "media/job_list.h"
#include "media/progress_protocol.h"
#include "media/progress_window.h"
#include "platform/ui/toolkit.h"

namespace {

TKWindow* gWindow = nullptr;
TKControl* gList = nullptr;
TKTimer* gRefresh = nullptr;

void Build() {
  gWindow = TKCreateWindow(kTKWindowPlain, TKMakeRect(0, 0, 540, 220), "Output Jobs");
  if (!gWindow) return;
  gList = TKNewList(gWindow, TKRect{12, 12, 170, 528});
  TKControl* cancel = TKNewPushButton(gWindow, TKRect{182, 418, 206, 528}, "Cancel Job", kJobListCancelCommand);
  // A made list takes the property; without a list there is nothing for the
  // button to follow either.
  QVIgnoreStatus(TKSetControlProperty(gList, kQVProgressPropertyCreator, kQVJobButtonProperty, &cancel, sizeof cancel));
  QVJobListAttachControl(gList);
  TKInstallWindowHandler(gWindow, [](TKEvent& e) -> QVStatus {
    if (e.kind == kTKEventWindowClose) {
      TKHideWindow(gWindow);
      return kQVNoErr;  // kept, to be shown again
    }
    if (e.kind == kTKEventCommand && e.command == kJobListCancelCommand) {
      JobListCancelSelected();
      return kQVNoErr;
    }
    return kQVErrNotHandled;
  });
  // Progress and status change on the jobs' own threads; the rows follow.
  // One timer serves every build of the window: it reads the list afresh.
  if (!gRefresh)
    gRefresh = TKInstallTimer(0.25, 0.25, [](TKTimer*) {
      if (gList && TKIsControlAlive(gList)) QVJobListRefresh(gList);
    });
}

}  // namespace

void ShowJobListWindow() {
  if (!gWindow || !TKWindowExists(gWindow)) Build();
  if (!gWindow) return;
  TKShowWindow(gWindow);
  TKSelectWindow(gWindow);
  QVJobListRefresh(gList);
}

TKWindow* JobListWindow() { return gWindow; }
TKControl* JobListControl() { return gList; }

bool JobListCancelSelected() {
  if (!gList || !TKIsControlAlive(gList)) return false;
  const std::vector<int32_t> rows = TKListSelectedRows(gList);
  if (rows.size() != 1) return false;
  const int32_t id = TKListRowID(gList, rows[0]);
  return id > 0 && QVJobListCancel(uint32_t(id));
}
