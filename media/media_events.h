// Media events of class 'QVMe' posted to the main thread: a job's
// completion ('MEcm'), and a request for an output file ('MEpl') for
// posters that ask through an event rather than a call.
#pragma once

#include <cstdint>

#include "media/output_job.h"
#include "platform/fourcc.h"

enum : uint32_t {
  kQVMediaEventClass = QVFourCC("QVMe"),
  kQVMediaEventCompletion = QVFourCC("MEcm"),
  kQVMediaEventPlaceFile = QVFourCC("MEpl"),
};

// Where a movie job's output goes: the chosen folder and file name.
struct QVMediaExportState {
  QVFileRef folder;
  char name[256];
};

struct QVMediaEvent {
  uint32_t eventClass;
  uint32_t kind;
  QVOutputJobParams* params;
  uint32_t result;            // 'MEcm'
  QVMediaExportState* state;  // 'MEpl'
  int32_t* statusWord;        // 'MEpl': the dialog's status is written here
};

// Installs the handler: posts wake the toolkit's loop (when it runs).
void QVMediaInstallEventHandler();
// Any thread.
uint32_t QVMediaPostJobCompletion(QVOutputJobParams* params, uint32_t result);
uint32_t QVMediaPostPlaceFile(QVOutputJobParams* params, QVMediaExportState* state, int32_t* statusWord);
// Main thread: handles the events posted so far; returns how many.
int QVMediaDrainEvents();
// kQVErrNotHandled for another class.
QVStatus QVMediaEventHandler(const QVMediaEvent* event);
// Main thread: the save dialog "Save Output As" suggesting the output name
// without its extension; on acceptance the folder and name go into the
// state and the record. The dialog's status (-128 when cancelled).
int32_t QVMediaRequestSaveFile(QVOutputJobParams* params, QVMediaExportState* state);
