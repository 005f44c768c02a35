#include "app/surfaces/surface_editor.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "app/controls/bound_controls.h"
#include "app/state/interface_colors.h"
#include "app/state/save_failure.h"
#include "app/surfaces/surface_definitions.h"
#include "app/surfaces/surface_dialogs.h"
#include "app/surfaces/surface_file.h"
#include "app/surfaces/surface_lights.h"
#include "app/surfaces/surface_pictures.h"
#include "platform/file_ref.h"
#include "platform/folders.h"
#include "platform/fourcc.h"
#include "platform/ui/ui_control.h"
#include "platform/ui/ui_draw.h"
#include "platform/ui/ui_event.h"
#include "platform/ui/ui_services.h"
#include "platform/ui/ui_window.h"
#include "settings/prefs.h"

namespace {

constexpr uint32_t kCommandOK = QVFourCC("ok  ");
constexpr uint32_t kCommandCancel = QVFourCC("not!");
constexpr TKControlID kPictureID{QVFourCC("HIiv"), 1};
constexpr int32_t kButtonBand = 48;

int32_t gEditorPage = 1;
SurfaceEditor* gOpenEditor = nullptr;
void (*gOpenedHook)(SurfaceEditor*) = nullptr;

void DrawPicture(SurfaceEditor& e, TKContext* ctx) {
  const TKRect r = TKGetControlBounds(e.picture);
  if (e.overhead) TKDrawImage(ctx, e.overhead, nullptr, TKMakeRect(r.left, r.top, kSurfacePictureWidth, kSurfacePictureHeight), true);
  if (e.overlay) TKDrawImage(ctx, e.overlay, nullptr, TKMakeRect(r.left, r.top, kSurfacePictureWidth, kSurfacePictureHeight), false);
}

// Runs a dialog with the overlay cleared, as the picture looks while it is open.
template <typename Fn>
void WithDialog(Fn&& run) {
  SurfaceEditorDraw(false);
  run();
  SurfaceEditorDraw(true);
}

void PlaceWindow(TKWindow* w) {
  const int32_t h = gPrefsSettings.surfaceDefWindowH, v = gPrefsSettings.surfaceDefWindowV;
  if (h == -1 || v == -1) return;
  TKRect bounds = TKGetWindowBounds(w);
  const int32_t width = TKRectWidth(bounds), height = TKRectHeight(bounds);
  const TKRect screen = TKGetDisplayBounds(TKGetMainDisplay());
  // Kept on the screen: the whole window where it fits, else its top left.
  const int32_t left = std::max(screen.left, std::min(h, screen.right - width));
  const int32_t top = std::max(screen.top, std::min(v, screen.bottom - height));
  TKSetWindowBounds(w, TKMakeRect(left, top, width, height));
}

}  // namespace

int32_t SurfaceEditorPage() { return gEditorPage; }

void SetSurfaceEditorOpenedHook(void (*hook)(SurfaceEditor*)) { gOpenedHook = hook; }

void SurfaceEditorDraw(bool active) {
  SurfaceEditor* e = gOpenEditor;
  if (!e || !e->overlay) return;
  e->overlayActive = active;
  const SurfacePageDefinition* header = SurfacePageHeader(gEditorPage);
  uint32_t colors[4] = {kSurfaceBlack, kSurfaceBlack, kSurfaceBlack, kSurfaceBlack};
  const char* lines[4] = {"", "", "", ""};
  std::string text[4];
  if (header) {
    for (int32_t i = 0; i < 4; ++i) colors[i] = header->trackballColor[i];
    const char* const raw[4] = {header->leftLine1, header->leftLine2, header->rightLine1, header->rightLine2};
    for (int32_t i = 0; i < 4; ++i) {
      text[i].assign(raw[i], strnlen(raw[i], kSurfaceDisplayLineBytes - 1));
      lines[i] = text[i].c_str();
    }
  }
  SurfaceEditorDrawOverlay(e->overlay, gEditorPage, colors, lines, active);
  if (e->picture) TKDrawControl(e->picture);
}

void SurfaceEditorClick(TKPoint where) {
  const SurfaceKeyEntry* key = SurfaceEditorKeyAt(SurfaceEditorCachedImage("KnobwellKey.png"), where.x, where.y);
  if (!key) return;
  const int32_t id = int32_t(key->controlID);
  SurfaceControlDefinition* table = SurfacePageControls(gEditorPage);
  switch (key->target) {
    case kSurfaceTargetButton:
      if (id >= kSurfacePageS1 && id <= kSurfacePageS7) {
        gEditorPage = id - (kSurfacePageS1 - 1);
        WithDialog([] { SurfacePageDefinitionDialog(SurfacePageHeader(gEditorPage)); });
      } else if (id == kSurfacePageS8) {
        TKBeep();
      } else {
        WithDialog([&] { SurfaceButtonDefinitionDialog(table, id, nullptr); });
      }
      break;
    case kSurfaceTargetKnob:
    case kSurfaceTargetRing: WithDialog([&] { SurfaceKnobDefinitionDialog(table, id, nullptr); }); break;
    case kSurfaceTargetKnobPush: WithDialog([&] { SurfaceKnobLEDDefinitionDialog(table, id, nullptr); }); break;
    case kSurfaceTargetTrackball: WithDialog([&] { SurfaceTrackballDefinitionDialog(table, id, nullptr); }); break;
    case kSurfaceTargetPageDisplay:
      WithDialog([] { SurfacePageDefinitionDialog(SurfacePageHeader(gEditorPage)); });
      break;
    default: break;
  }
}

