// Decoded frames of FFmpeg's libraries into the library's 'BGRA' pixels.
#pragma once

#include <cstdint>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

namespace media {

// Scales and converts the frame into pixels ('BGRA': the 32-bit value
// B << 24 | G << 16 | R << 8 | A in the machine's order), reusing *context.
bool ConvertFrameToBGRA(SwsContext** context, const AVFrame* frame, uint8_t* pixels, uint32_t rowBytes,
                        uint32_t width, uint32_t height);

// Planar Y'CbCr frames of 8 or 10 bits (4:2:0, 4:2:2, 4:4:4) into 'BGRA'
// pixels of the frame's size, with the tagged matrix (Rec. 709, else Rec.
// 601) and range: every code the nearest to the exact conversion. False,
// with nothing written, for other layouts.
bool ConvertYUVFrameExactly(const AVFrame* frame, uint8_t* pixels, uint32_t rowBytes);

// A decoder for the format's stream (threadCount 0: as many as the
// libraries choose); null when none can be had.
AVCodecContext* OpenStreamDecoder(AVFormatContext* format, int stream, int threadCount);

// The next decoded frame of the stream into frame, reading packets as
// needed; *draining is set once the file has no more packets.
bool DecodeNextFrame(AVFormatContext* format, AVCodecContext* decoder, int stream, AVPacket* packet, AVFrame* frame,
                     bool* draining);

// Sample i of channel c (of channels) of a decoded audio frame, whatever its
// sample format: as a 32-bit integer with the sample in its top bits, and as
// a float (both 0 for formats not known here).
void AudioSampleAt(const AVFrame* frame, int c, int i, int channels, int32_t* whole, float* real);
// The same as 16 bits.
int16_t AudioSampleAt16(const AVFrame* frame, int c, int i, int channels);

}  // namespace media
