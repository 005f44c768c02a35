// The application's side of the exchange with the effect plug-in: attaching
// the block, importing the frame, asking for further clip frames, the
// exchange timer that starts each exchange and keeps the application alive
// between them, and the pane images sized to the frame.
//
// Nothing read from the block is trusted: the byte order is decided from
// word 0 before any other field is read, the version is checked on every
// attach, every length is checked against the frame's geometry and the
// segment's real size, and every wait on the plug-in ends when the host
// process is gone or after an overall time-out.
#pragma once

#include <cstdint>
#include <vector>

#include "core/frame_buffer.h"
#include "platform/status.h"
#include "settings/comm_block.h"

enum UIAttachResult : int32_t {
  kUIAttached = 0,
  kUINoBlock,        // no segment, not ours, not posted, or its host is gone
  kUIWrongVersion,   // a block of another version: state 2 written, detached
};

// Attaches the posted block into gUIComm. A block whose host process has
// ended is removed.
UIAttachResult UICommAttach();
// Detaches the block (removing the segment as well when `remove`).
void UICommDetach(bool remove);
uint32_t UICommState();
void UICommSetState(uint32_t state);
// The host process recorded in the block.
uint64_t UICommHostSerial();
// Once an exchange is attached: every pane's readout shows the host's frame
// in the host's timecode format.
void UICommSyncReadouts();

// Brings the frame in the block (whole or chunk by chunk) into the
// source frame, processes it and fills the pane images. 0, or the error
// that made it fail (the caller then writes state 2).
QVStatus UICommImportFrame();

// Asks the plug-in for the frame at the block's current time: through the
// block, or by a 'VLae'/'VLgf' event carrying the block when the plug-in
// asks for that (word 52976 non-zero). kQVNoErr with the frame's bytes (row
// bytes x height) in *buffer, or with *buffer empty when no frame came; a
// failed event's status otherwise.
QVStatus UICommRequestFrame(std::vector<uint8_t>* buffer);
// Asks the host, by a 'VLae'/'VLtp' event, to toggle its own video preview.
QVStatus UICommToggleVideoPreview();
// The idle procedure of the waits for the plug-in's replies: looks again
// every 50 ticks, never gives up before the time-out.
bool UICommAEIdleProc(int32_t* sleepTicks, void* refcon);
constexpr uint32_t kUICommEventClass = QVFourCC("VLae");
constexpr uint32_t kUICommEventGetClipFrame = QVFourCC("VLgf");
constexpr uint32_t kUICommEventToggleVideoPreview = QVFourCC("VLtp");

// Opens the application's message route with its handlers, and serves the
// events waiting on it (the exchange timer does, every tick).
void UIInstallEventHandlers();
void UIServeEvents();

// The exchange timer's procedure and the playback it ends with.
void UICommSessionTimer();
void UpdatePlayback();
// Installs the exchange timer: first after 0.1 s, then every 0.015 s.
void UICommInstallTimer();

// Makes the result, second, split-mask and fourth images at the frame's
// size (or only refreshes the pixel aspect when they have it).
QVStatus SetupImageGWorlds();
// The same at a size of the caller's (a frame loaded from a file).
QVStatus SetupImageGWorldsAt(int32_t width, int32_t height, float aspect);
// A frame read from a file as the new source frame (the shell's link).
QVStatus UIImportSourceFrame(const FBFrameStruct* frame, const uint32_t* linearization);
// After new pixels are in the source frame: the arrival noted, the input
// linearization applied, the display image and pane pictures refreshed and
// the result reprocessed (not drawn).
void UISourceFrameArrived();
void UIDisposeImageGWorlds();
void UIDisposeFrames();

// Tables from gUISettings, the source processed into the result, the result
// image refilled and the panes redrawn.
void UIReprocess(bool drawNow);
// Converts the source frame into the display image.
void UIRefreshDisplayImage();
// Asks the plug-in for the frame at the block's current time and brings it
// into the source frame and source picture; kQVErrFileNotFound when no
// frame came.
QVStatus UICommLoadCurrentFrame();
// The image panes' links to the exchange: its clip times and frames for
// host-frame scrubbing and the main image pane's reload.
void UIInstallPaneHooks();

// OK (the correction goes back) or Cancel: state 4, detach, hide the
// windows; the application then waits for the next exchange until the
// "UI Timeout Duration" runs out (at once with keeping alive switched off).
void UICommFinishExchange(bool ok);

// Called with every frame brought into the source frame, before the input
// linearization changes it (scripts describe the frame as it arrived).
void UISetFrameArrivalObserver(void (*observer)());
// Keeps a copy of the source frame as it arrived (gUIArrivedFrame), then
// tells the observer.
void UINoteFrameArrival();

// Whether a frame of the exchange is loaded whose arriving values are kept,
// so that the input linearization can be applied to it again.
bool UICanRelinearizeSourceFrame();
// The source frame made again from the frame as it arrived through the
// current record (gUILinearization), the display image and pane pictures
// refreshed, the result reprocessed and drawn. kQVErrParam when
// UICanRelinearizeSourceFrame is false (nothing changes then).
QVStatus UIRelinearizeSourceFrame();

// Clip-frame prefetch at a random time, as at the start of an exchange.
void UICommPrefetch();

// Application shutdown between exchanges (keep-alive over, host gone).
void UIQuitApplication();

// Waits until the plug-in has put the next chunk in; false when the host
// has gone or the wait limit passed.
bool UICommWaitForChunk();
