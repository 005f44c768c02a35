// The process-wide list of background jobs, shown by a list control with
// one row per job. Any thread adds and removes jobs; the rows are added and
// removed on the main thread, through the browser installed there.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/fourcc.h"
#include "platform/status.h"

struct QVOutputJob;

// Columns ("properties") of a row.
enum : uint32_t {
  kQVJobPropertyProgress = QVFourCC("prog"),
  kQVJobPropertyTask = QVFourCC("task"),
  kQVJobPropertyType = QVFourCC("ttyp"),
  kQVJobPropertyStatus = QVFourCC("stat"),
  kQVJobPropertyIsActive = 1,
  kQVJobPropertyIsEditable = 3,
  kQVJobPropertyIsContainer = 4,
  kQVJobButtonProperty = QVFourCC("btdl"),
};

constexpr QVStatus kQVErrPropertyNotSupported = -4979;

// The rows' owner. Every entry runs on the main thread.
struct QVJobListBrowser {
  void (*addRow)(void* context, uint32_t id);
  void (*removeRow)(void* context, uint32_t id);
  void* context;
};
// Null: the list keeps no rows anywhere.
void QVJobListSetBrowser(const QVJobListBrowser* browser);

// Any thread. Adds the job at the tail with the next id (the first is 1).
QVStatus QVJobListAdd(QVOutputJob* job, uint32_t* outId);
// Removes the job with that id; an id not in the list changes nothing.
QVStatus QVJobListRemove(uint32_t id);
// Asks the job with that id to stop after its current frame (its status
// becomes canceling); false when no such job is listed.
bool QVJobListCancel(uint32_t id);
void QVJobListMarkDirty();
// Reads and clears the dirty flag.
bool QVJobListTakeDirty();
// The ids in list order.
size_t QVJobListIds(uint32_t* ids, size_t capacity);
// Frees every node (the jobs are not touched).
void QVJobListFreeAll();

// The texts of the kind and status columns.
const char* QVJobKindText(uint32_t kind, uint32_t outputFormat);
const char* QVJobStatusText(uint32_t status);

// One cell: a text, a bar value (0 to 1,000) or a truth.
struct QVJobItemData {
  char text[1024];
  int32_t value;
  int32_t minimum, maximum;
  bool flag;
  bool hasData;  // false when the id is not in the list, or the property gives no answer
};
// The list's item-data answer: kQVErrPropertyNotSupported for a set request
// or an unknown property, else 0 (hasData false for an unknown id).
QVStatus QVJobListItemData(uint32_t id, uint32_t property, QVJobItemData* data, bool setValue);
