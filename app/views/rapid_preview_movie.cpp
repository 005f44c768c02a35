// The rapid preview's movie: built frame by frame into the cache file, then
// played against the clock, looping, into a picture that a pane or an
// output shows.
#include <algorithm>
#include <cmath>
#include <utility>

#include "app/views/image_pane.h"
#include "app/views/pictures.h"
#include "app/views/rapid_preview.h"
#include "media/movie_reader.h"
#include "media/movie_writer.h"
#include "platform/ui/toolkit.h"
#include "support/alerts.h"

namespace {

struct RateTiming {
  int32_t rate100, timeScale, frameDuration;
};
const RateTiming kRates[] = {
    {2500, 25, 1},       {3000, 600, 20},     {2997, 2997, 100}, {2400, 2400, 100},
    {2397, 23976, 1000}, {2398, 23976, 1000}, {6000, 600, 10},   {5994, 5994, 100},
};

// The one movie: its writer while frames are appended, then its reader and
// the play state.
struct RapidPreviewMovie {
  QVMovieWriter* writer = nullptr;
  QVMovie* reader = nullptr;
  std::string path;
  int32_t width = 0, height = 0;
  int32_t timeScale = 0, frameDuration = 0;
  int32_t framesPerSecond = 0;
  bool dropFrame = false;
  int32_t startFrame = 0;
  int64_t frameCount = 0;
  // Play state: the picture the frames go to, where, and who shows it.
  TKImage* world = nullptr;
  TKRect box{};
  TKControl* pane = nullptr;
  void (*present)() = nullptr;
  TKImage* frame = nullptr;  // one decoded frame at the movie's size
  double rate = 0;
  double clockStart = 0;    // when the movie time below was current
  double movieStart = 0;    // frames
  int64_t shown = -1;
  std::vector<RPShownFrame> shownLog;
};
RapidPreviewMovie gMovie;
bool gExists = false;

constexpr size_t kShownLogLimit = 1 << 20;

void alert(const char* explanation) {
  QVAlternativesAlert("Velmora", "Unable to create Vurev Aviredu movie.", explanation, 1, "OK", nullptr);
}

double framesPerClockSecond() {
  return gMovie.frameDuration > 0 ? double(gMovie.timeScale) / gMovie.frameDuration : 0;
}

// The movie time (in frames) the clock has reached.
double movieNow() {
  return gMovie.movieStart + (TKNow() - gMovie.clockStart) * gMovie.rate * framesPerClockSecond();
}

void showFrame(int64_t n) {
  if (!gMovie.reader || gMovie.frameCount <= 0 || !gMovie.frame || !gMovie.world) return;
  n = ((n % gMovie.frameCount) + gMovie.frameCount) % gMovie.frameCount;
  if (n == gMovie.shown) return;
  if (!QVMovieDecodeFrame(gMovie.reader, n, TKImagePixels(gMovie.frame), uint32_t(TKImageRowBytes(gMovie.frame)),
                          uint32_t(gMovie.width), uint32_t(gMovie.height)))
    return;
  // The reader gives each pixel as the word 'BGRA' read big-endian (bytes A,
  // R, G, B); the picture holds bytes B, G, R, A.
  for (int32_t y = 0; y < gMovie.height; ++y) {
    uint8_t* p = TKImagePixels(gMovie.frame) + size_t(y) * size_t(TKImageRowBytes(gMovie.frame));
    for (int32_t x = 0; x < gMovie.width; ++x, p += 4) {
      std::swap(p[0], p[3]);
      std::swap(p[1], p[2]);
    }
  }
  TKImageMarkDirty(gMovie.frame);
  gMovie.shown = n;
  QVIgnoreStatus(CopyGWorldRect(gMovie.frame, gMovie.world, TKMakeRect(0, 0, gMovie.width, gMovie.height), gMovie.box,
                                kCopyModeDither));  // a copy between pictures always succeeds
  if (gMovie.pane)
    DrawImagePane(gMovie.pane);
  else if (gMovie.present)
    gMovie.present();
  if (gMovie.shownLog.size() < kShownLogLimit) gMovie.shownLog.push_back({n, TKNow()});
}

// Holds the movie where the clock has it now, so a new rate starts from there.
void rebase() {
  gMovie.movieStart = gMovie.rate != 0 ? movieNow() : gMovie.movieStart;
  gMovie.clockStart = TKNow();
}

void moveTo(double frame) {
  gMovie.movieStart = frame;
  gMovie.clockStart = TKNow();
  showFrame(int64_t(std::floor(frame)));
}

}  // namespace

