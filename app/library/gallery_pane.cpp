// The gallery pane: its list, the list's procedures and the layout of the
// columns kept in the preferences.
#include "app/library/gallery_pane.h"

#include <algorithm>
#include <cstring>

#include "app/controls/bound_controls.h"
#include "app/library/gallery_icons.h"
#include "app/library/gallery_presets.h"
#include "app/state/save_failure.h"
#include "platform/fourcc.h"
#include "platform/prefs_store.h"
#include "platform/ui/toolkit.h"
#include "settings/prefs.h"

namespace {

constexpr uint32_t kPaneSignature = QVFourCC("VFgl");
constexpr int32_t kMaxChildrenShown = 499;
constexpr int32_t kMaxReopened = 500;
constexpr int32_t kButtonPictureBase = 27100;
const uint32_t kColumnIDs[5] = {QVFourCC("name"), QVFourCC("type"), QVFourCC("cmnt"), QVFourCC("date"),
                                QVFourCC("path")};
const char* const kColumnTitles[5] = {"Name", "Type", "Comment", "Date", "Path"};
constexpr int32_t kDecreasing = 2;

struct PaneState {
  TKControl* pane = nullptr;
  TKControl* list = nullptr;
  TKControl* buttons[5] = {};
  int32_t reopened = 0;  // open sub-folders shown again during one opening
  bool reloading = false;
};
PaneState gPane;

int32_t ColumnOf(uint32_t property) {
  for (int32_t i = 0; i < 5; ++i)
    if (kColumnIDs[i] == property) return i;
  return -1;
}

void SetRow(TKControl* list, int32_t row, GalleryItem* item) {
  for (int32_t c = 0; c < 5; ++c)
    if (kColumnIDs[c] != QVFourCC("date")) TKListSetCell(list, row, c, GalleryColumnText(item, kColumnIDs[c]).c_str());
  TKListSetCellDate(list, row, 3, item->date);
  TKListSetRowIcon(list, row, item->icon);
}

void AddRowFor(TKControl* list, GalleryItem* item) {
  int32_t parentRef = item->parent ? item->parent->refNum : 0;
  int32_t row = TKListAddChildRow(list, parentRef, item->refNum, {}, item->folder != 0);
  if (row >= 0) SetRow(list, row, item);
}

// A folder opened in the list: its children are shown, and the open
// folders among them opened in turn.
void ShowChildren(TKControl* list, GalleryItem* folder) {
  folder->open = 1;
  int32_t shown = 0;
  std::vector<GalleryItem*> openKids;
  for (GalleryItem* c = folder->firstChild; c && shown < kMaxChildrenShown; c = c->next, ++shown) {
    AddRowFor(list, c);
    if (c->folder && c->open) openKids.push_back(c);
  }
  for (GalleryItem* c : openKids) {
    if (gPane.reopened >= kMaxReopened) break;
    ++gPane.reopened;
    c->open = 0;  // opening marks it open again
    TKListOpenContainer(list, c->refNum);
  }
}

void SortByPrefs(TKControl* list) {
  int32_t column = ColumnOf(uint32_t(gPrefsSettings.gallerySortCol));
  if (column >= 0) TKListSort(list, column, gPrefsSettings.gallerySortOrder != kDecreasing);
}

void SelectionChanged(TKControl* pane) {
  std::vector<GalleryItem*> items = GallerySelectedItems(pane);
  // Only folders are renamed in the list.
  TKListSetColumnEditable(gPane.list, 0, items.size() == 1 && items[0]->folder);
  UpdateGalleryButtons(pane);
  TKDrawControl(pane);
}

void Notify(TKControl* list, TKListNotification note, int32_t ref) {
  GalleryItem* item = GalleryItemFromRef(ref);
  switch (note) {
    case kTKListEditStarted: Gallery().editing = true; break;
    case kTKListEditStopped: {
      Gallery().editing = false;
      int32_t column = TKListSortColumn(list);
      if (column >= 0 && (kColumnIDs[column] == QVFourCC("name") || kColumnIDs[column] == QVFourCC("cmnt")))
        TKListSort(list, column, TKListSortAscending(list));
      break;
    }
    case kTKListSelectionChanged: SelectionChanged(gPane.pane); break;
    case kTKListDoubleClick: {
      std::vector<GalleryItem*> items = GallerySelectedItems(gPane.pane);
      if (items.size() == 1) ApplyGalleryItem(items[0], true);
      break;
    }
    case kTKListContainerOpened:
      if (item && item->folder) {
        if (!gPane.reloading) gPane.reopened = 0;
        ShowChildren(list, item);
      }
      break;
    case kTKListContainerClosed:
      if (item) item->open = 0;
      break;
  }
}

void CommitEdit(TKControl*, int32_t ref, uint32_t property, std::string& text) {
  GalleryItem* item = GalleryItemFromRef(ref);
  if (!item) return;
  if (text.empty()) text = kGalleryBlankComment;
  if (property == QVFourCC("cmnt")) {
    GalleryCopyText(item->comment, text.c_str());
    text = item->comment;
  } else if (property == QVFourCC("name") && item->folder) {
    GalleryCopyText(item->name, text.c_str());
    text = item->name;
    TKDrawControl(gPane.pane);
  }
}

void ReceiveDrag(TKControl*, const std::vector<int32_t>& refs, int32_t target, uint32_t) {
  GalleryItem* folder = target ? GalleryItemFromRef(target) : nullptr;
  for (int32_t ref : refs)
    if (GalleryItem* item = GalleryItemFromRef(ref)) MoveGalleryItem(item, folder);
  GalleryReloadList(gPane.pane);
}

void ReceiveFiles(TKControl*, const std::vector<std::string>& paths, int32_t target) {
  GalleryItem* folder = target ? GalleryItemFromRef(target) : nullptr;
  uint64_t parentID = folder ? folder->id : 0;
  for (const std::string& path : paths) {
    QVFileRef ref{};
    if (PLFileRefFromPath(path.c_str(), &ref) == kQVNoErr)
      AddGalleryFileItem(gPane.pane, &ref, kGalleryBlankComment, parentID);
  }
  GalleryReloadList(gPane.pane);
}

// The buttons' pictures, drawn once: import, apply, delete, new folder, preset.
void RegisterButtonPictures() {
  for (int32_t b = 0; b < 5; ++b) {
    TKImagePtr image(TKImageCreate(16, 16));
    if (!image) continue;
    TKContext* ctx = TKBeginDrawing(image.get());
    TKSetStrokeColor(ctx, TKColor{0.2, 0.2, 0.22, 1});
    TKSetFillColor(ctx, TKColor{0.2, 0.2, 0.22, 1});
    switch (b) {
      case 0:  // a picture with a plus
        TKFrameRect(ctx, TKRect{3, 1, 13, 11});
        TKDrawLine(ctx, 13, 8, 13, 15);
        TKDrawLine(ctx, 9.5, 11.5, 16, 11.5);
        break;
      case 1:  // an arrow into a box
        TKFrameRect(ctx, TKRect{8, 2, 15, 14});
        TKDrawLine(ctx, 8, 1, 8, 10);
        TKDrawLine(ctx, 5, 7, 8, 10);
        TKDrawLine(ctx, 11, 7, 8, 10);
        break;
      case 2:  // a bin
        TKFrameRect(ctx, TKRect{4, 4, 15, 12});
        TKDrawLine(ctx, 2, 3.5, 14, 3.5);
        TKDrawLine(ctx, 6.5, 6, 6.5, 13);
        TKDrawLine(ctx, 9.5, 6, 9.5, 13);
        break;
      case 3:  // a folder
        TKFrameRect(ctx, TKRect{4, 1, 14, 15});
        TKFillRect(ctx, TKRect{2, 1, 4, 7});
        break;
      default:  // a curve
        TKFrameRect(ctx, TKRect{1, 1, 15, 15});
        TKBeginPath(ctx);
        TKMoveTo(ctx, 2, 14);
        TKLineTo(ctx, 6, 8);
        TKLineTo(ctx, 14, 2);
        TKStrokePath(ctx);
        break;
    }
    TKEndDrawing(ctx);
    // A button picture that cannot be registered draws as nothing; the button still works.
    QVIgnoreStatus(TKRegisterPictureImage(kButtonPictureBase + b, std::move(image)));
  }
}

}  // namespace

