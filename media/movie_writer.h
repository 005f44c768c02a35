// Writing movies through FFmpeg's libraries: a QuickTime movie (or an MP4
// file) with one video track in MJPEG, ProRes 422, H.264 or PNG, an optional
// timecode track starting at a given frame counter, and optional audio
// copied from another file and trimmed to the video's length.
//
// The movie is written to a new temporary file beside its final name and
// renamed over it only by QVMovieWriterFinish, once every byte is written
// and synchronised; abandoning a writer (or any failure) removes the
// temporary file, so no half-written movie is ever left under the name.
#pragma once

#include <cstdint>

#include "core/frame_buffer.h"
#include "media/media_errors.h"

struct QVMovieWriter;
// One picture in the encoder's own layout, filled on one thread and encoded
// on another.
struct QVMovieWriterPicture;

// Pixel layouts accepted by QVMovieWriterAddFrame.
enum QVMovieWriterPixels : uint32_t {
  kQVMovieWriterBGRA8 = 1,   // bytes B, G, R, A
  kQVMovieWriterRGBA16 = 2,  // u16 R, G, B, A in the machine's order, full scale 65535
};

struct QVMovieWriterSettings {
  uint32_t width, height;
  int32_t rateNumerator, rateDenominator;  // frames per second as a fraction: 30000 / 1001 for 29.97
  uint32_t codec;            // 'jpeg' MJPEG, 'apcn' ProRes 422, 'avc1' H.264, 'png ' PNG
  uint32_t quality;          // spatial quality 0 to 1,023 (0: the codec's default)
  int64_t averageBitRate;    // bits per second; 0: the codec's default
  int32_t keyFrameInterval;  // 0: the codec's default
  int32_t threads;           // encoder threads; 0: the libraries choose
  bool mp4;                  // an MP4 file (audio as AAC) instead of a QuickTime movie (audio as PCM)
  // The timecode track: its first frame's counter at timecodeRate (rate x 100, 2997 for 29.97).
  bool timecode;
  int64_t timecodeStart;
  int32_t timecodeRate;
  bool timecodeDrop;
  // Audio: the file to copy it from (null: none), and where in that file
  // (seconds) the movie's first frame lies.
  const char* audioPath;
  double audioStartSeconds;
};

// 0, 1008 when the codec is not offered, 1006 for bad settings, 1005, or
// 1029 when the file cannot be made.
QVMediaErr QVMovieWriterOpen(const char* path, const QVMovieWriterSettings* settings, QVMovieWriter** out);
// Encodes one frame at the writer's size; 1029 when the write fails.
QVMediaErr QVMovieWriterAddFrame(QVMovieWriter* writer, const void* pixels, uint32_t rowBytes,
                                 QVMovieWriterPixels layout);
// A picture at the writer's size and layout; 1005 when there is no memory.
QVMediaErr QVMovieWriterNewPicture(const QVMovieWriter* writer, QVMovieWriterPicture** out);
// 16-bit R, G, B, A pixels (kQVMovieWriterRGBA16) at the writer's size into
// the picture, in row bands over the task pool: the bytes QVMovieWriterAddFrame
// would encode, except 4:2:0 chroma beside a band's edge. Safe while the writer encodes another picture; one thread
// fills pictures at a time.
QVMediaErr QVMovieWriterFillPicture(QVMovieWriter* writer, QVMovieWriterPicture* picture, const uint16_t* pixels,
                                    uint32_t rowBytes);
// A planar float frame (kFBPixFormatPlanarFloat: R, G, B planes, 0 to 1 in
// range, others clamped, NaN as 0) at the writer's size into the picture,
// in row bands over the task pool: each band is scaled to the converter's
// range in a float copy of its own, with no 16-bit copy of the frame. 1006 for a frame of another
// size or layout. Safe while the writer encodes another picture; one thread
// fills pictures at a time.
QVMediaErr QVMovieWriterFillPictureFromPlanes(QVMovieWriter* writer, QVMovieWriterPicture* picture,
                                              const FBFrameStruct* frame);
// The same on the calling thread alone, leaving the task pool to other
// work: the same bytes.
QVMediaErr QVMovieWriterFillPictureFromPlanesOnCaller(QVMovieWriter* writer, QVMovieWriterPicture* picture,
                                                      const FBFrameStruct* frame);
// Encodes a filled picture as the next frame; 1029 when the write fails.
QVMediaErr QVMovieWriterAddPicture(QVMovieWriter* writer, QVMovieWriterPicture* picture);
// Null does nothing.
void QVMovieWriterFreePicture(QVMovieWriterPicture* picture);
// Frames added so far.
int64_t QVMovieWriterFrameCount(const QVMovieWriter* writer);
// Flushes the encoder, writes the audio, the index and renames the movie
// into place; frees the writer whatever the result.
QVMediaErr QVMovieWriterFinish(QVMovieWriter* writer);
// Removes the temporary file and frees the writer. Null does nothing.
void QVMovieWriterAbandon(QVMovieWriter* writer);
// The encoder name the codec type is written with ("mjpeg", "prores_ks", "libx264", "png").
const char* QVMovieWriterEncoderName(uint32_t codec);
