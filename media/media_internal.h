// What the media library's files share.
#pragma once

#include <cstddef>
#include <cstdint>

#include "media/media_file.h"

namespace media {

bool Started();
// 1002 unless the library is started and ref carries the magic.
QVMediaErr CheckRef(const QVMediaFileRef* ref);

// Holds the reference's lock; `held` tells whether it was had in time.
class RefLock {
 public:
  explicit RefLock(QVMediaFileRef* ref, int32_t timeoutMs = 500);
  ~RefLock();
  RefLock(const RefLock&) = delete;
  RefLock& operator=(const RefLock&) = delete;
  bool held() const { return held_; }

 private:
  QVMediaFileRef* ref_;
  bool held_;
};

// The file-kind table: the first row whose extension equals ext (any case).
struct KindRow {
  uint32_t type;
  const char* extension;
  const char* kindText;
  bool movie;
};
const KindRow* FindKind(const char* extension);
// The extension of the path's file name, without the dot ("" when none).
const char* PathExtension(const char* path);
bool ExtensionIs(const char* path, const char* extension);

// Whole rate and drop-rate flag of a frame rate f: a whole f is itself;
// otherwise the next whole rate c above f when |c x 0.999000999 - f| < 0.07
// (with the flag), else f rounded. Not a positive finite rate up to 1,000: 0.
void ClassifyRate(double f, uint32_t* rate, uint8_t* dropRate);

// Sequences: the digit run that ends the file name before its last dot (or
// ends the path), at most 16 digits. False when there is none.
bool FindDigitRun(const char* path, uint32_t* position, uint32_t* count, int64_t* value);
// The path with its digit run replaced by the last `count` digits of number.
void SequenceFramePath(const char* path, uint32_t position, uint32_t count, int64_t number, char* out, size_t size);
// Reads the DPX (or, with `cineon`, Cineon) file at path into 16-bit ARGB
// pixels of width x height, which its header must give; a DPX header goes
// into *info when info is not null. 0, QVMediaErr_MediaTooShort when there
// is no such file, or QVMediaErr_FileNotFound when it cannot be read at
// that size.
QVMediaErr ReadFilmFrameFile(const char* path, bool cineon, uint32_t width, uint32_t height, uint8_t* pixels,
                             uint32_t rowBytes, DPXHeaderInfo* info);
// Looks for the neighbours of ref's file; makes ref a sequence of two or
// more files (asking first with kQVMediaOpenAskSequence).
void SearchSequence(QVMediaFileRef* ref, uint8_t openFlags);

// WAVE: reads the chunks of the open file into ref; true when 'fmt ',
// 'bext' and 'data' were all found and the format is usable.
bool ReadWaveChunks(int fd, QVMediaFileRef* ref);
// The same walk over bytes in memory (the fuzz target's way in).
bool ParseWaveChunks(const uint8_t* bytes, size_t size, QVMediaFileRef* ref);

// Movie timing: the whole rate and drop-rate flag of a movie.
void MovieRate(const QVMovie* movie, uint32_t* rate, uint8_t* dropRate);
// The frame count of the movie's video track.
int64_t MovieFrameCount(const QVMovie* movie, uint32_t rate, uint8_t dropRate);

// Audio of a reference, its lock held by the caller.
bool HasAudio(const QVMediaFileRef* ref);
void AudioDescription(const QVMediaFileRef* ref, QVMediaAudioInfo* info);
// The video's rate times 100 as timecode text counts it (rate / 1.001 for drop-rate).
int32_t TimecodeRate(const QVMediaFileRef* ref);

// The picture-file still: where its picture lies. The first word (in the
// machine's order) is the picture's length, the picture following it; a
// first word of all ones is followed by a big-endian offset H, and the
// length is then the big-endian word at H + 512, the picture after it.
// Checked against the file's size; false when the file holds no picture.
bool PictureFileLocate(int fd, uint64_t fileSize, uint64_t* start, uint64_t* length);
bool PictureFileLocateBytes(const uint8_t* bytes, size_t size, uint64_t* start, uint64_t* length);

}  // namespace media
