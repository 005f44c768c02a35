// What the gallery does: its five buttons, applying an item, and the
// information panel over the list.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string>

#include "app/controls/bound_controls.h"
#include "app/controls/settings_sync.h"
#include "app/library/gallery_icons.h"
#include "app/library/gallery_pane.h"
#include "app/library/gallery_presets.h"
#include "app/state/interface_colors.h"
#include "app/state/undo_ring.h"
#include "app/state/view_state.h"
#include "core/settings_ranges.h"
#include "platform/alert_sound.h"
#include "platform/fourcc.h"
#include "platform/ui/toolkit.h"
#include "settings/file_panels.h"
#include "support/alerts.h"

namespace {

constexpr const char* kAlertTitle = "Velmora 3 UI";
constexpr int32_t kImportDialogID = int32_t(QVFourCC("GlIm"));

GallerySavePresetProc gSavePreset = nullptr;

// Whether path lies inside folder (both absolute, without trailing slash).
bool Inside(const std::string& path, const std::string& folder) {
  return !folder.empty() && path.size() > folder.size() + 1 && path.compare(0, folder.size(), folder) == 0 &&
         path[folder.size()] == '/';
}

// A user preset file, or a sub-folder of the user's preset tree, leaves
// the disk too; nothing outside the user's preset folder is ever removed.
void DeleteFromDisk(const GalleryItem* item) {
  if (!item->settingsPreset || !item->userPresets) return;
  std::string path = item->file.path;
  if (!Inside(path, GalleryUserPresetsPath())) return;
  std::error_code ec;
  if (item->folder) std::filesystem::remove_all(path, ec);
  else std::filesystem::remove(path, ec);
}

void DeleteSelected(TKControl* pane) {
  std::vector<GalleryItem*> selected = GallerySelectedItems(pane);
  std::vector<int32_t> refs;
  for (GalleryItem* item : selected) refs.push_back(item->refNum);
  for (int32_t ref : refs) {
    // An item may have gone with a folder deleted before it.
    GalleryItem* item = GalleryItemFromRef(ref);
    if (!item || !GalleryItemDeletable(item)) continue;
    if (item->folder && item->firstChild &&
        !QVAlternativesAlert(kAlertTitle, "Are you sure you want to delete the folder and all of its contents?",
                             nullptr, 1, "Delete", "Cancel"))
      break;
    DeleteFromDisk(item);
    DisposeGalleryItem(item, true);
  }
  GalleryReloadList(pane);
}

void Import(TKControl* pane) {
  static const QVFileTypeListEntry kTypes[] = {{QVFourCC("????"), ".*", "Images", nullptr}, {0, nullptr, nullptr, nullptr}};
  QVFileRef* files = nullptr;
  int32_t count = 0;
  if (QVGetFileSelectionMultiple(&files, &count, "Import Reference Images", "Import", nullptr, kImportDialogID,
                                 kTypes) != kQVNoErr || !files) {
    std::free(files);
    return;
  }
  std::vector<GalleryItem*> added;
  for (int32_t i = 0; i < count; ++i) {
    GalleryItem* before = Gallery().root;
    AddGalleryFileItem(pane, &files[i], kGalleryBlankComment, 0);
    if (Gallery().root != before) added.push_back(Gallery().root);
  }
  std::free(files);
  GalleryReloadList(pane);
  GallerySelectItems(pane, added);
}

void NewFolder(TKControl* pane) {
  GalleryItem* folder = NewGalleryFolderItem(nullptr, "New Folder", kGalleryBlankComment);
  folder->id = GalleryNewID();
  GalleryReloadList(pane);
  GallerySelectItems(pane, {folder});
  TKControl* list = GalleryListControl(pane);
  int32_t row = TKListFindRow(list, folder->refNum);
  // A cell that cannot be edited keeps its name.
  if (row >= 0) QVIgnoreStatus(TKListEditCell(list, row, 0));
}

// The working record replaced by a preset's, as loading the preset's file does.
void ApplyPreset(const VL_SettingsStruct& preset) {
  UndoBufferPush(gUndoBuffer, &gUISettings);
  std::unique_ptr<VL_SettingsStruct> before(new (std::nothrow) VL_SettingsStruct);
  if (before) std::memcpy(before.get(), &gUISettings, sizeof gUISettings);
  std::memcpy(&gUISettings, &preset, sizeof gUISettings);
  VL_HoldIncomingSettings(&gUISettings);
  VFForgetUndoControl();
  SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, before.get(), kVFSyncApply);
  VFUpdatePreview();
  UndoBufferStore(gUndoBuffer, &gUISettings);
}

}  // namespace

void SetGallerySavePresetProc(GallerySavePresetProc proc) { gSavePreset = proc; }