TKControl* GalleryPane() { return gPane.pane && TKIsControlAlive(gPane.pane) ? gPane.pane : nullptr; }
void ForgetGalleryPane() { gPane = PaneState{}; }
TKControl* GalleryListControl(TKControl* pane) { return pane && pane == GalleryPane() ? gPane.list : nullptr; }
bool GalleryEditingText() { return Gallery().editing; }

QVStatus CreateGalleryControl(TKWindow* window, const TKRect& bounds, TKControl* parent, int32_t controlID,
                              TKControl** out) {
  if (!window) return kQVErrParam;
  TKUserPaneProcs procs;
  procs.draw = [](TKControl* c, TKContext* ctx) { DrawGalleryPane(c, ctx); };
  TKControl* pane = TKNewUserPane(window, bounds, procs);
  if (!pane) return kQVErrMemory;
  // Embedding a control made in the parent's window cannot fail.
  if (parent) QVIgnoreStatus(TKEmbedControl(pane, parent));
  TKSetControlID(pane, TKControlID{kPaneSignature, controlID});
  gPane = PaneState{};
  gPane.pane = pane;
  TKRect listRect = bounds;
  listRect.top += kGalleryInfoHeight;
  listRect.bottom -= kGalleryButtonRow;
  TKControl* list = TKNewList(window, listRect);
  // Embedding a control made in the parent's window cannot fail.
  QVIgnoreStatus(TKEmbedControl(list, pane));
  gPane.list = list;
  std::vector<TKListColumn> columns;
  for (int32_t c = 0; c < 5; ++c) {
    TKListColumn col;
    col.title = kColumnTitles[c];
    col.property = kColumnIDs[c];
    col.editable = kColumnIDs[c] == QVFourCC("cmnt");
    col.kind = kColumnIDs[c] == QVFourCC("date") ? kTKListColumnDate : kTKListColumnText;
    col.width = 100;
    columns.push_back(col);
  }
  TKListSetColumns(list, columns);
  TKListAllowMultipleSelection(list, true);
  // The stored layout: each stored column ID takes its width and position.
  std::vector<std::pair<int32_t, int32_t>> positions;
  for (int i = 0; i < 5; ++i) {
    int32_t column = ColumnOf(uint32_t(gPrefsSettings.galleryColID[i]));
    if (column < 0) continue;
    TKListSetColumnWidth(list, column, std::clamp(gPrefsSettings.galleryColWidth[i], 16, 2000));
    positions.push_back({gPrefsSettings.galleryColPosition[i], column});
  }
  std::stable_sort(positions.begin(), positions.end());
  for (size_t p = 0; p < positions.size(); ++p) TKListSetColumnPosition(list, positions[p].second, int32_t(p));
  TKListProcs lp;
  lp.compare = [](TKControl*, int32_t a, int32_t b, uint32_t property) {
    GalleryItem* x = GalleryItemFromRef(a);
    GalleryItem* y = GalleryItemFromRef(b);
    if (!x || !y) return a < b ? -1 : a > b;
    return GalleryCompare(x, y, property);
  };
  lp.notify = Notify;
  lp.commitEdit = CommitEdit;
  lp.acceptDrag = [](TKControl*, const std::vector<int32_t>&, int32_t target, uint32_t) {
    GalleryItem* folder = target ? GalleryItemFromRef(target) : nullptr;
    return target == 0 || (folder && folder->folder);
  };
  lp.receiveDrag = ReceiveDrag;
  lp.receiveFiles = ReceiveFiles;
  TKListSetProcs(list, lp);

  RegisterButtonPictures();
  static const char* const kHelp[5] = {"Import reference images or movies into the gallery",
                                       "Apply the selected gallery item",
                                       "Delete the selected gallery items",
                                       "Make a new gallery folder",
                                       "Save the current correction as a user preset"};
  for (int32_t b = 0; b < 5; ++b) {
    TKRect r = TKMakeRect(bounds.left + b * 24, bounds.bottom - kGalleryButtonRow, 24, kGalleryButtonRow);
    TKControl* button = TKNewBevelButton(window, r, "", kButtonPictureBase + b, false);
    // Embedding a control made in the parent's window cannot fail.
    QVIgnoreStatus(TKEmbedControl(button, pane));
    TKSetHelpTag(button, kHelp[b]);
    TKSetControlRefCon(button, b + 1);
    TKInstallControlHandler(button, [button](TKEvent& e) {
      if (e.kind != kTKEventControlHit) return kQVErrNotHandled;
      if (TKControl* p = GalleryPane()) GalleryButtonHandler(p, GalleryButton(TKGetControlRefCon(button)));
      return kQVNoErr;
    });
    gPane.buttons[b] = button;
  }
  GalleryReloadList(pane);
  SortByPrefs(list);
  UpdateGalleryButtons(pane);
  if (out) *out = pane;
  return kQVNoErr;
}

