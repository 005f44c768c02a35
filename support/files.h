// File and folder operations by folder reference and name, and the folder
// walker. Statuses follow the platform's codes (-43 not found, -47 busy,
// -48 the name exists).
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_ref.h"
#include "platform/status.h"

QVStatus QVCreateDirFromFSRefCFString(const QVFileRef* folder, const std::string& name, QVFileRef* out);
// The status of finding the old name when that fails.
QVStatus QVRenameFileFromFSRefCFString(const QVFileRef* folder, const std::string& oldName,
                                       const std::string& newName, QVFileRef* out);
// Deletes a file or an empty folder. When the item is busy it is unlinked
// through its path and kQVErrBusy is returned whatever that did.
QVStatus QVDeleteFileFromFSRefCFString(const QVFileRef* folder, const std::string& name);
// Sets the file's type and creator codes (0 keeps the old one): 0,
// kQVErrFileNotFound when nothing is at the path, -1302 for a folder.
QVStatus QVChangeTypeAndCreatorFromPath(const char* path, uint32_t creator, uint32_t type);

// Called per item: a true result ends the walk of that folder.
using QVDirectoryCallback = bool (*)(const char* path, bool isFolder, bool isLink, uint32_t creator,
                                     uint32_t type, void* argument);
// Walks the folder's items in name order, calling the callback for each and
// descending into sub-folders (not links to them) up to depth levels; a
// depth below 1 does nothing. Items have no type or creator codes (0).
// Returns 0.
QVStatus QVIterateOverDirectoryPath(const std::string& folder, QVDirectoryCallback callback, int depth,
                                    void* argument);
QVStatus QVIterateOverDirectoryPathFromCarbon(const std::string& folder, QVDirectoryCallback callback, int depth,
                                              void* argument);
