// The gallery's preset folders and the gallery kept in the preferences.
#pragma once

#include <cstdint>
#include <string>

#include "platform/status.h"

// Disposes the folders "Settings Presets (System)" and "Settings Presets
// (User)" wherever they are and makes them again at the root from the preset
// files on disk (at most 64 levels deep; hidden entries skipped).
void GalleryRebuildPresetFolders();
// The user's preset folder (it may not exist yet); empty when the
// application-support folder cannot be had.
std::string GalleryUserPresetsPath();

// The tree in the preferences domain under numbered keys, parents first;
// project footage and the files of the preset trees are not stored. The
// domain is written to its file; the first key refused or a failed write is
// returned.
QVStatus GalleryStoreTree();
// Rebuilds the tree from the stored keys: missing values read as zero,
// files whose alias no longer resolves and items whose parent is not there
// are dropped, the stored count is bounded.
void GalleryLoadTree();
// The most stored items a load reads, whatever the stored count says.
constexpr int32_t kGalleryMaxStoredItems = 100000;