QVStatus SurfaceEditorOpen() {
  SurfaceEditor e;
  const int32_t width = kSurfacePictureWidth, height = kSurfacePictureHeight + kButtonBand;
  e.window = TKCreateWindow(kTKWindowModal, TKMakeRect(0, 0, width, height), "Control Surface Definitions");
  if (!e.window) return kQVErrMemory;
  TKCenterWindow(e.window, nullptr);
  TKSetWindowContentColor(e.window, VFColor(kUIColorControlBackground));
  PlaceWindow(e.window);

  e.overhead = SurfaceEditorLoadImage("KnobwellOverhead.png");
  e.overlay = TKImageCreate(kSurfacePictureWidth, kSurfacePictureHeight);
  SurfaceEditorCachedImage("KnobwellKey.png");
  TKUserPaneProcs procs;
  procs.draw = [&e](TKControl*, TKContext* ctx) { DrawPicture(e, ctx); };
  procs.track = [](TKControl* pane, TKPoint down, uint32_t) -> int16_t {
    // The click acts once the button is up, so the dialog it opens starts clean.
    TKPoint p = down;
    uint32_t mods = 0;
    while (TKTrackMouse(TKGetControlWindow(pane), 0.05, &p, &mods) != kTKTrackMouseUp) {
    }
    const TKRect r = TKGetControlBounds(pane);
    SurfaceEditorClick(TKPoint{down.x - r.left, down.y - r.top});
    return kTKPartNone;
  };
  e.picture = TKNewUserPane(e.window, TKMakeRect(0, 0, kSurfacePictureWidth, kSurfacePictureHeight), procs);
  TKSetControlID(e.picture, kPictureID);
  const TKRect ok{height - 13 - 20, width - 13 - 70, height - 13, width - 13};
  e.ok = TKNewPushButton(e.window, ok, "OK", kCommandOK);
  e.cancel =
      TKNewPushButton(e.window, TKRect{ok.top, ok.left - 83, ok.bottom, ok.right - 83}, "Cancel", kCommandCancel);
  TKSetDefaultButton(e.window, e.ok);
  TKSetCancelButton(e.window, e.cancel);
  TKInstallWindowHandler(e.window, [&e](TKEvent& ev) -> QVStatus {
    // The overlay shows the page only while the editor is in front.
    if (ev.kind == kTKEventWindowActivated) SurfaceEditorDraw(true);
    if (ev.kind == kTKEventWindowDeactivated) SurfaceEditorDraw(false);
    if (ev.kind != kTKEventCommand) return kQVErrNotHandled;
    if (ev.command != kCommandOK && ev.command != kCommandCancel) return kQVErrNotHandled;
    e.cancelled = ev.command == kCommandCancel;
    TKEndModal(e.window, 0);
    return kQVNoErr;
  });

  gEditorPage = gSurfaceCurrentPage >= 1 && gSurfaceCurrentPage <= kSurfacePageCount ? gSurfaceCurrentPage : 1;
  gOpenEditor = &e;
  SurfaceEditorDraw(true);
  if (gOpenedHook) gOpenedHook(&e);
  TKRunModal(e.window);

  QVStatus status = kQVNoErr;
  if (!e.cancelled) {
    // The edits stay in memory either way; a file that could not be
    // written is told, so the user knows they will not outlive the session.
    QVFileRef folder;
    char path[kQVMaxPath] = "";
    status = PLFindFolder(kPLFolderPreferences, true, &folder);
    if (status == kQVNoErr && !PLJoinPath(folder.path, kSurfaceDefinitionsFileName, path, sizeof path))
      status = kQVErrParam;
    if (status == kQVNoErr) status = SurfaceWriteDefinitions(path, kSurfaceDefinitionsFileName);
    UIReportSaveFailure(path[0] ? path : kSurfaceDefinitionsFileName, status);
  }
  const TKRect bounds = TKGetWindowBounds(e.window);
  gPrefsSettings.surfaceDefWindowH = bounds.left;
  gPrefsSettings.surfaceDefWindowV = bounds.top;
  gOpenEditor = nullptr;
  TKDisposeWindow(e.window);
  TKImageDispose(e.overhead);
  TKImageDispose(e.overlay);
  SurfaceShowPageHeader(gSurfaceCurrentPage >= 1 ? gSurfaceCurrentPage : gEditorPage);
  return status;
}