bool RPTimingForRate(int32_t rate100, int32_t* timeScale, int32_t* frameDuration) {
  if (rate100 <= 0) return false;
  for (const RateTiming& r : kRates) {
    if (r.rate100 == rate100) {
      *timeScale = r.timeScale;
      *frameDuration = r.frameDuration;
      return true;
    }
  }
  *timeScale = rate100;
  *frameDuration = 100;
  return true;
}

QVStatus CreateRapidPreviewMovie(TKImage* frameWorld, const std::string& folderPath, int32_t rate100,
                                 int32_t framesPerSecond, bool dropFrame, int32_t startFrame) {
  RPDisposeMovie();
  const int32_t width = frameWorld ? TKImageWidth(frameWorld) : 0;
  const int32_t height = frameWorld ? TKImageHeight(frameWorld) : 0;
  int32_t timeScale = 0, frameDuration = 0;
  const std::string path = folderPath + "/" + kRPMovieName;
  bool made = !folderPath.empty() && path.size() < 1024 && width > 0 && height > 0 &&
              RPTimingForRate(rate100, &timeScale, &frameDuration);
  if (made) {
    // Motion JPEG at the highest quality, a timecode track counting from
    // the clip's frame where the render began; no sound.
    QVMovieWriterSettings settings{};
    settings.width = uint32_t(width);
    settings.height = uint32_t(height);
    settings.rateNumerator = timeScale;
    settings.rateDenominator = frameDuration;
    settings.codec = QVFourCC("jpeg");
    settings.quality = 1023;
    settings.timecode = true;
    settings.timecodeStart = startFrame;
    settings.timecodeRate = rate100;
    settings.timecodeDrop = dropFrame;
    made = QVMovieWriterOpen(path.c_str(), &settings, &gMovie.writer) == QVMediaErr_NoErr;
  }
  if (!made) {
    gMovie.writer = nullptr;
    alert("Check the Velmora settings to make sure the Vurev Aviredu Cache folder points to a valid folder.");
    return kRPErrNoMovie;
  }
  gMovie.path = path;
  gMovie.width = width;
  gMovie.height = height;
  gMovie.timeScale = timeScale;
  gMovie.frameDuration = frameDuration;
  gMovie.framesPerSecond = framesPerSecond;
  gMovie.dropFrame = dropFrame;
  gMovie.startFrame = startFrame;
  gExists = true;
  return kQVNoErr;
}

QVStatus RPAddFrame(TKImage* world) {
  if (!gExists || !gMovie.writer) return kRPErrNoMovie;
  if (!world || TKImageWidth(world) != gMovie.width || TKImageHeight(world) != gMovie.height) return kQVErrParam;
  if (QVMovieWriterAddFrame(gMovie.writer, TKImagePixels(world), uint32_t(TKImageRowBytes(world)),
                            kQVMovieWriterBGRA8) != QVMediaErr_NoErr)
    return kQVErrIO;
  ++gMovie.frameCount;
  return kQVNoErr;
}

QVStatus RPFinishMovie() {
  if (!gExists || !gMovie.writer) return kRPErrNoMovie;
  QVMovieWriter* writer = gMovie.writer;
  gMovie.writer = nullptr;
  if (QVMovieWriterFinish(writer) != QVMediaErr_NoErr) return kQVErrIO;
  if (QVMovieOpen(gMovie.path.c_str(), &gMovie.reader) != kQVMovieOpened) {
    gMovie.reader = nullptr;
    return kQVErrIO;
  }
  gMovie.frame = TKImageCreate(gMovie.width, gMovie.height);
  return gMovie.frame ? kQVNoErr : kQVErrMemory;
}

