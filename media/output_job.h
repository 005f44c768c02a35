// Output jobs: render the frames of a source clip, optionally through the
// caller's frame callbacks (the colour correction), into a DPX, JPEG or TIFF
// sequence, a movie, or a movie for small devices. A job runs on the
// caller's thread or as its own background task; background jobs appear in
// the job list, report progress through the progress protocol and tell the
// caller the outcome through the completion callback.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/frame_buffer.h"
#include "media/media_file.h"
#include "platform/file_ref.h"
#include "platform/fourcc.h"

struct QVOutputJobParams;
struct QVOutputJob;

// Flags.
enum : uint32_t {
  kQVOutputShowProgress = 0x2,
  kQVOutputBackground = 0x4,
  kQVOutputFillFrame = 0x8,       // fill the output size keeping proportions (else fit inside)
  kQVOutputAskLocation = 0x10,    // a folder for sequences, a file for movies
  kQVOutputNoCompressionSession = 0x40,
};

// Output formats.
enum : uint32_t {
  kQVOutputMovie = 2,
  kQVOutputDevice = 3,
  kQVOutputDPXSequence = 4,
  kQVOutputJPEGSequence = 5,
  kQVOutputTIFFSequence = 6,
};

// Codec types of a movie: MJPEG, ProRes 422 and H.264.
enum : uint32_t {
  kQVCodecJPEG = QVFourCC("jpeg"),
  kQVCodecProRes422 = QVFourCC("apcn"),
  kQVCodecH264 = QVFourCC("avc1"),
  kQVExporterMPEG4 = QVFourCC("mpg4"),
};

// Job kinds and states shown by the job list.
enum : uint32_t {
  kQVJobKindGenerateOutput = 9,
  kQVJobPending = 1,
  kQVJobRunning = 2,
  kQVJobFinalizing = 3,
  kQVJobCanceling = 4,
  kQVJobPaused = 5,
};

// A file reference inside the record: the caller's reference, kept alive
// with the record, in an 80-byte field.
#pragma pack(push, 4)
struct QVOutputFileSlot {
  const QVFileRef* ref;
  uint8_t reserved[72];
};
static_assert(sizeof(QVOutputFileSlot) == 80);

// Format-specific settings, 132 bytes.
struct QVOutputWriteSettings {
  uint32_t frameRate;        // whole frames per second of the output
  uint8_t dropRate;          // the rate is frameRate / 1.001
  uint8_t multiPass;
  uint8_t synchronous;       // a movie job runs on the caller's thread even with the background flag
  uint8_t reserved0;
  uint32_t codec;            // kQVCodec...
  uint32_t exporterType;     // the device export's container
  uint32_t averageDataRate;  // bytes per second, 0 the codec's choice
  uint32_t depth;
  uint32_t spatialQuality;   // 0 to 1,023
  uint32_t temporalQuality;
  uint32_t keyFrameInterval;
  uint32_t dpxBits;
  uint8_t dpxLogarithmic;
  uint8_t reserved1[3];
  uint32_t dpxWhiteCode;
  uint32_t dpxBlackCode;
  float dpxGamma;
  float scale;
  uint8_t reserved2[72];
};
static_assert(sizeof(QVOutputWriteSettings) == 132);
static_assert(offsetof(QVOutputWriteSettings, dropRate) == 4);
static_assert(offsetof(QVOutputWriteSettings, codec) == 8);
static_assert(offsetof(QVOutputWriteSettings, dpxBits) == 36);
static_assert(offsetof(QVOutputWriteSettings, scale) == 56);

// Given every output frame (the provider) or every source frame at the
// decode size (filter, processor); false ends the frames.
using QVOutputFrameProc = bool (*)(FBFrameStruct* frame, int64_t frameNumber, QVMediaFileRef* source, void* refcon);
using QVOutputCompletionProc = void (*)(QVOutputJobParams* params, uint32_t result);

constexpr uint32_t kQVOutputJobParamsSize = 908;