void ApplyGalleryItem(GalleryItem* item, bool redraw) {
  if (!item || item->folder) return;
  if (item->settingsPreset) {
    GalleryLoadPreset(item);
    // A preset that could not be read still applies its copy (the defaults).
    if (item->settings) ApplyPreset(*item->settings);
    return;
  }
  if (!GalleryMedia().applyReference) return;
  // A file gone or unreadable since it was added is told, not passed over.
  const QVStatus status = GalleryMedia().applyReference(&item->file, item->sourceWidth, item->sourceHeight, redraw);
  if (status != kQVNoErr) {
    const std::string message = std::string("Cannot open \"") + item->file.path + "\" as the reference image (error " +
                                std::to_string(int32_t(status)) + ").";
    QVErrorAlert("Velmora 3 UI", message.c_str(), 1);
  }
}

void GalleryButtonHandler(TKControl* pane, GalleryButton button) {
  if (!pane || pane != GalleryPane()) return;
  switch (button) {
    case kGalleryButtonImport: Import(pane); break;
    case kGalleryButtonApply: {
      std::vector<GalleryItem*> items = GallerySelectedItems(pane);
      if (items.size() == 1) ApplyGalleryItem(items[0], true);
      else PLAlertSound();
      break;
    }
    case kGalleryButtonDelete: DeleteSelected(pane); break;
    case kGalleryButtonNewFolder: NewFolder(pane); break;
    case kGalleryButtonSavePreset:
      if (gSavePreset) gSavePreset(&gUISettings);
      break;
  }
  if (TKControl* p = GalleryPane()) {
    UpdateGalleryButtons(p);
    TKDrawControl(p);
  }
}

void DrawGalleryPane(TKControl* pane, TKContext* ctx) {
  TKRect bounds = TKGetControlBounds(pane);
  TKRect panel{bounds.top, bounds.left, bounds.top + kGalleryInfoHeight, bounds.right};
  bool active = TKIsControlActive(pane);
  TKSetFillColor(ctx, VFColor(active ? kUIColorPaneBackground : kUIColorControlBackground));
  TKFillRect(ctx, panel);
  TKSetFillColor(ctx, VFColor(kUIColorPaneBackground));
  TKFillRect(ctx, TKRect{bounds.bottom - kGalleryButtonRow, bounds.left, bounds.bottom, bounds.right});
  TKSetStrokeColor(ctx, TKColor{0.45, 0.45, 0.47, 1});
  TKDrawLine(ctx, panel.left, panel.bottom - 0.5, panel.right, panel.bottom - 0.5);
  std::vector<GalleryItem*> selected = GallerySelectedItems(pane);
  if (selected.size() != 1) return;
  GalleryItem* item = selected[0];
  TKColor text = VFColor(active ? kUIColorLabelTextActive : kUIColorLabelTextInactive);
  TKFont bold = VFControlFont();
  bold.bold = true;
  TKSetFillColor(ctx, text);
  TKDrawTextInRect(ctx, bold, GalleryShownName(item).c_str(),
                   TKRect{panel.top + 4, panel.left + 76, panel.top + 18, panel.left + 276}, kTKAlignLeft);
  if (item->settingsPreset && !item->folder) {
    GalleryLoadPreset(item);
    if (item->presetLoaded && !item->thumbnail && !item->thumbnailFailed) {
      item->thumbnail = GalleryPresetThumbnail(item->settings.get());
      if (!item->thumbnail) item->thumbnailFailed = true;
    }
  } else if (!item->folder && !item->thumbnail && !item->thumbnailFailed) {
    item->thumbnail = GalleryFileThumbnail(&item->file, item->movie != 0, &item->sourceWidth, &item->sourceHeight);
    if (!item->thumbnail) item->thumbnailFailed = true;
  }
  TKDrawTextInRect(ctx, VFControlFont(), item->kind,
                   TKRect{panel.top + 21, panel.left + 76, panel.top + 36, panel.right - 4}, kTKAlignLeft);
  // The thumbnail at its own size inside a 64 x 48 box, else the row's icon.
  TKImage* picture = item->thumbnail ? item->thumbnail.get() : item->icon.get();
  if (picture) {
    int32_t w = std::min(64, TKImageWidth(picture)), h = std::min(48, TKImageHeight(picture));
    if (picture == item->icon.get()) GalleryFitSize(TKImageWidth(picture), TKImageHeight(picture), 48, 48, &w, &h);
    TKDrawImage(ctx, picture, nullptr, TKMakeRect(panel.left + 5, panel.top + 5, w, h), true);
  }
  if (!item->settingsPreset && !item->folder) {
    char size[64];
    std::snprintf(size, sizeof size, "%ld x %ld", long(item->sourceWidth), long(item->sourceHeight));
    TKFont small = VFControlFont();
    small.size = 9;
    TKDrawTextInRect(ctx, small, size, TKRect{panel.top + 53, panel.left + 2, panel.top + 65, panel.left + 74},
                     kTKAlignCenter);
  }
}
