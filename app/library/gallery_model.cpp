// The gallery's item tree: lists, searches, new items, the file-kind table,
// ordering, button states and the enumeration that stores the tree.
#include "app/library/gallery_model.h"

#include <cctype>
#include <cstring>
#include <ctime>
#include <random>

#include "app/library/gallery_icons.h"
#include "platform/fourcc.h"
#include "platform/ui/ui_draw.h"
#include "settings/preset_file.h"
#include "support/alerts.h"
#include "support/folder_walk.h"

namespace {

GalleryModel gModel;
GalleryMediaHooks gMedia;

const GalleryFileKind kKinds[21] = {
    {QVFourCC("MooV"), "mov", "QuickTime Movie", true},
    {QVFourCC("AVIC"), "avi", "AVI Movie", true},
    {QVFourCC("mpg4"), "mp4", "MPEG-4", true},
    {QVFourCC("xx?x"), "zrx", "Zrn Image File", false},
    {QVFourCC("xx?x"), "zrn", "Zrn Image File", false},
    {QVFourCC("PICT"), "pct", "PICT", false},
    {QVFourCC("PICT"), "pict", "PICT", false},
    {QVFourCC("TIFF"), "tif", "TIFF", false},
    {QVFourCC("TIFF"), "tiff", "TIFF", false},
    {QVFourCC("PNTG"), "pnt", "MacPaint", false},
    {QVFourCC("QTIF"), "qt", "QuickTime Image", false},
    {QVFourCC("TPIC"), "tga", "Targa", false},
    {QVFourCC("BMPf"), "bmp", "BMP", false},
    {QVFourCC("PNGf"), "png", "PNG", false},
    {QVFourCC("8BPS"), "psd", "Photoshop", false},
    {QVFourCC(".SGI"), "sgi", "SGI", false},
    {QVFourCC("JPEG"), "jpg", "JPEG", false},
    {QVFourCC("JFIF"), "jpeg", "JPEG", false},
    {QVFourCC("JPEG"), "jpg", "JPEG", false},
    {QVFourCC("jp2 "), "jp2", "JPEG 2000", false},
    {QVFourCC("PDF "), "pdf", "Portable Document Format", false},
};

constexpr const char* kAlertTitle = "Velmora 3 UI";

GalleryItem* NewItem() {
  auto* item = new GalleryItem;
  // Reference numbers wrap past the 32-bit range without reaching 0 or a live one.
  do {
    item->refNum = gModel.nextRefNum++;
    if (gModel.nextRefNum <= 0) gModel.nextRefNum = 1;
  } while (item->refNum <= 0 || gModel.byRef.count(item->refNum));
  gModel.byRef[item->refNum] = item;
  return item;
}

// The lower-cased extension of a path, at most 64 characters.
std::string ExtensionOf(const char* path) {
  const char* slash = std::strrchr(path, '/');
  const char* base = slash ? slash + 1 : path;
  const char* dot = std::strrchr(base, '.');
  if (!dot || dot == base) return {};
  std::string ext(dot + 1, strnlen(dot + 1, 64));
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

// Natural order of shown names: case-insensitive, runs of digits by value.
int CompareNames(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[j]);
    if (std::isdigit(x) && std::isdigit(y)) {
      size_t i2 = i, j2 = j;
      while (i2 < a.size() && a[i2] == '0') ++i2;
      while (j2 < b.size() && b[j2] == '0') ++j2;
      size_t ie = i2, je = j2;
      while (ie < a.size() && std::isdigit(static_cast<unsigned char>(a[ie]))) ++ie;
      while (je < b.size() && std::isdigit(static_cast<unsigned char>(b[je]))) ++je;
      if (ie - i2 != je - j2) return ie - i2 < je - j2 ? -1 : 1;
      int c = a.compare(i2, ie - i2, b, j2, je - j2);
      if (c) return c < 0 ? -1 : 1;
      i = ie;
      j = je;
      continue;
    }
    int cx = std::tolower(x), cy = std::tolower(y);
    if (cx != cy) return cx < cy ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

}  // namespace

GalleryModel& Gallery() { return gModel; }
GalleryMediaHooks& GalleryMedia() { return gMedia; }

void GalleryResetModel() {
  while (gModel.root) DisposeGalleryItem(gModel.root, true);
  gModel = GalleryModel{};
}

const GalleryFileKind* GalleryKindForFile(uint32_t type, const char* extension) {
  std::string ext = extension ? extension : "";
  for (const GalleryFileKind& k : kKinds)
    if ((type != 0 && type == k.type) || (!ext.empty() && ext == k.extension)) return &k;
  return nullptr;
}

GalleryItem** GalleryListHead(GalleryItem* folder) { return folder ? &folder->firstChild : &gModel.root; }

GalleryItem* FindGalleryItemByID(GalleryItem* list, uint64_t id) {
  GalleryItem* found = nullptr;
  GalleryForEach(list, [&](GalleryItem* i) {
    if (!found && i->id == id) found = i;
  });
  return found;
}

GalleryItem* FindGalleryItemByName(GalleryItem* list, const char* name) {
  GalleryItem* found = nullptr;
  if (!name) return nullptr;
  GalleryForEach(list, [&](GalleryItem* i) {
    if (!found && std::strcmp(i->name, name) == 0) found = i;
  });
  return found;
}

GalleryItem* GalleryItemFromRef(int32_t refNum) {
  auto it = gModel.byRef.find(refNum);
  return it == gModel.byRef.end() ? nullptr : it->second;
}

void GalleryLinkAtHead(GalleryItem* item, GalleryItem* folder) {
  GalleryItem** head = GalleryListHead(folder);
  item->prev = nullptr;
  item->next = *head;
  if (*head) (*head)->prev = item;
  *head = item;
  item->parent = folder;
}

void GalleryLinkAtTail(GalleryItem* item, GalleryItem* folder) {
  GalleryItem** head = GalleryListHead(folder);
  GalleryItem* last = *head;
  while (last && last->next) last = last->next;
  item->next = nullptr;
  item->prev = last;
  if (last) last->next = item;
  else *head = item;
  item->parent = folder;
}

void GalleryUnlink(GalleryItem* item) {
  GalleryItem** head = GalleryListHead(item->parent);
  if (item->prev) item->prev->next = item->next;
  else if (*head == item) *head = item->next;
  if (item->next) item->next->prev = item->prev;
  item->next = item->prev = nullptr;
  item->parent = nullptr;
}

void DisposeGalleryItem(GalleryItem* item, bool withChildren) {
  if (!item) return;
  if (withChildren) {
    // Without recursion: a stored tree may nest very deep.
    std::vector<GalleryItem*> below;
    GalleryForEach(item->firstChild, [&](GalleryItem* i) { below.push_back(i); });
    for (GalleryItem* i : below) {
      gModel.byRef.erase(i->refNum);
      if (gModel.enumCursor == i) gModel.enumCursor = nullptr;
    }
    for (GalleryItem* i : below) delete i;
    item->firstChild = nullptr;
  } else {
    // Children left behind move up to the item's own list rather than being lost.
    while (GalleryItem* child = item->firstChild) {
      GalleryUnlink(child);
      GalleryLinkAtHead(child, item->parent);
    }
  }
  if (gModel.enumCursor == item) gModel.enumCursor = nullptr;
  GalleryUnlink(item);
  gModel.byRef.erase(item->refNum);
  delete item;
}

bool MoveGalleryItem(GalleryItem* item, GalleryItem* folder) {
  if (!item) return false;
  for (GalleryItem* f = folder; f; f = f->parent)
    if (f == item) return false;
  if (folder && !folder->folder) folder = nullptr;
  GalleryUnlink(item);
  GalleryLinkAtHead(item, folder);
  return true;
}

void GalleryCopyText(char (&to)[kGalleryTextBytes], const char* from) {
  size_t n = from ? strnlen(from, kGalleryTextBytes - 1) : 0;
  // Never end inside a UTF-8 character.
  if (from && n == kGalleryTextBytes - 1 && (static_cast<unsigned char>(from[n]) & 0xC0) == 0x80)
    while (n > 0 && (static_cast<unsigned char>(from[n]) & 0xC0) == 0x80) --n;
  if (n) std::memcpy(to, from, n);
  to[n] = '\0';
}

uint64_t GalleryNewID() {
  static std::random_device device;
  uint64_t id = 0;
  while (id == 0) id = (uint64_t(device()) << 32) | uint64_t(device());
  return id;
}

int64_t GalleryLocalSeconds1904(int64_t unixSeconds) {
  time_t t = time_t(unixSeconds);
  struct tm local{};
  localtime_r(&t, &local);
  return unixSeconds + int64_t(local.tm_gmtoff) + 2082844800LL;
}

int64_t GalleryNowSeconds1904() { return GalleryLocalSeconds1904(int64_t(time(nullptr))); }

GalleryItem* NewGalleryFolderItem(GalleryItem* folder, const char* name, const char* comment) {
  GalleryItem* item = NewItem();
  std::snprintf(item->kind, sizeof item->kind, "%s", kGalleryKindFolder);
  GalleryCopyText(item->name, name);
  GalleryCopyText(item->comment, comment);
  item->date = GalleryNowSeconds1904();
  item->folder = 1;
  item->icon = GalleryFolderIcon();
  GalleryLinkAtHead(item, folder);
  return item;
}

GalleryItem* NewGalleryFileItem(const QVFileRef* file, bool transient, uint64_t parentID) {
  GalleryItem* parent = nullptr;
  if (parentID != 0) {
    parent = FindGalleryItemByID(gModel.root, parentID);
    if (!parent || !parent->folder) return nullptr;
  }
  return GalleryNewFileItemIn(file, transient, parent);
}

GalleryItem* GalleryNewFileItemIn(const QVFileRef* file, bool transient, GalleryItem* parent) {
  if (!file) return nullptr;
  GalleryItem* item = NewItem();
  GalleryLinkAtHead(item, parent);
  item->file = *file;
  item->file.path[kQVMaxPath - 1] = '\0';
  item->transient = transient ? 1 : 0;
  uint32_t type = 0, creator = 0;
  // It gives 0 where none is kept; the kind then follows the extension.
  QVIgnoreStatus(GetFSRefTypeAndCreator(&item->file, &type, &creator));
  std::string ext = ExtensionOf(item->file.path);
  if (const GalleryFileKind* k = GalleryKindForFile(type, ext.c_str())) {
    std::snprintf(item->kind, sizeof item->kind, "%s", k->kindName);
    item->movie = k->movie ? 1 : 0;
  }
  QVCatalogInfo info;
  if (QVGetCatalogInfo(&item->file, kQVCatInfoContentMod, &info) == kQVNoErr)
    item->date = GalleryLocalSeconds1904(info.contentModSeconds);
  if (item->kind[0] == '\0') {
    DisposeGalleryItem(item, true);
    if (!gModel.adding) QVErrorAlert(kAlertTitle, "Sorry, Velmora doesn't recognize that image format.", 1);
    return nullptr;
  }
  item->icon = GalleryFileIcon(&item->file, item->movie != 0, &item->sourceWidth, &item->sourceHeight);
  return item;
}

std::string GalleryShownName(const GalleryItem* item) {
  if (item->folder || item->settingsPreset) return item->name;
  const char* slash = std::strrchr(item->file.path, '/');
  return slash ? slash + 1 : item->file.path;
}

int GalleryCompare(const GalleryItem* a, const GalleryItem* b, uint32_t property) {
  int c = 0;
  if (property == QVFourCC("cmnt")) c = std::strcmp(a->comment, b->comment);
  else if (property == QVFourCC("type")) c = std::strcmp(a->kind, b->kind);
  else if (property == QVFourCC("date")) c = a->date < b->date ? -1 : a->date > b->date ? 1 : 0;
  else if (property == QVFourCC("name")) c = CompareNames(GalleryShownName(a), GalleryShownName(b));
  else if (property == QVFourCC("path")) c = std::strcmp(a->file.path, b->file.path);
  if (c) return c < 0 ? -1 : 1;
  return a->refNum < b->refNum ? -1 : a->refNum > b->refNum ? 1 : 0;
}

std::string GalleryColumnText(const GalleryItem* item, uint32_t property) {
  if (property == QVFourCC("name")) return GalleryShownName(item);
  if (property == QVFourCC("type")) return item->kind;
  if (property == QVFourCC("cmnt")) return item->comment;
  if (property == QVFourCC("path")) return (item->folder || item->settingsPreset) ? std::string() : item->file.path;
  return {};
}

bool GalleryItemDeletable(const GalleryItem* item) { return item && !item->systemPresets; }

GalleryButtonState GalleryButtonStates(const std::vector<GalleryItem*>& selected) {
  GalleryButtonState s;
  if (selected.empty()) return s;
  s.apply = true;
  for (const GalleryItem* i : selected) {
    bool plainFile = !i->folder && !i->settingsPreset;
    bool userPreset = !i->folder && i->settingsPreset && i->userPresets;
    bool ownFolder = i->folder && !i->systemPresets && !i->userPresets;
    if (plainFile || userPreset || ownFolder) s.remove = true;
  }
  return s;
}

int32_t GetGalleryItemInfo(int32_t index, GalleryItemInfo* info, GalleryItem** out) {
  GalleryModel& m = gModel;
  if (out) *out = nullptr;
  if (index == 1) {
    m.enumCursor = m.root;
    m.pendingHead = m.pendingTail = nullptr;
  }
  if (!m.enumCursor && m.pendingHead) {
    m.enumCursor = m.pendingHead;
    m.pendingHead = m.pendingHead->enumLink;
    if (!m.pendingHead) m.pendingTail = nullptr;
  }
  GalleryItem* item = m.enumCursor;
  if (!item) return 0;
  m.enumCursor = item->next;
  if (item->folder && item->firstChild) {
    GalleryItem* head = item->firstChild;
    head->enumLink = nullptr;
    if (m.pendingTail) m.pendingTail->enumLink = head;
    else m.pendingHead = head;
    m.pendingTail = head;
  }
  if (out) *out = item;
  if (item->transient) return 0;
  if (info) {
    info->file = item->file;
    info->comment = item->comment[0] ? item->comment : kGalleryBlankComment;
    info->date = item->date;
    info->folder = item->folder != 0;
    info->name = item->name;
    info->settingsPreset = item->settingsPreset != 0;
    info->id = item->id;
    info->parentID = item->parent ? item->parent->id : 0;
  }
  return 1;
}

void GalleryLoadPreset(GalleryItem* item) {
  if (!item || !item->settingsPreset || item->folder || item->presetLoaded || item->presetLoadFailed) return;
  if (!item->settings) {
    item->settings.reset(new (std::nothrow) VL_SettingsStruct);
    if (!item->settings) return;
    std::memset(item->settings.get(), 0, sizeof(VL_SettingsStruct));
    VL_SetDefaultControlValues(item->settings.get(), kVLMaskAll);
  }
  if (CCLoadSettingsFromRef(&item->file, item->settings.get()) == kQVNoErr) item->presetLoaded = 1;
  else item->presetLoadFailed = 1;
}

std::vector<GalleryItem*> GalleryAddFootage(int32_t count, const CCFootageRecord* records) {
  std::vector<GalleryItem*> added;
  if (count < 1 || !records) return added;
  if (count > kGalleryMaxFootage) count = kGalleryMaxFootage;
  bool wasAdding = gModel.adding;
  gModel.adding = true;
  for (int32_t n = 0; n < count; ++n) {
    // The path is bounded by its field whether or not it carries its NUL.
    char path[kCCFootagePathBytes + 1];
    size_t len = strnlen(records[n].path, kCCFootagePathBytes);
    std::memcpy(path, records[n].path, len);
    path[len] = '\0';
    if (len == 0) continue;
    QVFileRef ref{};
    if (len >= sizeof ref.path) continue;
    std::memcpy(ref.path, path, len + 1);
    if (GalleryItem* item = NewGalleryFileItem(&ref, true, 0)) {
      GalleryCopyText(item->comment, kGalleryFootageComment);
      added.push_back(item);
    }
  }
  gModel.adding = wasAdding;
  return added;
}
