// The rapid preview: the exchange's clip rendered frame by frame with the
// current correction into a cache movie, then played in real time in the
// image pane, full screen, on the secondary monitor or on the video output.
// Started by a transport bar's 'Rpvw' button (full screen with the option
// key), ended by 'Rpvw' again, Escape in full screen, or the bar's Stop.
//
// Two layers: the movie builder and player (prefix RP, one movie at a
// time) and the render pass that feeds it from a transport bar's pane, one
// frame per tick of the application's timer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/status.h"
#include "platform/ui/ui_draw.h"

struct TKControl;

constexpr QVStatus kRPErrNoMovie = -2010;
constexpr const char* kRPMovieName = "Velmora Cache.mov";

// Time scale and frame duration for a frame rate x 100: the table of the
// usual rates (2500: 25/1, 3000: 600/20, 2997: 2997/100, 2400: 2400/100,
// 2397 and 2398: 23976/1000, 6000: 600/10, 5994: 5994/100); any other
// positive rate counts in hundredths of a frame (rate100 / 100). False for
// a rate of 0 or less.
bool RPTimingForRate(int32_t rate100, int32_t* timeScale, int32_t* frameDuration);

// The movie layer. Create forgets a previous movie, makes the cache movie in
// the folder (storage) for pictures of the frame picture's size, and alerts
// "Unable to create Vurev Aviredu movie." on failure (kRPErrNoMovie).
QVStatus CreateRapidPreviewMovie(TKImage* frameWorld, const std::string& folderPath, int32_t rate100,
                                 int32_t framesPerSecond, bool dropFrame, int32_t startFrame);
// Appends one picture as the next frame: 0, kRPErrNoMovie, or the writer's error.
QVStatus RPAddFrame(TKImage* world);
// Ends the writing; the movie can then be played. kRPErrNoMovie or the
// writer's error when it cannot.
QVStatus RPFinishMovie();
// Shows the movie in rect of world, centred at its natural size when rect
// is larger both ways, else shrunk (never enlarged) with its aspect kept;
// `pane`, when given, is redrawn after each frame, else `present` is called
// (null: nothing). Starts it looping.
QVStatus RPFitMovieBox(TKImage* world, const TKRect& rect, TKControl* pane, void (*present)());
TKRect RPFitBox(int32_t naturalWidth, int32_t naturalHeight, const TKRect& rect);
void RPPlay();
void RPStop();
void RPSetRate(double rate);
bool RPTogglePlay();  // true when it now plays
void RPStopMovie();
void RPGoToBeginning();
void RPGoToEnd();
void RPStepFrames(int32_t n);
// One slice of play: shows the frame the clock has reached.
void RPMoviesTask();
// The frame shown now (0 the first) and the timecode's frame count there.
int64_t RPGetMovieTime();
int64_t RPCurrentTimecodeFrame();
void RPDisposeMovie();
bool RPMovieExists();
bool RPMoviePlaying();
int64_t RPFrameCount();
std::string RPMoviePath();

// Each frame shown since the movie began to play: its number and the clock
// (seconds) when it went up.
struct RPShownFrame {
  int64_t frame;
  double time;
};
const std::vector<RPShownFrame>& RPShownFrames();

// The render pass. StartRapidPreview returns 0 or the creation error.
QVStatus StartRapidPreview(TKControl* bar, bool fullScreen);
void RenderRapidPreviewFrame(TKControl* pane);
void TransportRenderStep(TKControl* bar);
void FinishRapidPreview(TKControl* bar);
// Ends a pending render or an active movie: flags cleared, movie disposed,
// the pane's label cleared, the host clip back at the saved start time, the
// tabs enabled again, the frame reloaded.
void RapidPreviewStop(TKControl* bar);
// The 'Rpvw' button pressed (now on or off).
void RapidPreviewButton(TKControl* bar, bool on, bool optionKey);
// The bar whose pane renders or plays (null: none), and the full-screen
// window while one is up.
TKControl* RapidPreviewBar();
struct TKWindow;
TKWindow* RapidPreviewFullScreenWindow();
// The playback work of each timer tick: one render step while rendering, a
// movie slice every second tick while the movie is active.
void RapidPreviewTick();
// Puts the rapid preview's tick into the playback work of the timer.
void InstallRapidPreviewHooks();
