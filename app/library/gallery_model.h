// The gallery's items: a tree of folders, reference images and movies, the
// project's footage and the correction presets of the two preset folders.
// Each list is doubly linked from its head (the root list, or a folder's
// first child); the tree lives in one process-wide model. Nothing here
// touches a window: the gallery pane (gallery_pane.h) shows the model.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/settings_record.h"
#include "platform/file_ref.h"
#include "platform/status.h"
#include "settings/comm_block.h"

struct TKImage;

constexpr const char* kGalleryKindFolder = "Folder";
constexpr const char* kGalleryKindPreset = "Settings Preset";
constexpr const char* kGallerySystemPresetsName = "Settings Presets (System)";
constexpr const char* kGalleryUserPresetsName = "Settings Presets (User)";
constexpr const char* kGalleryBlankComment = "          ";  // ten blanks
constexpr const char* kGalleryFootageComment = "Project footage";
constexpr size_t kGalleryTextBytes = 128;  // name and comment, NUL included
constexpr int32_t kGalleryMaxFootage = 200;

struct GalleryItem {
  GalleryItem* next = nullptr;
  GalleryItem* prev = nullptr;
  GalleryItem* firstChild = nullptr;
  GalleryItem* parent = nullptr;    // the folder holding the list, null for the root list
  GalleryItem* enumLink = nullptr;  // chains pending child lists while enumerating
  QVFileRef file{};
  int32_t sourceHeight = 0, sourceWidth = 0;  // filled when the thumbnail is made
  char kind[64] = {};
  char name[kGalleryTextBytes] = {};
  char comment[kGalleryTextBytes] = {};
  int64_t date = 0;  // seconds since 1904, local time
  uint64_t id = 0;   // folder identity
  std::shared_ptr<TKImage> thumbnail;
  bool thumbnailFailed = false;
  std::shared_ptr<TKImage> icon;
  uint8_t transient = 0;
  uint8_t movie = 0;
  uint8_t folder = 0;
  uint8_t open = 0;
  uint8_t settingsPreset = 0;
  uint8_t systemPresets = 0;
  uint8_t userPresets = 0;
  uint8_t presetLoaded = 0;
  uint8_t presetLoadFailed = 0;
  std::unique_ptr<VL_SettingsStruct> settings;  // read from the preset file on first use
  int32_t refNum = 0;  // the item's row ID in the list view, never 0
};

struct GalleryModel {
  GalleryItem* root = nullptr;  // head of the root list
  bool adding = false;          // bulk adding: no alerts for unknown files
  GalleryItem* enumCursor = nullptr;
  GalleryItem* pendingHead = nullptr;  // child lists still to visit, by their heads
  GalleryItem* pendingTail = nullptr;
  bool editing = false;  // a cell of the list is being edited
  int32_t nextRefNum = 1;
  std::unordered_map<int32_t, GalleryItem*> byRef;
};
GalleryModel& Gallery();
// Disposes every item and starts an empty model.
void GalleryResetModel();

// The file-kind table: 21 rows matched by type code or lower-cased extension.
struct GalleryFileKind {
  uint32_t type;
  const char* extension;
  const char* kindName;
  bool movie;
};
const GalleryFileKind* GalleryKindForFile(uint32_t type, const char* extension);

// What the media library does for the gallery: a thumbnail of at most
// maxWidth x maxHeight (the source size reported), and an image or movie
// made the reference picture. Null entries: thumbnails fail, apply does nothing.
struct GalleryMediaHooks {
  QVStatus (*makeThumbnail)(const QVFileRef* file, int32_t maxWidth, int32_t maxHeight, TKImage** out,
                            int32_t* sourceWidth, int32_t* sourceHeight) = nullptr;
  QVStatus (*applyReference)(const QVFileRef* file, int32_t width, int32_t height, bool redraw) = nullptr;
};
GalleryMediaHooks& GalleryMedia();

