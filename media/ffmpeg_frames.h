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

// A decoder for the format's stream (threadCount 0: as many as the
// libraries choose); null when none can be had.
AVCodecContext* OpenStreamDecoder(AVFormatContext* format, int stream, int threadCount);

// The next decoded frame of the stream into frame, reading packets as
// needed; *draining is set once the file has no more packets.
bool DecodeNextFrame(AVFormatContext* format, AVCodecContext* decoder, int stream, AVPacket* packet, AVFrame* frame,
                     bool* draining);

// Sample i of channel c (of channels) of a decoded audio frame as 16 bits,
// whatever its sample format (0 for formats not known here).
int16_t AudioSampleAt16(const AVFrame* frame, int c, int i, int channels);

}  // namespace media
