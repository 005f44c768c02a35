// Media file references: one handle for every clip the application can show
// or render (movie, DPX or Cineon image or sequence, still, broadcast WAVE
// audio), with its geometry, rate, position, metadata and lock.
// Every function returns a QVMediaErr unless noted. A reference is valid
// while the library is started and its magic word is present.
#pragma once

#include <cstddef>
#include <cstdint>

#include "media/dpx_header.h"
#include "media/media_errors.h"
#include "platform/file_ref.h"
#include "support/threads.h"

struct QVMovie;

constexpr uint32_t kQVMediaMagic = 0xFF123456u;

// Kind flags.
enum : uint32_t {
  kQVMediaOpened = 0x1,
  kQVMediaMovie = 0x2,
  kQVMediaSequence = 0x4,
  kQVMediaStill = 0x8,
  kQVMediaPictureFile = 0x10,
  kQVMediaDPX = 0x20,
  kQVMediaCineon = 0x40,
  kQVMediaExtra = 0x80,
  kQVMediaNotCacheable = 0x100,
  kQVMediaHasTimecodeTrack = 0x200,
  kQVMediaAudio = 0x400,
  kQVMediaTimeBasedMask = 0x486,
};

// Open flags.
enum : uint8_t {
  kQVMediaOpenNotCacheable = 0x2,
  kQVMediaOpenAskSequence = 0x4,
  kQVMediaOpenSingleImage = 0x8,
  kQVMediaOpenNoPictureFile = 0x10,
};

enum : uint32_t {
  kQVMetadataUndefined = 0,
  kQVMetadataInteger = 1,
  kQVMetadataFloat = 2,
  kQVMetadataText = 3,
};

struct QVMediaMetadataEntry {
  const char* key;
  uint32_t type;
  union {
    int32_t integer;
    float real;
    char* text;  // owned by the entry
  } value;
};

constexpr uint32_t kQVMediaMetadataCount = 13;
extern const char* const kQVMediaMetadataKeys[kQVMediaMetadataCount];

// The timecode state of a movie's current frame, kept in the per-frame block.
struct QVMovieTimecodeState {
  int32_t track;          // the timecode track's stream, -1 when none is known
  uint32_t flags;         // bit 0: the track counts drop-frame
  uint32_t quanta;        // whole frames per second the track counts
  int64_t counter;        // the timecode record: the frame counter of the current frame
};

// The 'fmt ' chunk of a WAVE file.
struct QVWaveFormat {
  uint16_t formatTag;
  uint16_t channelCount;
  uint32_t sampleRate;
  uint32_t byteRate;
  uint16_t blockAlign;
  uint16_t bitsPerSample;
  uint16_t extraSize;
};

struct QVMediaFileRef {
  uint32_t magic;
  QVMediaFileRef* next;
  QVMediaFileRef* previous;
  uint64_t serial;
  uint32_t flags;
  QVSemaphoreID lock;
  uint32_t nativeWidth, nativeHeight;
  uint32_t decodeWidth, decodeHeight;
  uint32_t rate;
  uint8_t dropRate;
  int64_t currentFrame;
  int64_t lastFrame;
  char path[1024];
  QVMediaMetadataEntry* metadata;
  uint32_t metadataCount;
  QVMovie* movie;
  uint8_t* moviePixels;  // the movie off-screen: 'BGRA' at the decode size
  uint32_t moviePixelFormat;
  uint32_t movieDepth;
  uint32_t movieRowBytes;
  uint8_t* stillPixels;  // the still off-screen: 'BGRA' at the native size
  uint8_t* pixels;
  uint32_t rowBytes;
  uint32_t pixelFormat;  // 'BGRA' for off-screens, 200 for DPX and Cineon
  int64_t firstSequenceNumber;
  uint32_t digitPosition, digitCount;
  char kindText[64];
  union {
    DPXHeaderInfo dpx;
    QVMovieTimecodeState movie;
    uint8_t bytes[576];
  } perFrame;
  uint8_t broadcastExtension[606];
  QVWaveFormat waveFormat;
  int32_t audioFile;  // open descriptor of a WAVE file, -1 when none
  uint32_t audioDataStart, audioDataLength;
  uint8_t* audioBuffer;
};
static_assert(sizeof(QVMediaFileRef::perFrame) == 576);

struct QVMediaAudioInfo {
  uint32_t sampleSize;
  double sampleRate;
  uint32_t channelCount;
  uint32_t pcm;
};

struct QVMediaFormatInfo {
  uint32_t width, height;
  float rate;
  int64_t frameCount;
  char text[1024];
  char kindText[128];
  char codecName[32];
  char rateText[16];
  QVMediaAudioInfo audio;
  uint8_t isMovie, isSequence, isTimeBased, hasVideo, hasAudio, extraFlag;
};

QVMediaErr QVMediaInitialize();
QVMediaErr QVMediaOpenFile(const QVFileRef* file, QVMediaFileRef** out, uint8_t openFlags);
QVMediaErr QVMediaOpenPath(const char* path, QVMediaFileRef** out, uint8_t openFlags);
QVMediaErr QVMediaCloseFile(QVMediaFileRef** ref);
bool QVMediaIsValidRef(const QVMediaFileRef* ref);
bool QVMediaIsTimeBased(const QVMediaFileRef* ref);
bool QVMediaHasVideo(const QVMediaFileRef* ref);
QVMediaErr QVMediaSetMetadataFloat(QVMediaFileRef* ref, uint32_t index, float value);
QVMediaErr QVMediaSetMetadataLong(QVMediaFileRef* ref, uint32_t index, int32_t value);
QVMediaErr QVMediaGetCurrentFrame(QVMediaFileRef* ref, int64_t* frame);
QVMediaErr QVMediaSetCurrentFrame(QVMediaFileRef* ref, int64_t frame);
QVMediaErr QVMediaGetImageSize(QVMediaFileRef* ref, uint32_t* width, uint32_t* height);
QVMediaErr QVMediaGetFormatInfo(QVMediaFileRef* ref, QVMediaFormatInfo* info);
// The file's creation date (its change time where the file system keeps no
// birth time) as seconds since 1 January 2001.
QVMediaErr QVMediaGetFileDates(QVMediaFileRef* ref, double* created);
QVMediaErr QVMediaGetFileName(QVMediaFileRef* ref, char* buffer, size_t length);
// Flag bit 0 asks for the choice; without it the sizes stay as given.
QVMediaErr QVMediaChooseDecodeSize(QVMediaFileRef* ref, uint32_t maximum, uint32_t* width, uint32_t* height,
                                   uint32_t flags);
QVMediaErr QVMediaGetFrameCount(QVMediaFileRef* ref, int64_t* count);
QVMediaErr QVMediaSetDecodeSize(QVMediaFileRef* ref, uint32_t width, uint32_t height);
QVMediaErr QVMediaGetDisplaySize(QVMediaFileRef* ref, uint32_t* width, uint32_t* height);
QVMediaErr QVMediaGetPosterFrame(QVMediaFileRef* ref, int64_t* frame);