// Lists and searches. The head of the list a folder holds (the root list
// for null); depth-first searches by ID or exact name.
GalleryItem** GalleryListHead(GalleryItem* folder);
GalleryItem* FindGalleryItemByID(GalleryItem* list, uint64_t id);
GalleryItem* FindGalleryItemByName(GalleryItem* list, const char* name);
GalleryItem* GalleryItemFromRef(int32_t refNum);
void GalleryLinkAtHead(GalleryItem* item, GalleryItem* folder);
void GalleryLinkAtTail(GalleryItem* item, GalleryItem* folder);
void GalleryUnlink(GalleryItem* item);
// Unlinks the item and frees it (its children first, or they move nowhere:
// withChildren false is only for items without children).
void DisposeGalleryItem(GalleryItem* item, bool withChildren);
// Moves the item to the head of the folder's list (null: the root). False,
// and nothing moves, when the folder is the item or lies under it.
bool MoveGalleryItem(GalleryItem* item, GalleryItem* folder);
// Calls fn for the item and everything under it, parents first.
template <class Fn>
void GalleryForEach(GalleryItem* list, Fn fn) {
  std::vector<GalleryItem*> stack;
  for (GalleryItem* i = list; i; i = i->next) stack.push_back(i);
  std::reverse(stack.begin(), stack.end());
  while (!stack.empty()) {
    GalleryItem* item = stack.back();
    stack.pop_back();
    fn(item);
    std::vector<GalleryItem*> children;
    for (GalleryItem* c = item->firstChild; c; c = c->next) children.push_back(c);
    stack.insert(stack.end(), children.rbegin(), children.rend());
  }
}

// New items. Texts are cut to 127 bytes at a character boundary.
void GalleryCopyText(char (&to)[kGalleryTextBytes], const char* from);
uint64_t GalleryNewID();  // the first eight bytes of a fresh UUID, never 0
int64_t GalleryNowSeconds1904();
int64_t GalleryLocalSeconds1904(int64_t unixSeconds);
GalleryItem* NewGalleryFolderItem(GalleryItem* folder, const char* name, const char* comment);
// A file item under the folder with that ID (0: the root); null when the
// parent is missing or the file is of no known kind (with the alert "Sorry,
// Velmora doesn't recognize that image format." unless adding in bulk).
GalleryItem* NewGalleryFileItem(const QVFileRef* file, bool transient, uint64_t parentID);
// The same under a folder already found (null: the root).
GalleryItem* GalleryNewFileItemIn(const QVFileRef* file, bool transient, GalleryItem* parent);
// The shown name: the stored one for folders and presets, else the file's.
std::string GalleryShownName(const GalleryItem* item);
// Sort order of two items by column property ('name', 'type', 'cmnt', 'date');
// equal keys order by identity.
int GalleryCompare(const GalleryItem* a, const GalleryItem* b, uint32_t property);
// The text of a column for an item ('date' has none: it is a date cell).
std::string GalleryColumnText(const GalleryItem* item, uint32_t property);

// Button states for a selection.
struct GalleryButtonState {
  bool apply = false;
  bool remove = false;
};
GalleryButtonState GalleryButtonStates(const std::vector<GalleryItem*>& selected);
// Whether the delete button removes the item (system presets never go).
bool GalleryItemDeletable(const GalleryItem* item);

// Enumeration for storing: index 1 restarts. 1 with the item's data, 0 when
// the visited item is transient or nothing is left (*item null then).
struct GalleryItemInfo {
  QVFileRef file{};
  std::string comment;
  int64_t date = 0;
  bool folder = false;
  std::string name;
  bool settingsPreset = false;
  uint64_t id = 0;
  uint64_t parentID = 0;
};
int32_t GetGalleryItemInfo(int32_t index, GalleryItemInfo* info, GalleryItem** item);

// Loads a preset item's settings copy once (defaults, then the file).
void GalleryLoadPreset(GalleryItem* item);
// Adds the footage records of the exchange (at most 200; paths bounded to
// their field) as transient root items; the added items are returned.
std::vector<GalleryItem*> GalleryAddFootage(int32_t count, const CCFootageRecord* records);
