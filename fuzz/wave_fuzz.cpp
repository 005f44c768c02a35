// Broadcast WAVE files: the chunk walk over memory; a file it accepts is
// opened as a media reference from disk as well and described.
#include "fuzz/fuzz_support.h"
#include "media/media_file.h"
#include "media/media_internal.h"
#include "media/movie_timing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QVMediaInitialize();
  QVMediaFileRef probe{};
  if (!media::ParseWaveChunks(data, size, &probe)) return 0;
  const std::string path = FZWriteScratchFile("take.wav", data, size);
  QVMediaFileRef* ref = nullptr;
  if (QVMediaOpenPath(path.c_str(), &ref, 0) != QVMediaErr_NoErr || !(ref->flags & kQVMediaAudio)) __builtin_trap();
  QVMediaAudioInfo sound;
  QVMediaGetAudioInfo(ref, &sound);
  QVMediaSetCurrentFrame(ref, ref->lastFrame);
  char text[32];
  QVMediaGetTimecodeText(ref, text, sizeof text, 0);
  QVMediaFormatInfo info;
  QVMediaGetFormatInfo(ref, &info);
  QVMediaCloseFile(&ref);
  return 0;
}
