#include "tools/standin_host/sh_full_interface.h"

#include <cstdio>
#include <cstdlib>
#include <map>

#include "tools/standin_host/sh_png.h"
#include "tools/standin_host/sh_project.h"

namespace {

// The clip's frames by time, read when first asked for; the last few stay.
struct ClipReader {
  const std::vector<SHBatchFrame>* frames = nullptr;
  SHLayout layout = kSHLayoutARGB16;
  int32_t timeStep = 1;
  std::map<int32_t, SHFrame> kept;
  std::string error;

  const SHFrame* at(int32_t time) {
    if (timeStep <= 0 || time < 0 || time % timeStep != 0) return nullptr;
    const size_t index = size_t(time / timeStep);
    if (index >= frames->size()) return nullptr;
    auto it = kept.find(time);
    if (it != kept.end()) return &it->second;
    SHImage image;
    if (!SHReadPNG((*frames)[index].input, &image, &error)) return nullptr;
    if (kept.size() >= 3) kept.erase(kept.begin());
    SHFrame& frame = kept[time];
    SHMakeFrame(layout, image.width, image.height, 0, &frame);
    SHImageToFrame(image, &frame);
    return &frame;
  }
};

}  // namespace

void SHUseGradingApplication(const char* path) {
  const char* named = std::getenv("VELMORA_UI_PROGRAM");
  if ((!named || !*named) && path && *path) setenv("VELMORA_UI_PROGRAM", path, 1);
}

bool SHRunFullInterface(SHHost* host, const std::vector<SHBatchFrame>& frames, size_t first, SHLayout layout,
                        const std::string& project, std::string* error) {
  ClipReader clip;
  clip.frames = &frames;
  clip.layout = layout;
  clip.timeStep = host->config.time_step;
  const int32_t time = int32_t(first) * clip.timeStep;
  if (first >= frames.size() || !clip.at(time)) {
    *error = first < frames.size() ? clip.error : "there is no frame " + std::to_string(first + 1) + " to open";
    return false;
  }
  // The clip is the frames given: the effect's exchange offers the grading
  // application every one of them and no time past the last.
  host->config.clip_frames = int32_t(frames.size());
  host->clip_frame = [&clip](int32_t t) { return clip.at(t); };
  std::printf("Opening the grading application on %s\n", frames[first].input.c_str());
  std::fflush(stdout);
  const HIError err = SHClickFullInterface(host, time);
  host->clip_frame = nullptr;
  if (err == kHIErrInterrupted || (host->interrupt && host->interrupt->load())) {
    *error = "interrupted";
    return false;
  }
  if (err) {
    *error = err == kHIErrUnfinished ? "the exchange with the grading application did not finish (see above)"
                                     : "the effect's exchange failed (error " + std::to_string(err) + ")";
    return false;
  }
  if (!SHSaveProject(host, project, error)) return false;
  std::printf("The correction as the exchange left it (unchanged if it was cancelled) is saved in %s\n", project.c_str());
  return true;
}
