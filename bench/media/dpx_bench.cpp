// Reading and writing 2048 x 1080 10-bit DPX frames on one thread: ours,
// FFmpeg's DPX codec called in this process, and the ffmpeg and oiiotool
// programs timed as subprocesses over a run of frames (skipped where they
// are not installed). items_per_second is frames a second.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_folder.h"
#include "core/frame_buffer.h"
#include "media/dpx_header.h"
#include "bench/bench_status.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

namespace {

constexpr uint32_t kW = 2048, kH = 1080;
constexpr int kRunFrames = 8;  // frames per subprocess run

const std::string& Folder() {
  static const std::string folder = BenchScratchFolder("dpx-bench");
  return folder;
}

FBFrameStruct* SourceFrame() {
  static FBFrameStruct* frame = [] {
    FBFrameStruct* f = nullptr;
    BenchRequire(FBCreateRGBFrameBuffer(kW, kH, &f, kFBPixFormatFloatRGBA), "FBCreateRGBFrameBuffer");
    for (uint32_t y = 0; y < kH; ++y)
      for (uint32_t x = 0; x < kW; ++x) {
        float v[4] = {float(x) / kW, float(y) / kH, float((x + y) % 256) / 255.0f, 1.0f};
        std::memcpy(f->baseAddr + size_t(y) * f->rowBytes + size_t(x) * 16, v, 16);
      }
    return f;
  }();
  return frame;
}

// kRunFrames numbered frames (frame.0001.dpx ...) written by us once.
const std::string& FramePattern() {
  static const std::string pattern = [] {
    DPXHeaderInfo info{};
    info.width = kW;
    info.height = kH;
    info.elementCount = 1;
    DPXWriteParams params{10, 50, 0, 1.0f, false, 1023, 0};
    for (int i = 1; i <= kRunFrames; ++i) {
      char name[64];
      std::snprintf(name, sizeof name, "frame.%04d.dpx", i);
      BenchRequire(DPXCreateFile(Folder().c_str(), name, &info, SourceFrame(), &params), "DPXCreateFile");
    }
    return Folder() + "/frame.%04d.dpx";
  }();
  return pattern;
}

std::string FirstFrame() {
  char path[1024];
  std::snprintf(path, sizeof path, FramePattern().c_str(), 1);
  return path;
}

bool HaveTool(const char* name) {
  return std::system(("command -v " + std::string(name) + " > /dev/null 2>&1").c_str()) == 0;
}

void ReadOurs(benchmark::State& state) {
  const std::string path = FirstFrame();
  std::vector<uint16_t> pixels(size_t(kW) * kH * 4);
  for (auto _ : state) {
    if (DPXReadImage(path.c_str(), pixels.data(), kW * 8, kW, kH, 16, false) != kQVNoErr) state.SkipWithError("read");
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetItemsProcessed(state.iterations());
}

void WriteOurs(benchmark::State& state) {
  DPXHeaderInfo info{};
  info.width = kW;
  info.height = kH;
  info.elementCount = 1;
  DPXWriteParams params{10, 50, 0, 1.0f, false, 1023, 0};
  SourceFrame();
  for (auto _ : state)
    if (DPXCreateFile(Folder().c_str(), "ours.dpx", &info, SourceFrame(), &params) != kQVNoErr)
      state.SkipWithError("write");
  state.SetItemsProcessed(state.iterations());
}

// The pixel words alone, without the file.
void PackOurs(benchmark::State& state) {
  DPXWriteParams params{10, 50, 0, 1.0f, false, 1023, 0};
  std::vector<uint8_t> out(size_t(kW) * kH * 4);
  SourceFrame();
  for (auto _ : state) {
    DPXWritePixels(SourceFrame(), out.data(), &params);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations());
}

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    std::fseek(f, 0, SEEK_END);
    bytes.resize(size_t(std::ftell(f)) + AV_INPUT_BUFFER_PADDING_SIZE);
    std::fseek(f, 0, SEEK_SET);
    const size_t got = std::fread(bytes.data(), 1, bytes.size() - AV_INPUT_BUFFER_PADDING_SIZE, f);
    bytes.resize(got + AV_INPUT_BUFFER_PADDING_SIZE);
    std::fclose(f);
  }
  return bytes;
}

