// The gallery pane: an information panel (name, kind, size and thumbnail of
// the selected item), the hierarchical list of the gallery's items with the
// columns Name, Type, Comment, Date and Path, and five buttons (import,
// apply, delete, new folder, save preset). There is one gallery; its pane
// carries the control ID 'VFgl'.
#pragma once

#include <cstdint>
#include <vector>

#include "app/library/gallery_model.h"
#include "platform/status.h"
#include "platform/ui/ui_draw.h"
#include "settings/comm_block.h"
#include "settings/prefs.h"

struct TKWindow;
struct TKControl;

constexpr int32_t kGalleryInfoHeight = 66;
constexpr int32_t kGalleryButtonRow = 16;
enum GalleryButton : int32_t {
  kGalleryButtonImport = 1,
  kGalleryButtonApply,
  kGalleryButtonDelete,
  kGalleryButtonNewFolder,
  kGalleryButtonSavePreset,
};

// Builds the pane inside parent with its list, columns (from the
// preferences' layout and sort) and buttons, and makes it the gallery.
QVStatus CreateGalleryControl(TKWindow* window, const TKRect& bounds, TKControl* parent, int32_t controlID,
                              TKControl** out);
// The gallery pane, null before it is made; forgetting it (the window goes)
// keeps the items.
TKControl* GalleryPane();
void ForgetGalleryPane();
TKControl* GalleryListControl(TKControl* pane);
void ShowGalleryWindow(TKControl* pane);
void HideGalleryWindow(TKControl* pane);
bool GalleryEditingText();

// Adding through the pane shows the new items.
int32_t AddGalleryFileItem(TKControl* pane, const QVFileRef* file, const char* comment, uint64_t parentID);
GalleryItem* AddGalleryFolderItem(TKControl* pane, const char* name, const char* comment, int64_t date, uint64_t id,
                                  uint64_t parentID);
void AddProjectFootageToGallery(int32_t count, const CCFootageRecord* records, TKControl* pane);
// The preset folders made again from disk, shown at once.
void RebuildPresetGalleryFolders();
// Ends comment editing, sorts by the stored column and order, redraws.
void SortAndRedrawGallery(TKControl* pane);
// Widths, positions, sort column and order of the list into the record.
void SaveGalleryColumnPrefs(TKControl* pane, PrefsSettings* prefs);
// The tree in the preferences and back (load also rebuilds the preset
// folders and sorts).
void PFSaveGallery(TKControl* pane);
void PFLoadGallery(TKControl* pane);

// Shows the model in the list again, keeping the selection.
void GalleryReloadList(TKControl* pane);
std::vector<GalleryItem*> GallerySelectedItems(TKControl* pane);
void GallerySelectItems(TKControl* pane, const std::vector<GalleryItem*>& items);
void UpdateGalleryButtons(TKControl* pane);
TKControl* GalleryButtonControl(TKControl* pane, GalleryButton button);
void GalleryButtonHandler(TKControl* pane, GalleryButton button);
// A preset replaces the working correction (undo step, controls, picture);
// an image or movie becomes the reference picture. Folders do nothing.
void ApplyGalleryItem(GalleryItem* item, bool redraw);
// Draws the information panel for the selection into ctx.
void DrawGalleryPane(TKControl* pane, TKContext* ctx);

// The save-preset button's action, installed by the user presets.
using GallerySavePresetProc = void (*)(const VL_SettingsStruct* settings);
void SetGallerySavePresetProc(GallerySavePresetProc proc);