struct QVOutputJobParams {
  uint32_t size;  // kQVOutputJobParamsSize
  uint32_t flags;
  QVOutputFileSlot source;
  QVOutputFileSlot outputFolder;
  uint32_t outputFormat;
  char outputName[256];  // UTF-8, with its extension
  uint32_t outputWidth, outputHeight;  // 0: the source's size
  QVOutputWriteSettings writeSettings;
  QVOutputFrameProc frameProvider;
  QVOutputFrameProc frameFilter;
  QVOutputFrameProc frameProcessor;
  void* refcon;
  QVOutputCompletionProc completion;
  void* completionRefcon;
  uint32_t lastReportedError;
  QVOutputJob* job;
  uint8_t reserved[280];
};
#pragma pack(pop)
static_assert(sizeof(QVOutputJobParams) == kQVOutputJobParamsSize);
static_assert(offsetof(QVOutputJobParams, source) == 8);
static_assert(offsetof(QVOutputJobParams, outputFolder) == 88);
static_assert(offsetof(QVOutputJobParams, outputFormat) == 168);
static_assert(offsetof(QVOutputJobParams, outputName) == 172);
static_assert(offsetof(QVOutputJobParams, outputWidth) == 428);
static_assert(offsetof(QVOutputJobParams, writeSettings) == 436);
static_assert(offsetof(QVOutputJobParams, frameProvider) == 568);
static_assert(offsetof(QVOutputJobParams, completion) == 600);
static_assert(offsetof(QVOutputJobParams, lastReportedError) == 616);
static_assert(offsetof(QVOutputJobParams, job) == 620);

// The record the job list shows, held by the job's task while it lives.
struct QVOutputJob {
  uint32_t kind;
  uint32_t outputFormat;
  uint32_t status;        // read and written with atomic operations
  char name[1024];
  float progress;         // 0 to 1
  uint8_t cancel;         // set when the user asks to cancel
  QVOutputJobParams params;
  int32_t cancelWord;     // the progress window's word: -128 once Cancel is hit
};

// Starts a job. A null record or a wrong size word, or an unknown format,
// calls the completion (when there is one) with 1006 and returns 1006.
// With the background flag the job's task is started and 0 returned; a
// queue or task that cannot be made calls the completion with 1005 and
// returns 1005. Otherwise the generator runs here, the completion is
// called with its result and the result returned.
uint32_t QVMediaStartOutputJob(QVOutputJobParams* params);

// The generators, run on the calling thread.
uint32_t QVMediaGenerateQuickTime(QVOutputJobParams* params);
uint32_t QVMediaGenerateDPXSequence(QVOutputJobParams* params);
// kind 'JPEG' or 'TIFF'.
uint32_t QVMediaGenerateImageSequence(QVOutputJobParams* params, uint32_t kind);

// Task entries of the four kinds (the movie entry serves the device too).
int32_t QVMediaQuickTimeTask(void* params);
int32_t QVMediaDPXSequenceTask(void* params);
int32_t QVMediaJPEGSequenceTask(void* params);
int32_t QVMediaTIFFSequenceTask(void* params);

// Background jobs started and not yet ended, and jobs now running.
uint32_t QVMediaOutstandingJobs();
uint32_t QVMediaRunningJobs();
// The most jobs that run at once; 0 counts as 1.
void QVMediaSetMaximumRunningJobs(uint32_t maximum);

// Asks a background job to stop after its current frame.
void QVMediaCancelOutputJob(QVOutputJob* job);

// Digits of a sequence's frame numbers for a clip of frameCount frames.
uint32_t QVOutputSequenceDigits(int64_t frameCount);
// The file name of frame n: the base name without its extension, "_", the
// number zero-padded to digits, the extension. False when it does not fit.
bool QVOutputSequenceFileName(const char* outputName, int64_t frame, uint32_t digits, char* out, size_t size);
// Makes a new folder named name inside parent, or "name 1", "name 2", ...
// when that name is taken; the made folder's path in out. 0 or the status.
QVStatus QVOutputMakeSequenceFolder(const char* parent, const char* name, char* out, size_t size);

// Shows a media error once per job (the code is remembered in the record).
void QVMediaShowRenderError(QVOutputJobParams* params, const char* context, uint32_t code);
