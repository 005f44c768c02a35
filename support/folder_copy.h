// Copying a file or a whole folder tree into another folder, and deleting
// a folder's contents. A copy carries the data, the permissions, the
// modification date and the extended attributes (type and creator among
// them); links are copied as links.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/file_ref.h"
#include "platform/status.h"

// A folder copied into itself or into one of its own sub-folders.
constexpr QVStatus kQVErrIntoOwnFolder = -122;

// A singly linked list of data pointers; the dispose procedure frees items.
using CopyListDisposeProc = void (*)(void* data);
struct CopyListNode {
  CopyListNode* next;
  void* data;
};
struct CopyList {
  CopyListNode* head;
  CopyListNode* tail;
  uint32_t count;
  CopyListDisposeProc dispose;
};

void CopyListInit(CopyList* list, CopyListDisposeProc dispose);
CopyListNode* CopyListFirst(const CopyList* list);
CopyListNode* CopyListNext(const CopyListNode* node);
void* CopyListItemData(const CopyListNode* node);
// kQVErrParam without a list or data, kQVErrMemory when no node can be had.
QVStatus CopyListAppend(CopyList* list, void* data);
// Moves every node of from into into after the node given (at the head when
// none); only when both lists share one dispose procedure (else
// kQVErrParam). from is left empty.
QVStatus CopyListSplice(CopyList* into, CopyList* from, CopyListNode* after);
// Disposes of every item and frees the nodes; the list is left empty.
void CopyListDispose(CopyList* list);

// Deletes everything inside the folder, depth first; an item the owner may
// not write is made writable first. Stops at the first error.
QVStatus DeleteFolderContents(const QVFileRef* folder);

// What a copy does when the destination already holds an item of its name.
enum QVDuplicateAction : int32_t {
  kQVDuplicateFail = 0,     // kQVErrDuplicate (-48), nothing changes
  kQVDuplicateReplace = 1,  // the old item is moved aside, deleted after a good copy, put back after a failed one
  kQVDuplicateSkip = 2,     // the old item stays; 0
};

// Copies the file or folder into the destination folder, under newName when
// given (else the source's name), down to maxDepth levels of a folder's
// contents (0: no limit; 1: its own entries, sub-folders made empty). The
// new item's reference in out when given. A failed copy leaves nothing of
// itself behind. kQVErrIntoOwnFolder for a folder copied into itself or a
// folder inside it.
QVStatus CopyFileSystemObject(const QVFileRef* source, const QVFileRef* destinationFolder, uint32_t maxDepth,
                              QVDuplicateAction duplicateAction, const char* newName, QVFileRef* out);
// One file's copy: the file is made (owner-writable while it fills),
// its data moves through a buffer of bufferSize bytes, then its mode, date
// and attributes follow. A failed copy deletes the partial file.
QVStatus CreateFileCopy(const char* source, const char* destination, size_t bufferSize);
// The copy buffer for two folders: 256 KB, or a quarter of a folder's
// reported transfer size rounded down to 512 bytes, held to 1 KB .. 2 MB;
// the smaller of the two.
size_t CopyBufferSize(const char* sourceFolder, const char* destinationFolder);
