// File-system operations on file references: the folder walker, a file's
// catalog information (with its type and creator codes), touching a
// folder's modification date and references made from a folder and a name.
// Statuses are the platform's (-43 not found, -50 a bad argument, -1302 a
// folder where a file is needed).
#pragma once

#include <cstdint>

#include "platform/file_ref.h"
#include "platform/status.h"

constexpr QVStatus kQVErrNotAFile = -1302;

// The parts of the catalog information a caller asks for.
enum : uint32_t {
  kQVCatInfoNodeFlags = 0x00000002,   // always given
  kQVCatInfoContentMod = 0x00000040,
  kQVCatInfoPermissions = 0x00000400,
  kQVCatInfoFinderInfo = 0x00000800,
  kQVCatInfoDataSizes = 0x00004000,
};
enum : uint16_t {
  kQVNodeLocked = 0x0001,     // the owner may not write it
  kQVNodeIsFolder = 0x0010,
  kQVNodeInvisible = 0x4000,  // its name begins with a dot
};

struct QVCatalogInfo {
  uint16_t nodeFlags = 0;
  uint8_t finderInfo[16] = {};     // type (4 bytes, big-endian), creator (4), flags
  uint8_t extFinderInfo[16] = {};
  uint64_t dataLogicalSize = 0;
  int64_t contentModSeconds = 0;   // since 1970
  uint32_t permissions = 0;        // POSIX mode bits
};

// The catalog information of one item; the node flags are always filled.
QVStatus QVGetCatalogInfo(const QVFileRef* ref, uint32_t wanted, QVCatalogInfo* info);

// Called for every entry of the walk; true stops the whole walk. The older
// file record (fileSpec) is always null here; the name is null unless asked
// for.
using QVIterateFilterProc = bool (*)(bool containerChanged, uint32_t depth, const QVCatalogInfo* info,
                                     const QVFileRef* ref, const void* fileSpec, const char* name,
                                     void* data);

// Walks the container's entries in name order, depth first (a sub-folder's
// entries straight after the sub-folder), down to maxDepth levels (0: no
// limit; 1: the container's own entries only). Links are reported and not
// followed into. kQVErrParam without a callback; otherwise the first error
// met (a folder that cannot be read), else 0.
QVStatus IterateFolderContents(const QVFileRef* container, uint32_t maxDepth, uint32_t wanted, bool wantFileSpec,
                               bool wantName, QVIterateFilterProc callback, void* data);

// The asked parts of an item's information: the 16 bytes of Finder
// information, the 16 extended bytes, whether it is a folder.
QVStatus GetFSRefNodeInfo(const QVFileRef* ref, uint8_t finderInfo[16], uint8_t extFinderInfo[16], bool* isFolder);
// A file's type and creator (0 keeps the old one); kQVErrNotAFile for a
// folder. Touches the parent folder afterwards.
QVStatus SetFSRefTypeAndCreator(const QVFileRef* ref, uint32_t creator, uint32_t type);
// The file's type and creator codes; 0 where none is kept.
QVStatus GetFSRefTypeAndCreator(const QVFileRef* ref, uint32_t* type, uint32_t* creator);
// Sets the content-modification date to now (one second past the stored
// date when that is not earlier than now). Always 0.
QVStatus TouchFSRefModificationDate(const QVFileRef* ref);
// The reference of the item called name in the folder: kQVErrParam without
// an output or with a name that is not one path component,
// kQVErrFileNotFound when there is no such item.
QVStatus MakeFSRefFromDirAndName(const QVFileRef* folder, const char* name, QVFileRef* out);
// Whether an entry name counts as hidden (it begins with a dot).
bool QVIsHiddenName(const char* name);