void ShowGalleryWindow(TKControl* pane) {
  if (!pane || pane != GalleryPane()) return;
  TKSetControlVisible(pane, true);
  TKDrawControl(pane);
}

void HideGalleryWindow(TKControl* pane) {
  if (!pane || pane != GalleryPane()) return;
  TKListEndEditing(gPane.list, true);
  TKSetControlVisible(pane, false);
}

void GalleryReloadList(TKControl* pane) {
  if (!pane || pane != GalleryPane()) return;
  TKControl* list = gPane.list;
  std::vector<GalleryItem*> selected = GallerySelectedItems(pane);
  if (TKListEditingRow(list) >= 0) TKListEndEditing(list, true);
  TKListRemoveAll(list);
  gPane.reloading = true;
  gPane.reopened = 0;
  std::vector<GalleryItem*> open;
  for (GalleryItem* i = Gallery().root; i; i = i->next) {
    AddRowFor(list, i);
    if (i->folder && i->open) open.push_back(i);
  }
  for (GalleryItem* f : open) {
    f->open = 0;
    TKListOpenContainer(list, f->refNum);
  }
  gPane.reloading = false;
  GallerySelectItems(pane, selected);
  UpdateGalleryButtons(pane);
  TKDrawControl(pane);
}

std::vector<GalleryItem*> GallerySelectedItems(TKControl* pane) {
  std::vector<GalleryItem*> items;
  if (!pane || pane != GalleryPane()) return items;
  for (int32_t row : TKListSelectedRows(gPane.list))
    if (GalleryItem* item = GalleryItemFromRef(TKListRowID(gPane.list, row))) items.push_back(item);
  return items;
}

