// Progress reporting for work that runs off the main thread. Any thread asks
// for a progress window, changes its message and bar value and closes it by
// posting events of class 'QVPr'; only the main thread, draining those
// events, touches windows, through the progress view installed there. Ids 1
// to 49 name the windows; slot 0 is never used.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/fourcc.h"
#include "platform/status.h"

enum : uint32_t {
  kQVProgressEventClass = QVFourCC("QVPr"),
  kQVProgressCreateKind = QVFourCC("QVPd"),
  kQVProgressTextKind = QVFourCC("QVPt"),
  kQVProgressValueKind = QVFourCC("QVPv"),
  kQVProgressCloseKind = QVFourCC("QVPc"),
  kQVProgressCancelCommand = QVFourCC("VLn!"),
  kQVProgressPropertyCreator = QVFourCC("QVc3"),
  kQVProgressTextProperty = QVFourCC("prgt"),
  kQVProgressBarProperty = QVFourCC("prgb"),
};

constexpr uint32_t kQVProgressSlotCount = 50;       // ids 1 to 49
constexpr uint32_t kQVProgressIndeterminate = 0xFFFFFFFFu;
constexpr size_t kQVProgressTextBytes = 200;         // of a title or a message
constexpr uint32_t kQVProgressMovableModal = 0x1;    // style flag bit 0
constexpr int32_t kQVProgressUserCancelled = -128;   // written into the cancel word

// One posted event. Texts are cut to 200 bytes (at a character boundary).
struct QVProgressEvent {
  uint32_t eventClass;
  uint32_t kind;
  uint32_t id;
  char title[kQVProgressTextBytes + 1];
  char message[kQVProgressTextBytes + 1];
  int32_t width;           // 0: the default width
  uint32_t maximum;        // kQVProgressIndeterminate: an indeterminate bar
  bool showCancel;
  int32_t delayMs;         // 0: shown at once
  uint32_t styleFlags;
  int32_t* cancelWord;     // the caller's word, or null
  void* callback;          // carried, not used
  int32_t value;           // 'QVPv'
};

// Rectangles in a window's local coordinates.
struct QVProgressRect {
  int32_t top, left, bottom, right;
};

// Where a progress window's parts go: content size, message, bar and the
// optional Cancel button.
struct QVProgressLayout {
  int32_t contentWidth, contentHeight;
  QVProgressRect text, bar, cancel;  // cancel is empty without a Cancel button
};
QVProgressLayout QVProgressComputeLayout(int32_t width, bool showCancel);

// What the main thread asks of the view for a new window.
struct QVProgressWindowSetup {
  uint32_t id;
  const char* title;
  const char* message;
  QVProgressLayout layout;
  int32_t maximum;      // the bar's maximum as a control value
  bool indeterminate;
  bool showCancel;
  double showDelay;     // seconds; 0 shows at once
  bool movableModal;
};

// The windows themselves: a recording view in tests, the toolkit's windows
// in the programs. Every entry runs on the main thread; create returns the
// view's handle of the window (null when it cannot be made).
struct QVProgressView {
  void* (*create)(void* context, const QVProgressWindowSetup* setup);
  void (*setText)(void* context, void* window, const char* text);
  // The value as the bar's 16-bit control value; changed tells whether it
  // differs from the bar's value so far (the bar is redrawn only then).
  void (*setValue)(void* context, void* window, int16_t value, bool changed);
  void (*close)(void* context, void* window);
  // Lets the window repaint while the main thread is busy (may be null).
  void (*dispatchPending)(void* context);
  void* context;
};
// Installs the view the main thread drives (null: events change only the slots).
void QVProgressSetView(const QVProgressView* view);

// Called after each post, on the posting thread, so the main thread's loop
// wakes and drains. With no hook, posts are drained by whoever calls
// QVProgressDrainEvents (a program without an event loop, or a test).
using QVProgressWakeHook = void (*)(void* context);
void QVProgressSetWakeHook(QVProgressWakeHook hook, void* context);

// Any thread. The id (1 to 49), or a negative status: kQVErrBusy when 49
// windows are already open, kQVErrMemory when the event cannot be made.
int32_t QVProgressCreate(const char* title, const char* message, int32_t width, uint32_t maximum, bool showCancel,
                         int32_t delayMs, uint32_t styleFlags, int32_t* cancelWord, void* callback);
QVStatus QVProgressSetText(uint32_t id, const char* message);
QVStatus QVProgressSetValue(uint32_t id, int32_t value);
QVStatus QVProgressClose(uint32_t id);

// Main thread. Handles every event posted so far; returns how many.
int QVProgressDrainEvents();
// Handles one event: kQVErrNotHandled for another class.
QVStatus QVProgressEventHandler(const QVProgressEvent* event);
// A hit on the Cancel button of window id: -128 into its caller's word.
void QVProgressCancelHit(uint32_t id);
// The view's handle of window id; null when the slot is free or reserved.
void* QVProgressWindowOf(uint32_t id);
// Ids now reserved or open.
uint32_t QVProgressOpenCount();
