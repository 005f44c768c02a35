#include "tools/standin_host/sh_batch.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <thread>

#include "tools/standin_host/sh_png.h"

namespace {

struct Shared {
  SHHost* host;
  const std::vector<SHBatchFrame>* frames;
  const SHBatchSettings* settings;
  const std::atomic<bool>* quit;
  SHBatchProgress progress;
  void* context;
  std::atomic<size_t> next{0};
  std::atomic<bool> stop{false};
  std::mutex lock;  // guards the result and the progress calls
  size_t done = 0;
  SHBatchResult result;
};

bool stopping(const Shared& s) { return s.stop.load() || (s.quit && s.quit->load()); }

// Reads, renders and writes one frame. Returns false with the message in
// `error`; `fatal` says whether the batch must stop.
bool renderOne(Shared& s, const SHBatchFrame& f, std::string* error, bool* fatal) {
  SHImage image;
  if (!SHReadPNG(f.input, &image, error)) return false;
  const int32_t bits = s.settings->bits ? s.settings->bits : image.bits;
  SHFrame in, out;
  SHMakeFrame(s.settings->layout, image.width, image.height, 0, &in);
  SHMakeFrame(s.settings->layout, image.width, image.height, 0, &out);
  SHImageToFrame(image, &in);
  HIError err = SHRender(s.host, in, &out, 0, s.settings->smart);
  if (err) {
    *error = f.input + ": the effect failed to render it (error " + std::to_string(err) + ")";
    *fatal = true;
    return false;
  }
  in = SHFrame{};  // the input's pixels are no longer needed while writing
  SHFrameToImage(out, bits, &image);
  if (!SHWritePNG(f.output, image, error)) {
    *fatal = true;
    return false;
  }
  return true;
}

void work(Shared& s) {
  const std::vector<SHBatchFrame>& frames = *s.frames;
  for (size_t i = s.next.fetch_add(1); i < frames.size() && !stopping(s); i = s.next.fetch_add(1)) {
    std::string error;
    bool fatal = false;
    bool ok = false;
    try {
      ok = renderOne(s, frames[i], &error, &fatal);
    } catch (const std::bad_alloc&) {
      error = frames[i].input + ": out of memory";
      fatal = true;
    }
    std::lock_guard<std::mutex> g(s.lock);
    if (ok) {
      ++s.result.written;
    } else if (fatal) {
      if (s.result.fatal.empty()) s.result.fatal = error;
      s.stop.store(true);
    } else {
      s.result.frame_errors.push_back(error);
    }
    ++s.done;
    if (s.progress) s.progress(s.done, frames.size(), s.context);
  }
}

}  // namespace

uint64_t SHBatchFrameBytes(SHLayout layout, int32_t width, int32_t height) {
  const uint64_t pixels = uint64_t(std::max(width, 0)) * uint64_t(std::max(height, 0));
  // The image's 16-bit samples, the PNG codec's row buffer of up to the same
  // size, and the input and output worlds.
  return pixels * (8 + 8 + 2 * uint64_t(SHGetLayoutInfo(layout).bytes_per_pixel));
}

int32_t SHBatchWorkers(const std::vector<SHBatchFrame>& frames, const SHBatchSettings& settings) {
  uint64_t largest = 1;
  for (const SHBatchFrame& f : frames)
    largest = std::max(largest, SHBatchFrameBytes(settings.layout, f.width, f.height));
  const uint64_t byMemory = std::max<uint64_t>(1, settings.memory_budget / largest);
  const uint64_t n = std::min({uint64_t(std::clamp(settings.threads, 1, 64)), uint64_t(frames.size()), byMemory});
  return int32_t(std::max<uint64_t>(n, 1));
}

SHBatchResult SHRenderBatch(SHHost* host, const std::vector<SHBatchFrame>& frames, const SHBatchSettings& settings,
                            const std::atomic<bool>* quit, SHBatchProgress progress, void* context) {
  Shared s;
  s.host = host;
  s.frames = &frames;
  s.settings = &settings;
  s.quit = quit;
  s.progress = progress;
  s.context = context;
  const int32_t workers = SHBatchWorkers(frames, settings);
  std::vector<std::thread> pool;
  try {
    for (int32_t t = 1; t < workers; ++t) pool.emplace_back([&s] { work(s); });
  } catch (const std::system_error&) {
    // Fewer threads than asked for: the ones running (and this one) do the work.
  }
  work(s);
  for (std::thread& t : pool) t.join();
  s.result.workers = int32_t(pool.size()) + 1;
  s.result.interrupted = quit && quit->load() && s.done < frames.size();
  return std::move(s.result);
}