void GallerySelectItems(TKControl* pane, const std::vector<GalleryItem*>& items) {
  if (!pane || pane != GalleryPane()) return;
  TKListSelectRow(gPane.list, -1);
  for (GalleryItem* item : items) {
    int32_t row = TKListFindRow(gPane.list, item->refNum);
    if (row >= 0) TKListSetRowSelected(gPane.list, row, true);
  }
  TKListSetColumnEditable(gPane.list, 0, items.size() == 1 && items[0]->folder);
}

void UpdateGalleryButtons(TKControl* pane) {
  if (!pane || pane != GalleryPane()) return;
  GalleryButtonState s = GalleryButtonStates(GallerySelectedItems(pane));
  TKSetControlEnabled(gPane.buttons[kGalleryButtonApply - 1], s.apply);
  TKSetControlEnabled(gPane.buttons[kGalleryButtonDelete - 1], s.remove);
  TKSetControlEnabled(gPane.buttons[kGalleryButtonImport - 1], true);
  TKSetControlEnabled(gPane.buttons[kGalleryButtonNewFolder - 1], true);
  TKSetControlEnabled(gPane.buttons[kGalleryButtonSavePreset - 1], true);
}

TKControl* GalleryButtonControl(TKControl* pane, GalleryButton button) {
  if (!pane || pane != GalleryPane() || button < kGalleryButtonImport || button > kGalleryButtonSavePreset)
    return nullptr;
  return gPane.buttons[button - 1];
}