TKRect RPFitBox(int32_t naturalWidth, int32_t naturalHeight, const TKRect& rect) {
  const int32_t w = TKRectWidth(rect), h = TKRectHeight(rect);
  if (naturalWidth <= 0 || naturalHeight <= 0 || w <= 0 || h <= 0) return TKRect{};
  int32_t boxW = naturalWidth, boxH = naturalHeight;
  if (naturalWidth > w || naturalHeight > h) {
    const double s = std::min(double(w) / naturalWidth, double(h) / naturalHeight);
    boxW = std::max(1, int32_t(std::lround(naturalWidth * s)));
    boxH = std::max(1, int32_t(std::lround(naturalHeight * s)));
  }
  return TKMakeRect(rect.left + (w - boxW) / 2, rect.top + (h - boxH) / 2, boxW, boxH);
}

QVStatus RPFitMovieBox(TKImage* world, const TKRect& rect, TKControl* pane, void (*present)()) {
  if (!gExists || !gMovie.reader) return kRPErrNoMovie;
  gMovie.world = world;
  gMovie.box = RPFitBox(gMovie.width, gMovie.height, rect);
  gMovie.pane = pane;
  gMovie.present = present;
  gMovie.shownLog.clear();
  gMovie.shown = -1;
  EraseGWorld(world, nullptr);
  gMovie.movieStart = 0;
  gMovie.clockStart = TKNow();
  gMovie.rate = 1.0;
  showFrame(0);
  return kQVNoErr;
}

void RPSetRate(double rate) {
  if (!gExists) return;
  rebase();
  gMovie.rate = std::round(rate * 65536.0) / 65536.0;
}
void RPPlay() { RPSetRate(1.0); }
void RPStop() { RPSetRate(0.0); }
void RPStopMovie() { RPStop(); }

bool RPTogglePlay() {
  if (!gExists) return false;
  RPSetRate(gMovie.rate <= 0 ? 1.0 : 0.0);
  return gMovie.rate > 0;
}

void RPGoToBeginning() {
  if (gExists) moveTo(0);
}
void RPGoToEnd() {
  if (gExists && gMovie.frameCount > 0) moveTo(double(gMovie.frameCount - 1));
}

void RPStepFrames(int32_t n) {
  if (!gExists || gMovie.frameCount <= 0) return;
  RPStop();
  const int64_t now = gMovie.shown < 0 ? 0 : gMovie.shown;
  const int64_t target = std::clamp<int64_t>(now + n, 0, gMovie.frameCount - 1);
  moveTo(double(target));
}

void RPMoviesTask() {
  if (!gExists || !gMovie.reader || gMovie.rate == 0) return;
  showFrame(int64_t(std::floor(movieNow())));
}

int64_t RPGetMovieTime() { return gMovie.shown < 0 ? 0 : gMovie.shown; }
int64_t RPCurrentTimecodeFrame() {
  // The movie's timecode track says where it counts from; until the movie
  // can be read, the clip's frame where the render began.
  const QVMovieInfo* info = gMovie.reader ? QVMovieGetInfo(gMovie.reader) : nullptr;
  const int64_t start = info && info->hasTimecodeTrack ? info->timecodeStart : gMovie.startFrame;
  return start + RPGetMovieTime();
}

void RPDisposeMovie() {
  if (gMovie.writer) QVMovieWriterAbandon(gMovie.writer);
  if (gMovie.reader) QVMovieClose(gMovie.reader);
  TKImageDispose(gMovie.frame);
  gMovie = RapidPreviewMovie{};
  gExists = false;
}

bool RPMovieExists() { return gExists; }
bool RPMoviePlaying() { return gExists && gMovie.reader && gMovie.rate > 0; }
int64_t RPFrameCount() { return gMovie.frameCount; }
std::string RPMoviePath() { return gMovie.path; }
const std::vector<RPShownFrame>& RPShownFrames() { return gMovie.shownLog; }
