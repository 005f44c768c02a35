// The gallery tree kept in the preferences domain between runs.
//
// Keys, n counting from 1 in enumeration order (parents before children):
//   "Gallery File Count"              integer   number of stored items
//   "Gallery File Alias n"            data      files: the file's alias (its path)
//   "Gallery File Comment n"          string    files and folders
//   "Gallery File Parent ID n"        integer   64-bit ID of the holding folder, 0 the root
//   "Gallery File Folder Flag n"      integer   folders: 1
//   "Gallery File Name n"             string    folders
//   "Gallery File Folder ID n"        integer   folders: their own 64-bit ID
//   "Gallery File Date n"             integer   folders: seconds since 1904
//   "Gallery File Settings Flag n"    integer   never written; an item carrying it is skipped
// Project footage and the preset files found on disk are not stored.
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/library/gallery_model.h"
#include "app/library/gallery_presets.h"
#include "platform/prefs_store.h"
#include "settings/prefs.h"
#include "support/aliases.h"

namespace {

constexpr int32_t kOldKeysLimit = 5000;

std::string Key(const char* what, long n) {
  char key[96];
  std::snprintf(key, sizeof key, "Gallery File %s %ld", what, n);
  return key;
}

// An alias's path, when it is one and names an existing item.
bool ResolveAlias(const std::vector<uint8_t>& alias, QVFileRef* out) {
  if (alias.empty() || alias.size() >= kQVMaxPath) return false;
  if (std::memchr(alias.data(), 0, alias.size())) return false;
  std::string path(alias.begin(), alias.end());
  return PLFileRefFromPath(path.c_str(), out) == kQVNoErr;
}

std::string ReadText(const std::string& key, size_t maxBytes) {
  std::string text;
  PLPrefsGetString(kPFDomain, key.c_str(), &text);
  if (text.size() > maxBytes) text.resize(maxBytes);
  return text;
}

// Stored order is list order: each loaded item goes after the ones loaded
// before it into the same list (tails remembers the last of each list).
void Append(GalleryItem* item, GalleryItem* parent, std::unordered_map<GalleryItem*, GalleryItem*>& tails) {
  GalleryUnlink(item);
  auto it = tails.find(parent);
  if (it == tails.end()) {
    GalleryLinkAtTail(item, parent);
  } else {
    GalleryItem* last = it->second;
    item->parent = parent;
    item->prev = last;
    item->next = last->next;
    if (last->next) last->next->prev = item;
    last->next = item;
  }
  tails[parent] = item;
}

}  // namespace

QVStatus GalleryStoreTree() {
  int32_t oldCount = 0;
  PLPrefsGetInt32(kPFDomain, "Gallery File Count", &oldCount);
  if (oldCount > 0 && oldCount < kOldKeysLimit) {
    static const char* const kKinds[] = {"Comment", "Alias", "Parent ID", "Folder Flag", "Name", "Folder ID",
                                         "Settings Flag"};
    for (long n = 1; n <= oldCount; ++n)
      for (const char* kind : kKinds) PLPrefsRemove(kPFDomain, Key(kind, n).c_str());
  }
  // Every key is tried; the first refusal is what the caller hears.
  QVFirstFailure failure;
  long n = 1;
  GalleryItemInfo info;
  GalleryItem* item = nullptr;
  for (int32_t index = 1;; ++index) {
    int32_t got = GetGalleryItemInfo(index, &info, &item);
    if (!item) break;
    if (!got || info.settingsPreset) continue;
    if (!info.folder) {
      std::vector<uint8_t> alias = QVNewAlias(&info.file);
      if (!alias.empty())
        failure.Note(PLPrefsSetData(kPFDomain, Key("Alias", n).c_str(), alias.data(), alias.size()));
    }
    failure.Note(PLPrefsSetString(kPFDomain, Key("Comment", n).c_str(), info.comment));
    failure.Note(PLPrefsSetInt64(kPFDomain, Key("Parent ID", n).c_str(), int64_t(info.parentID)));
    if (info.folder) {
      failure.Note(PLPrefsSetInt32(kPFDomain, Key("Folder Flag", n).c_str(), 1));
      failure.Note(PLPrefsSetString(kPFDomain, Key("Name", n).c_str(), info.name));
      failure.Note(PLPrefsSetInt64(kPFDomain, Key("Folder ID", n).c_str(), int64_t(info.id)));
      failure.Note(PLPrefsSetInt64(kPFDomain, Key("Date", n).c_str(), info.date));
    }
    ++n;
  }
  failure.Note(PLPrefsSetInt32(kPFDomain, "Gallery File Count", int32_t(n - 1)));
  failure.Note(PLPrefsSynchronize(kPFDomain));
  return failure.status;
}

void GalleryLoadTree() {
  int32_t count = 0;
  PLPrefsGetInt32(kPFDomain, "Gallery File Count", &count);
  if (count > kGalleryMaxStoredItems) count = kGalleryMaxStoredItems;
  GalleryModel& m = Gallery();
  bool wasAdding = m.adding;
  m.adding = true;
  // Folders loaded so far by ID (the first of equal IDs wins), so that a
  // long stored list loads in linear time.
  std::unordered_map<uint64_t, GalleryItem*> folders;
  std::unordered_map<GalleryItem*, GalleryItem*> tails;
  for (long n = 1; n <= count; ++n) {
    int32_t folderFlag = 0, settingsFlag = 0;
    int64_t parentID = 0;
    PLPrefsGetInt32(kPFDomain, Key("Folder Flag", n).c_str(), &folderFlag);
    PLPrefsGetInt32(kPFDomain, Key("Settings Flag", n).c_str(), &settingsFlag);
    PLPrefsGetInt64(kPFDomain, Key("Parent ID", n).c_str(), &parentID);
    if (settingsFlag) continue;
    // The parent must be a folder that exists by now; items point only to
    // items before them, so no loop can form.
    GalleryItem* parent = nullptr;
    if (parentID != 0) {
      auto it = folders.find(uint64_t(parentID));
      if (it == folders.end()) continue;
      parent = it->second;
    }
    std::string comment = ReadText(Key("Comment", n), 1023);
    if (!folderFlag) {
      std::vector<uint8_t> alias;
      QVFileRef file;
      if (!PLPrefsGetData(kPFDomain, Key("Alias", n).c_str(), &alias) || !ResolveAlias(alias, &file)) continue;
      if (GalleryItem* item = GalleryNewFileItemIn(&file, false, parent)) {
        GalleryCopyText(item->comment, comment.c_str());
        Append(item, parent, tails);
      }
      continue;
    }
    std::string name = ReadText(Key("Name", n), 127);
    int64_t id = 0, date = 0;
    PLPrefsGetInt64(kPFDomain, Key("Folder ID", n).c_str(), &id);
    PLPrefsGetInt64(kPFDomain, Key("Date", n).c_str(), &date);
    GalleryItem* folder = NewGalleryFolderItem(parent, name.c_str(), comment.c_str());
    Append(folder, parent, tails);
    folder->id = uint64_t(id);
    folder->date = date;
    folders.emplace(uint64_t(id), folder);
  }
  m.adding = wasAdding;
}
