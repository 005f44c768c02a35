// The plug-in's side of the Full Interface exchange: the communication
// block it creates, fills, serves and removes, and the launch of the
// grading application. The block itself is laid out in settings/comm_block.h.
//
// Nothing the plug-in relies on is read back from the segment: the chunk
// size, the bytes sent, the read position in its frame copy and the host's
// in-data stay in this private record, and lengths the application writes
// are never used to copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/host/host_interface.h"
#include "platform/message_route.h"
#include "platform/processes.h"
#include "plugin/plugin_data.h"
#include "settings/comm_block.h"

// How an exchange ended.
enum UIHOutcome : int32_t {
  kUIHOutcomeDone = 0,      // the application said it was done (OK, Cancel or Quit)
  kUIHOutcomeFailed,        // the application could not take the frame (state 2)
  kUIHOutcomeGone,          // the application ended before it was done
  kUIHOutcomeNoAnswer,      // the application did not take the block or a chunk in time
  kUIHOutcomeInterrupted,   // the host asked the effect to stop
  kUIHOutcomeNotStarted,    // the application could not be launched (already reported)
};

struct UIHExchange {
  CCView view;                 // the attached block (native order: the plug-in writes it)
  int32_t segmentID = -1;
  const HIInData* in = nullptr;
  const VLGlobalData* globals = nullptr;
  // The frame's geometry as the plug-in made it.
  int32_t width = 0;
  int32_t height = 0;
  int32_t rowBytes = 0;
  int32_t timeStep = 0;
  uint32_t timeScale = 0;
  uint32_t chunkSize = 0;
  size_t frameBytes = 0;
  // What is being sent: the current frame copy and how far it has gone.
  std::vector<uint8_t> frame;
  size_t readPosition = 0;
  size_t toSend = 0;
  PLProcessSerial application = 0;
  UIHOutcome outcome = kUIHOutcomeNotStarted;
};

// The Full button's action: the whole exchange on the current frame.
// 0 when the application finished the exchange; kHIErrInterrupted when the
// host asked to stop; kHIErrUnfinished, after an alert that says why, when
// there was no exchange or it did not finish. Only a finished exchange
// brings a correction back.
HIError HandleDialog(const HIInData* in, HIOutData* out, HIParamDef* params[], HIWorld* output,
                     HIEventExtra* event, VLGlobalData* globals);

// Creates (mode 0600, exclusively) and attaches the segment for a frame of
// `frameBytes` in rows of `rowBytes`, and fills its sizes: the largest
// segment up to 1,500,000 bytes, else 524,288, else 262,144. A stale segment
// under the key whose creator has ended is removed first; a live one is left
// alone: the alert says that another exchange is open. A segment is stale
// when the host recorded in it (process id and start time) has ended, or,
// before a host is recorded, when its creator has ended or started after the
// segment was made (a reused process id). Shows "Unable to acquire
// sufficient shared memory" and returns false when no segment can be had or
// not one row fits.
bool AllocateCommBlock(size_t frameBytes, int32_t rowBytes, UIHExchange* x);
// Detaches and removes the segment.
void UIH_ReleaseCommBlock(UIHExchange* x);

// Posts the block, launches or finds the application and serves it (chunks
// and further clip frames) until it is done, fails, ends, stops answering or
// the host asks to stop (x->outcome says which). Returns the launch status,
// 0 when the application ran.
int32_t UIH_InvokeUIServer(UIHExchange* x);

// Finds the running application (same user, same exchange key) or launches
// it: the program named by VELMORA_UI_PROGRAM, else "velmora-ui" beside the
// plug-in module. 0, or -43 when no program is there, or the launch error.
int32_t UIH_LaunchServerIfNeeded(PLProcessSerial* application, bool* alreadyRunning);
constexpr const char* kUIHProgramVariable = "VELMORA_UI_PROGRAM";
constexpr const char* kUIHProgramName = "velmora-ui";

// The shared back-off of every wait: sleeps 8 ms, doubling after every fifth
// step up to 64 ms; a change seen resets it.
void UIH_BackOffStep();
void UIH_BackOffReset();
double UIH_BackOffMilliseconds();

// The input layer at `time` into a new zero-filled buffer of height x
// rowBytes: whole rows when the layer has the request's size, the two fields
// interleaved when it has half its height, zeroes otherwise; each row copy
// holds to both row sizes. Empty when the buffer cannot be made.
std::vector<uint8_t> AEGetClipFrame(int32_t time, int32_t timeStep, uint32_t timeScale, int32_t height,
                                    int32_t width, int32_t rowBytes, const HIInData* in,
                                    const VLGlobalData* globals, bool* made);
// Bytes 28 to 35 of the block: time display, frames per foot, drop flag,
// rate x 100 and starting frame, from the host's preference when it tells.
void AEGetTimecodeFormatting(const HIBasicSuite* basic, int32_t timeScale, int32_t timeStep, CCUIComm* block);
// The project's video and still footage paths into the block's list.
void UIH_FillFootageList(const HIBasicSuite* basic, CCUIComm* block);

constexpr uint32_t kUIHEventClass = QVFourCC("VLae");
constexpr uint32_t kUIHEventGetClipFrame = QVFourCC("VLgf");
constexpr uint32_t kUIHEventToggleVideoPreview = QVFourCC("VLtp");
constexpr uint32_t kUIHEventColorManageFrame = QVFourCC("VLcm");
// The host's command that toggles its own video preview.
constexpr int32_t kUIHHostCommandTogglePreview = 3089;

// The 'VLae' handlers, serving the exchange `x` (their refcon). Each event
// carries a whole block (86,564 to 86,568 bytes of 'magn') in the
// plug-in's byte order; only the exchange's own application is answered.
// 'VLgf' answers with the clip frame at the carried block's current time
// (row bytes x height of 'magn', released by VLCB_DisposeFunc after the
// reply is written); a block whose frame geometry or timing differs from
// the exchange's is refused (kQVErrParam). 'VLtp' asks the host to run its
// preview-toggle command; 'VLcm' reads the block and answers 0.
QVStatus AEHandlerGetClipFrame(const PLMessage& message, PLDescriptor* reply, void* refcon);
QVStatus AEHandlerToggleVideoPreview(const PLMessage& message, PLDescriptor* reply, void* refcon);
QVStatus AEHandlerColorManageFrame(const PLMessage& message, PLDescriptor* reply, void* refcon);
void VLCB_DisposeFunc(const uint8_t* data, void* refcon);
// Installs the three handlers for `x`; removes 'VLgf' and 'VLtp' (the
// colour-manage handler stays, answering 0). Install is true when the
// process's route is open with them: the application then asks for clip
// frames by 'VLae' events. Without a route it asks through the block's
// request and answer words, which the exchange's wait serves as well.
bool UIH_InstallMessageHandlers(UIHExchange* x);
void UIH_RemoveMessageHandlers();

// Waits for the application like UIH_InvokeUIServer, serving events but no
// chunks, until the state is 2 or 4 or the application has ended; the
// handlers are installed for the wait and the application is forgotten
// after it. x->outcome says how it ended.
void UIH_WaitForUIServer(UIHExchange* x);
// Records the host, launches or finds the application and returns without
// waiting; an application already running is brought to the front 100 ms
// later by TimerDoSetFrontTask. Returns the launch status.
int32_t UIH_InvokeUIServerNoWait(UIHExchange* x);
void TimerDoSetFrontTask();
// Lets the application run for `ticks`, pumping with the back-off; with a
// block, ends early as the waits do (the state neither 1 nor 3, or a frame
// asked for).
void UIH_LetOtherAppRun(int32_t ticks, const UIHExchange* x);