int32_t AddGalleryFileItem(TKControl* pane, const QVFileRef* file, const char* comment, uint64_t parentID) {
  GalleryModel& m = Gallery();
  bool wasAdding = m.adding;
  m.adding = true;
  GalleryItem* item = NewGalleryFileItem(file, false, parentID);
  m.adding = wasAdding;
  if (!item) return 0;
  GalleryCopyText(item->comment, comment);
  if (pane && pane == GalleryPane() && !item->parent) AddRowFor(gPane.list, item);
  return 0;
}

GalleryItem* AddGalleryFolderItem(TKControl* pane, const char* name, const char* comment, int64_t date, uint64_t id,
                                  uint64_t parentID) {
  GalleryItem* parent = nullptr;
  if (parentID != 0) {
    parent = FindGalleryItemByID(Gallery().root, parentID);
    if (!parent || !parent->folder) return nullptr;
  }
  GalleryItem* folder = NewGalleryFolderItem(parent, name, comment);
  folder->date = date;
  folder->id = id;
  if (pane && pane == GalleryPane() && !parent) AddRowFor(gPane.list, folder);
  return folder;
}

void AddProjectFootageToGallery(int32_t count, const CCFootageRecord* records, TKControl* pane) {
  for (GalleryItem* item : GalleryAddFootage(count, records))
    if (pane && pane == GalleryPane()) AddRowFor(gPane.list, item);
}

void RebuildPresetGalleryFolders() {
  GalleryRebuildPresetFolders();
  if (TKControl* pane = GalleryPane()) GalleryReloadList(pane);
}

void SortAndRedrawGallery(TKControl* pane) {
  if (!pane || pane != GalleryPane()) return;
  TKListEndEditing(gPane.list, true);
  GalleryModel& m = Gallery();
  bool wasAdding = m.adding;
  m.adding = true;
  SortByPrefs(gPane.list);
  TKDrawControl(pane);
  m.adding = wasAdding;
}

void SaveGalleryColumnPrefs(TKControl* pane, PrefsSettings* prefs) {
  if (!pane || pane != GalleryPane() || !prefs) return;
  TKListEndEditing(gPane.list, true);
  for (int32_t c = 0; c < 5; ++c) {
    prefs->galleryColID[c] = int32_t(kColumnIDs[c]);
    prefs->galleryColWidth[c] = TKListGetColumnWidth(gPane.list, c);
    prefs->galleryColPosition[c] = TKListGetColumnPosition(gPane.list, c);
  }
  int32_t sorted = TKListSortColumn(gPane.list);
  if (sorted >= 0) {
    prefs->gallerySortCol = int32_t(kColumnIDs[sorted]);
    prefs->gallerySortOrder = TKListSortAscending(gPane.list) ? 1 : kDecreasing;
  }
}

void PFSaveGallery(TKControl*) { UIReportSaveFailure(PLPrefsDomainPath(kPFDomain), GalleryStoreTree()); }

void PFLoadGallery(TKControl* pane) {
  GalleryLoadTree();
  GalleryRebuildPresetFolders();
  GalleryReloadList(pane);
  SortAndRedrawGallery(pane);
}
