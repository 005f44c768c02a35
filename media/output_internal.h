// What the output-job files share: the frame loop every generator runs
// (open the source, size the output, make the frames, show progress, fetch,
// filter, process and scale each frame, poll for cancel) and the still
// image writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/frame_buffer.h"
#include "core/frame_scale.h"
#include "media/output_job.h"

namespace media {

class ReadAhead;

struct OutputRender {
  QVOutputJobParams* params = nullptr;
  QVMediaFileRef* source = nullptr;
  int64_t frameCount = 0;
  uint32_t outputWidth = 0, outputHeight = 0;
  uint32_t decodeWidth = 0, decodeHeight = 0;
  // The picture's place in the output: filling or fitted, proportions kept.
  uint32_t pictureLeft = 0, pictureTop = 0, pictureWidth = 0, pictureHeight = 0;
  FBFrameStruct* output = nullptr;  // planar float at the output size
  FBFrameStruct* decode = nullptr;  // planar float at the decode size
  FBFrameStruct* picture = nullptr; // planar float at the picture's size, when it differs from the output
  FBScaleBuffer scaleBuffers[3];  // one a colour plane
  ReadAhead* readAhead = nullptr;  // the source frames read ahead on threads of their own
  int32_t progressId = 0;
  int32_t localCancelWord = 0;
  int32_t* cancelWord = &localCancelWord;
  std::string sourceName;
  // The source's reading state, restored at the end.
  int64_t savedFrame = 0;
};

// Opens the source and prepares the frames and the progress window. 0 or
// the job's result code (1001 source not opened, 1005 memory, 1006 bad
// record); on failure OutputEnd has already run.
uint32_t OutputBegin(OutputRender* r, QVOutputJobParams* params, const char* title, const char* message);
// Output frame `index` into r->output. 0 with *more false when the frames
// are over; 1027 when the job was cancelled; a fetch failure is shown once
// and the frame goes out black.
uint32_t OutputNextFrame(OutputRender* r, int64_t index, bool* more);
// A second frame like r->output, its border black as the output's, for a
// caller that hands the output frame over and renders the next frame into
// this one; null when the output is the decode frame itself (that goes back
// to the reader) or there is no memory. The caller disposes of it.
FBFrameStruct* OutputNewSpareFrame(const OutputRender* r);
// Progress after frame index, and whether the job was asked to stop.
void OutputFrameDone(OutputRender* r, int64_t index);
bool OutputCancelled(const OutputRender* r);
// Closes the window and the source and frees the frames.
void OutputEnd(OutputRender* r);

// Makes `frame` the source's current frame and fetches it through frame
// delivery into a planar float frame (scaled when its size is not the
// source's decode size). 0 or the status of the step that failed.
QVMediaErr ReadSourceFrame(QVMediaFileRef* source, int64_t frame, FBFrameStruct* out);
// One source frame's pixels as read from its file: 16-bit ARGB (DPX,
// Cineon) or 'BGRA' (movies, stills).
struct SourcePixels {
  std::vector<uint8_t> bytes;
  uint32_t rowBytes = 0;
  FBPixFormat format = kFBPixFormatBGRA;
  bool ok = false;
};
// Reads source frame `frame` at width x height (the decode size of a
// movie, else the native size) into pixels; false when it cannot. A DPX or
// Cineon file is read without holding the reference. False, too, when
// there is no memory for the pixels.
bool ReadSourcePixels(QVMediaFileRef* source, int64_t frame, uint32_t width, uint32_t height, SourcePixels* out);
// The pixels into a planar float frame of their size, over the task pool.
void SourcePixelsToFrame(const SourcePixels& pixels, FBFrameStruct* out);

// The output frame as 8-bit R, G, B rows (JPEG) or 16-bit R, G, B rows in the
// machine's order (TIFF), or 16-bit R, G, B, A full scale 65535 (movies).
void PlanarToRGB8(const FBFrameStruct* frame, uint8_t* rows, size_t rowBytes);
void PlanarToRGB16(const FBFrameStruct* frame, uint16_t* rows, size_t rowBytes, bool alpha);

// JPEG (quality 0-100) and TIFF (16-bit RGB) files of the frame, written to a
// temporary file beside path and renamed into place; 0 or 1029.
uint32_t WriteStillImage(const FBFrameStruct* frame, const char* path, uint32_t kind, int quality);

// The job's cancel flag or its progress window's word.
bool JobCancelRequested(const QVOutputJobParams* params, const int32_t* cancelWord);

}  // namespace media
