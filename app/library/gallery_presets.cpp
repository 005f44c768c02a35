// The two preset folders of the gallery, made afresh from the preset files
// on disk: the system's under the local application-support folder and the
// user's under the user's own.
#include <cstring>
#include <string>
#include <vector>

#include "app/library/gallery_icons.h"
#include "app/library/gallery_model.h"
#include "app/library/gallery_presets.h"
#include "platform/folders.h"
#include "support/folder_walk.h"

namespace {

constexpr uint32_t kMaxDepth = 64;

struct Scan {
  bool system = false;
  std::vector<GalleryItem*> folders;  // by depth: the item that holds the entries one level down
};

void MarkTree(GalleryItem* item, bool system) {
  item->settingsPreset = 1;
  (system ? item->systemPresets : item->userPresets) = 1;
}

GalleryItem* ChildFolderNamed(GalleryItem* folder, const char* name) {
  for (GalleryItem* i = folder->firstChild; i; i = i->next)
    if (i->folder && std::strcmp(i->name, name) == 0) return i;
  return nullptr;
}

bool ScanEntry(bool, uint32_t depth, const QVCatalogInfo* info, const QVFileRef* ref, const void*, const char* name,
               void* data) {
  Scan& scan = *static_cast<Scan*>(data);
  if (depth == 0 || depth > kMaxDepth || !info || !ref || !name) return false;
  if (scan.folders.size() < depth + 1) scan.folders.resize(depth + 1, nullptr);
  GalleryItem* parent = scan.folders[depth - 1];
  bool isFolder = (info->nodeFlags & kQVNodeIsFolder) != 0;
  if (isFolder) scan.folders[depth] = nullptr;
  if (!parent || (info->nodeFlags & kQVNodeInvisible) || name[0] == '.') return false;
  if (isFolder) {
    GalleryItem* folder = ChildFolderNamed(parent, name);
    if (!folder) {
      folder = NewGalleryFolderItem(parent, name, kGalleryBlankComment);
      folder->date = GalleryLocalSeconds1904(info->contentModSeconds);
    }
    folder->id = GalleryNewID();
    folder->file = *ref;
    MarkTree(folder, scan.system);
    scan.folders[depth] = folder;
    return false;
  }
  std::string file = name;
  size_t dot = file.find_last_of('.');
  if (dot == std::string::npos || dot == 0) return false;
  std::string ext = file.substr(dot + 1);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  if (ext != "vlpreset") return false;
  GalleryItem* preset = NewGalleryFolderItem(parent, file.substr(0, dot).c_str(), kGalleryBlankComment);
  preset->folder = 0;
  std::snprintf(preset->kind, sizeof preset->kind, "%s", kGalleryKindPreset);
  preset->file = *ref;
  preset->date = GalleryLocalSeconds1904(info->contentModSeconds);
  preset->icon = GalleryPresetIcon();
  MarkTree(preset, scan.system);
  return false;
}

void FillFrom(GalleryItem* root, PLFolderKind domain, bool system) {
  QVFileRef support;
  if (PLFolderPath(domain, &support) != kQVNoErr) return;
  std::string path = std::string(support.path) + "/Quorvane/Velmora Presets";
  QVFileRef folder;
  if (PLFileRefFromPath(path.c_str(), &folder) != kQVNoErr || !PLPathIsFolder(folder.path)) return;
  root->file = folder;
  Scan scan;
  scan.system = system;
  scan.folders.push_back(root);
  // The presets that can be read are listed; an unreadable folder inside is left out.
  QVIgnoreStatus(IterateFolderContents(&folder, kMaxDepth, kQVCatInfoContentMod, false, true, ScanEntry, &scan));
}

}  // namespace

void GalleryRebuildPresetFolders() {
  GalleryModel& m = Gallery();
  for (const char* name : {kGallerySystemPresetsName, kGalleryUserPresetsName})
    while (GalleryItem* old = FindGalleryItemByName(m.root, name)) DisposeGalleryItem(old, true);
  // The user's folder is made first so the system's ends up at the head.
  GalleryItem* user = NewGalleryFolderItem(nullptr, kGalleryUserPresetsName, kGalleryBlankComment);
  user->id = GalleryNewID();
  MarkTree(user, false);
  user->settingsPreset = 0;  // the folder itself is stored like any folder
  GalleryItem* system = NewGalleryFolderItem(nullptr, kGallerySystemPresetsName, kGalleryBlankComment);
  system->id = GalleryNewID();
  MarkTree(system, true);
  system->settingsPreset = 0;
  FillFrom(system, kPLFolderSystemSupport, true);
  FillFrom(user, kPLFolderUserSupport, false);
}

std::string GalleryUserPresetsPath() {
  QVFileRef support;
  if (PLFolderPath(kPLFolderUserSupport, &support) != kQVNoErr) return {};
  return std::string(support.path) + "/Quorvane/Velmora Presets";
}