AVCodecContext* OneThreadCodec(bool encoder) {
  const AVCodec* codec = encoder ? avcodec_find_encoder(AV_CODEC_ID_DPX) : avcodec_find_decoder(AV_CODEC_ID_DPX);
  if (!codec) return nullptr;
  AVCodecContext* c = avcodec_alloc_context3(codec);
  c->thread_count = 1;
  if (encoder) {
    c->width = kW;
    c->height = kH;
    c->pix_fmt = AV_PIX_FMT_GBRP10BE;
    c->time_base = {1, 24};
  }
  if (avcodec_open2(c, codec, nullptr) < 0) avcodec_free_context(&c);
  return c;
}

// The file read and decoded by FFmpeg's DPX decoder, as ours reads it.
void ReadFFmpegLibrary(benchmark::State& state) {
  AVCodecContext* decoder = OneThreadCodec(false);
  if (!decoder) return state.SkipWithError("no DPX decoder");
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  const std::string path = FirstFrame();
  for (auto _ : state) {
    std::vector<uint8_t> bytes = FileBytes(path);
    packet->data = bytes.data();
    packet->size = int(bytes.size() - AV_INPUT_BUFFER_PADDING_SIZE);
    if (avcodec_send_packet(decoder, packet) < 0 || avcodec_receive_frame(decoder, frame) < 0)
      state.SkipWithError("decode");
    av_frame_unref(frame);
  }
  state.SetItemsProcessed(state.iterations());
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&decoder);
}

// A 10-bit frame encoded by FFmpeg's DPX encoder and written to a file.
void WriteFFmpegLibrary(benchmark::State& state) {
  AVCodecContext* encoder = OneThreadCodec(true);
  if (!encoder) return state.SkipWithError("no DPX encoder");
  AVFrame* frame = av_frame_alloc();
  frame->width = kW;
  frame->height = kH;
  frame->format = AV_PIX_FMT_GBRP10BE;
  av_frame_get_buffer(frame, 0);
  for (int p = 0; p < 3; ++p)
    for (uint32_t y = 0; y < kH; ++y) std::memset(frame->data[p] + size_t(y) * frame->linesize[p], 0x12, kW * 2);
  AVPacket* packet = av_packet_alloc();
  const std::string path = Folder() + "/ffmpeg-library.dpx";
  for (auto _ : state) {
    if (avcodec_send_frame(encoder, frame) < 0 || avcodec_receive_packet(encoder, packet) < 0) {
      state.SkipWithError("encode");
      break;
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    const bool ok = f && std::fwrite(packet->data, 1, size_t(packet->size), f) == size_t(packet->size);
    if (!f || std::fclose(f) != 0 || !ok) state.SkipWithError("write");
    av_packet_unref(packet);
  }
  state.SetItemsProcessed(state.iterations());
  av_packet_free(&packet);
  av_frame_free(&frame);
  avcodec_free_context(&encoder);
}

// Times one run of a program over kRunFrames frames per iteration.
void Subprocess(benchmark::State& state, const char* tool, const std::string& command) {
  if (!HaveTool(tool)) return state.SkipWithError((std::string(tool) + " is not installed").c_str());
  FramePattern();
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system((command + " > /dev/null 2>&1").c_str()) != 0) state.SkipWithError(command.c_str());
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  state.SetItemsProcessed(state.iterations() * kRunFrames);
}

void ReadFFmpegProgram(benchmark::State& state) {
  Subprocess(state, "ffmpeg", "ffmpeg -v error -threads 1 -i '" + FramePattern() + "' -f null -");
}

void WriteFFmpegProgram(benchmark::State& state) {
  // Read and written: the program has no way to write without reading.
  Subprocess(state, "ffmpeg",
             "ffmpeg -v error -y -threads 1 -i '" + FramePattern() + "' -threads 1 -pix_fmt gbrp10be '" + Folder() +
                 "/ffmpeg-out.%04d.dpx'");
}

std::string OiioPattern() {
  std::string p = FramePattern();
  return p.replace(p.find("%04d"), 4, "#");
}

void ReadOiiotool(benchmark::State& state) {
  // Read with the pixel statistics, the cheapest whole read the program offers.
  Subprocess(state, "oiiotool",
             "oiiotool --threads 1 --frames 1-" + std::to_string(kRunFrames) + " '" + OiioPattern() + "' --printstats");
}

void WriteOiiotool(benchmark::State& state) {
  Subprocess(state, "oiiotool",
             "oiiotool --threads 1 --frames 1-" + std::to_string(kRunFrames) + " '" + OiioPattern() +
                 "' -d uint10 -o '" + Folder() + "/oiio-out.#.dpx'");
}

BENCHMARK(ReadOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadFFmpegLibrary)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadFFmpegProgram)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(ReadOiiotool)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(WriteOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(PackOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteFFmpegLibrary)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteFFmpegProgram)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(WriteOiiotool)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
