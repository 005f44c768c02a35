// toolkit_demo: one window with every kind of control, a menu bar and a
// user pane drawing a hue wheel.
//   toolkit_demo                      real window (SDL2); refused without a display
//   toolkit_demo --screenshot FILE    renders the window to a PNG and exits
//   toolkit_demo --show-for SECONDS   quits by itself after a while
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "platform/fourcc.h"
#include "platform/ui/toolkit.h"

namespace {

constexpr uint32_t kCmdOpen = QVFourCC("open");
constexpr uint32_t kCmdSave = QVFourCC("svas");
constexpr uint32_t kCmdFolder = QVFourCC("fold");
constexpr uint32_t kCmdQuit = QVFourCC("quit");
constexpr uint32_t kCmdCopy = QVFourCC("copy");
constexpr uint32_t kCmdColour = QVFourCC("colr");
constexpr uint32_t kCmdAbout = QVFourCC("abou");
constexpr uint32_t kCmdReset = QVFourCC("rset");
constexpr uint32_t kCmdAuto = QVFourCC("auto");
constexpr uint32_t kCmdOK = QVFourCC("VLok");
constexpr uint32_t kCmdCancel = QVFourCC("VLn!");
constexpr uint32_t kCmdShowWheel = QVFourCC("whel");

struct Demo {
  TKWindow* window = nullptr;
  TKControl* exposure = nullptr;
  TKControl* exposureText = nullptr;
  TKControl* saturation = nullptr;
  TKControl* saturationText = nullptr;
  TKControl* wheel = nullptr;
  TKControl* status = nullptr;
  double hue = 200;  // marker on the wheel
  TKColor swatch{0.85, 0.45, 0.20, 1};
};

Demo gDemo;

void OnSignal(int) { TKRequestQuit(); }

TKColor HSV(double h, double s, double v) {
  h = std::fmod(h, 360.0) / 60.0;
  int i = int(h);
  double f = h - i, p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  switch (i) {
    case 0: return TKColor{v, t, p, 1};
    case 1: return TKColor{q, v, p, 1};
    case 2: return TKColor{p, v, t, 1};
    case 3: return TKColor{p, q, v, 1};
    case 4: return TKColor{t, p, v, 1};
    default: return TKColor{v, p, q, 1};
  }
}

void SetStatus(const std::string& text) { TKSetControlTitle(gDemo.status, text.c_str()); }

void DrawWheel(TKControl* c, TKContext* ctx) {
  TKRect r = TKGetControlBounds(c);
  TKSetFillColor(ctx, TKColor{0.16, 0.16, 0.18, 1});
  TKFillRoundRect(ctx, r, 8);
  double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0 - 8;
  double radius = std::min(TKRectWidth(r), TKRectHeight(r)) / 2.0 - 28;
  const int kRings = 14, kWedges = 120;
  for (int ring = kRings; ring >= 1; --ring) {
    double outer = radius * ring / kRings;
    for (int k = 0; k < kWedges; ++k) {
      double a0 = 2 * M_PI * k / kWedges, a1 = 2 * M_PI * (k + 1.05) / kWedges;
      TKSetFillColor(ctx, HSV(360.0 * k / kWedges, double(ring) / kRings, 0.95));
      TKBeginPath(ctx);
      TKMoveTo(ctx, cx, cy);
      TKArc(ctx, cx, cy, outer, a0, a1, false);
      TKClosePath(ctx);
      TKFillPath(ctx);
    }
  }
  TKSetStrokeColor(ctx, TKColor{0.05, 0.05, 0.05, 1});
  TKSetLineWidth(ctx, 1.5);
  TKFrameOval(ctx, TKMakeRect(int32_t(cx - radius), int32_t(cy - radius), int32_t(2 * radius), int32_t(2 * radius)));
  // The marker at the current hue, at the saturation slider's distance.
  double sat = TKGetControlValue(gDemo.saturation) / 100.0;
  double a = gDemo.hue * M_PI / 180.0;
  double mx = cx + std::cos(a) * radius * sat, my = cy + std::sin(a) * radius * sat;
  TKSetStrokeColor(ctx, TKColor{1, 1, 1, 1});
  TKSetLineWidth(ctx, 2);
  TKFrameOval(ctx, TKMakeRect(int32_t(mx - 6), int32_t(my - 6), 12, 12));
  char label[64];
  std::snprintf(label, sizeof label, "Hue %.0f\xC2\xB0   Sat %.0f%%", gDemo.hue, sat * 100);
  TKSetFillColor(ctx, TKColor{0.85, 0.85, 0.87, 1});
  TKDrawText(ctx, TKFont{"DejaVu Sans", 11, false, false}, label, cx, r.bottom - 10, kTKAlignCenter);
}

int16_t TrackWheel(TKControl* c, TKPoint p, uint32_t) {
  TKRect r = TKGetControlBounds(c);
  double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0 - 8;
  for (;;) {
    gDemo.hue = std::fmod(std::atan2(p.y - cy, p.x - cx) * 180.0 / M_PI + 360.0, 360.0);
    TKDrawControl(c);
    uint32_t mods;
    TKTrackResult result = TKTrackMouse(TKGetControlWindow(c), 0.02, &p, &mods);
    if (result == kTKTrackMouseUp) break;
  }
  return 1;
}

void UpdateReadout(TKControl* slider, TKControl* text, double scale, const char* format) {
  char buf[32];
  std::snprintf(buf, sizeof buf, format, TKGetControlValue(slider) * scale);
  TKSetControlTitle(text, buf);
}

// A small square picture for the bevel buttons, drawn once into a PNG.
void MakePicture(int32_t id, TKColor color, int shape) {
  TKImage* image = TKImageCreate(32, 32);
  TKContext* ctx = TKBeginDrawing(image);
  TKSetFillColor(ctx, color);
  if (shape == 0) {
    TKFillRect(ctx, TKMakeRect(4, 6, 11, 20));
    TKSetFillColor(ctx, TKColor{0.3, 0.3, 0.3, 1});
    TKFillRect(ctx, TKMakeRect(17, 6, 11, 20));
  } else if (shape == 1) {
    TKFillOval(ctx, TKMakeRect(4, 4, 24, 24));
  } else {
    TKBeginPath(ctx);
    TKMoveTo(ctx, 8, 5);
    TKLineTo(ctx, 27, 16);
    TKLineTo(ctx, 8, 27);
    TKClosePath(ctx);
    TKFillPath(ctx);
  }
  TKEndDrawing(ctx);
  char path[256];
  const char* tmp = std::getenv("TMPDIR");
  std::snprintf(path, sizeof path, "%s/toolkit_demo_%d_%d.png", tmp ? tmp : "/tmp", int(getpid()), int(id));
  // A demonstration picture that cannot be written is drawn as nothing.
  QVIgnoreStatus(TKImageWritePNG(image, path));
  TKImageDispose(image);
  // Likewise a picture that cannot be registered.
  QVIgnoreStatus(TKRegisterPicture(id, path));
  TKGetPicture(id);  // loaded now, so the file can go
  unlink(path);
}

TKControl* Label(TKWindow* w, int32_t x, int32_t y, int32_t width, const char* text) {
  return TKNewStaticText(w, TKMakeRect(x, y, width, 22), text);
}

void BuildMenus() {
  TKMenu* file = TKCreateMenu(128, "File");
  TKAppendMenuItem(file, "Open\xE2\x80\xA6", kCmdOpen, 'o', kTKModCommand);
  TKAppendMenuItem(file, "Save As\xE2\x80\xA6", kCmdSave, 's', kTKModCommand | kTKModShift);
  TKAppendMenuItem(file, "Choose Folder\xE2\x80\xA6", kCmdFolder);
  TKAppendMenuItem(file, "-", 0);
  TKAppendMenuItem(file, "Quit", kCmdQuit, 'q', kTKModCommand);
  TKMenu* edit = TKCreateMenu(129, "Edit");
  TKAppendMenuItem(edit, "Copy Settings", kCmdCopy, 'c', kTKModCommand);
  TKAppendMenuItem(edit, "Pick Colour\xE2\x80\xA6", kCmdColour, 'k', kTKModCommand);
  TKMenu* view = TKCreateMenu(130, "View");
  TKAppendMenuItem(view, "Show Hue Wheel", kCmdShowWheel, 'h', kTKModCommand);
  TKMenu* layout = TKCreateMenu(131, "Layout");
  TKAppendMenuItem(layout, "Side by Side", 0);
  TKAppendMenuItem(layout, "Stacked", 0);
  int32_t sub = TKAppendMenuItem(view, "Layout", 0);
  TKSetMenuItemSubmenu(view, sub, layout);
  TKMenu* help = TKCreateMenu(132, "Help");
  TKAppendMenuItem(help, "About the Toolkit", kCmdAbout);
  for (TKMenu* m : {file, edit, view, help}) TKInsertMenuInBar(m);
}

QVStatus HandleCommand(TKEvent& e) {
  if (e.kind == kTKEventUpdateCommand) {
    if (e.command == kCmdShowWheel) TKCheckMenuItem(e.menu, e.menuItem, TKIsControlVisible(gDemo.wheel));
    return kQVNoErr;
  }
  if (e.kind != kTKEventCommand) return kQVErrNotHandled;
  switch (e.command) {
    case kCmdOpen: {
      TKPanelRequest desc;
      desc.kind = kTKPanelOpen;
      desc.types = {{"Presets", "vlpreset"}, {"Cube LUTs", "cube"}, {"All Files", "*"}};
      std::string path;
      SetStatus(TKRunFilePanel(desc, &path) == kQVNoErr ? "Opened " + path : "Open cancelled");
      return kQVNoErr;
    }
    case kCmdSave: {
      TKPanelRequest desc;
      desc.kind = kTKPanelSave;
      desc.fileName = "Grade";
      desc.types = {{"ASC CDL", "cdl"}};
      std::string path;
      SetStatus(TKRunFilePanel(desc, &path) == kQVNoErr ? "Saved as " + path : "Save cancelled");
      return kQVNoErr;
    }
    case kCmdFolder: {
      TKPanelRequest desc;
      desc.kind = kTKPanelFolder;
      std::string path;
      SetStatus(TKRunFilePanel(desc, &path) == kQVNoErr ? "Folder " + path : "No folder chosen");
      return kQVNoErr;
    }
    case kCmdColour: {
      TKColor c;
      if (TKRunColorPicker("Colour of the swatch:", gDemo.swatch, &c) == kQVNoErr) gDemo.swatch = c;
      TKInvalidateWindow(gDemo.window);
      return kQVNoErr;
    }
    case kCmdCopy: {
      const char text[] = "Exposure and saturation settings";
      // A refused copy leaves the clipboard as it was.
      QVIgnoreStatus(TKClipboardPut(kTKFlavourText, text, sizeof text - 1));
      SetStatus("Copied to the clipboard");
      return kQVNoErr;
    }
    case kCmdShowWheel: TKSetControlVisible(gDemo.wheel, !TKIsControlVisible(gDemo.wheel)); return kQVNoErr;
    case kCmdAbout: {
      TKAlertRequest about;
      about.title = "About";
      about.message = "Window toolkit demonstration";
      about.detail = "Controls, menus, dialogs and drawing over cairo and pango, shown through SDL2.";
      TKRunAlert(about);
      return kQVNoErr;
    }
    case kCmdReset:
      TKSetControlValue(gDemo.exposure, 0);
      TKSetControlValue(gDemo.saturation, 50);
      UpdateReadout(gDemo.exposure, gDemo.exposureText, 0.01, "%+.2f");
      UpdateReadout(gDemo.saturation, gDemo.saturationText, 1, "%.0f%%");
      SetStatus("Reset");
      return kQVNoErr;
    case kCmdAuto: SetStatus("Automatic correction applied"); return kQVNoErr;
    case kCmdOK:
    case kCmdCancel: {
      TKAlertRequest ask;
      ask.kind = kTKAlertCaution;
      ask.message = e.command == kCmdOK ? "Apply the correction and close?" : "Discard the changes?";
      ask.detail = "The window closes and the program ends.";
      ask.defaultButton = e.command == kCmdOK ? "Apply" : "Discard";
      ask.cancelButton = "Cancel";
      if (TKRunAlert(ask) == kTKAlertDefault) TKQuitLoop();
      return kQVNoErr;
    }
    case kCmdQuit: TKQuitLoop(); return kQVNoErr;
    default: return kQVErrNotHandled;
  }
}

void Build() {
  TKRect screen = TKGetDisplayBounds(TKGetMainDisplay());
  int32_t width = 900, height = 640;
  TKRect bounds = TKMakeRect(screen.left + (TKRectWidth(screen) - width) / 2,
                             screen.top + std::max(0, (TKRectHeight(screen) - height) / 3), width, height);
  TKWindow* w = TKCreateWindow(kTKWindowPlain, bounds, "Toolkit Demo");
  gDemo.window = w;
  TKSetWindowShowsMenuBar(w, true);
  BuildMenus();
  MakePicture(1001, TKColor{0.62, 0.64, 0.68, 1}, 0);
  MakePicture(1002, TKColor{0.20, 0.46, 0.85, 1}, 1);
  MakePicture(1003, TKColor{0.25, 0.65, 0.30, 1}, 2);

  TKFont heading = TKFont{"DejaVu Sans", 15, true, false};
  TKControl* title = Label(w, 24, 38, 300, "Primary Correction");
  TKSetControlFont(title, heading);

  // Sliders with live readouts.
  Label(w, 24, 76, 90, "Exposure");
  gDemo.exposure = TKNewSlider(w, TKMakeRect(118, 76, 220, 22), 0, -200, 200);
  gDemo.exposureText = Label(w, 350, 76, 60, "+0.00");
  Label(w, 24, 110, 90, "Saturation");
  gDemo.saturation = TKNewSlider(w, TKMakeRect(118, 110, 220, 22), 50, 0, 100);
  gDemo.saturationText = Label(w, 350, 110, 60, "50%");
  TKSetHelpTag(gDemo.exposure, "Exposure in stops; drag or click the track");
  for (TKControl* s : {gDemo.exposure, gDemo.saturation}) {
    TKInstallControlHandler(s, [s](TKEvent& e) {
      if (e.kind != kTKEventValueChanged && e.kind != kTKEventControlHit) return kQVErrNotHandled;
      if (s == gDemo.exposure) UpdateReadout(s, gDemo.exposureText, 0.01, "%+.2f");
      else UpdateReadout(s, gDemo.saturationText, 1, "%.0f%%");
      TKDrawControl(gDemo.wheel);
      return kQVNoErr;
    });
  }

  // Edit fields on one tab chain.
  Label(w, 24, 148, 90, "Gain");
  TKControl* gain = TKNewEditText(w, TKMakeRect(118, 146, 90, 24), "1.0");
  Label(w, 228, 148, 60, "Offset");
  TKNewEditText(w, TKMakeRect(290, 146, 90, 24), "0.0");

  // Check boxes.
  TKNewCheckBox(w, TKMakeRect(24, 190, 180, 22), "Broadcast limiter", 1);
  TKNewCheckBox(w, TKMakeRect(24, 216, 180, 22), "Highlight recovery", 0);
  TKNewCheckBox(w, TKMakeRect(210, 190, 180, 22), "Some ranges enabled", 2);
  TKControl* disabled = TKNewCheckBox(w, TKMakeRect(210, 216, 180, 22), "Unavailable option", 0);
  TKSetControlEnabled(disabled, false);

  // Popup button over a menu.
  Label(w, 24, 258, 90, "Video system");
  TKMenu* systems = TKCreateMenu(200, "");
  for (const char* t : {"NTSC", "PAL", "ATSC / Rec. 709", "SMPTE 240M"}) TKAppendMenuItem(systems, t, 0);
  TKNewPopupButton(w, TKMakeRect(118, 256, 200, 26), "", systems, 3);

  // Bevel buttons with pictures; the first two stay down when clicked.
  Label(w, 24, 300, 90, "Compare");
  TKNewBevelButton(w, TKMakeRect(118, 296, 90, 32), "Split", 1001, true);
  TKControl* ref = TKNewBevelButton(w, TKMakeRect(214, 296, 90, 32), "Ref", 1002, true);
  TKSetControlValue(ref, 1);
  TKNewBevelButton(w, TKMakeRect(310, 296, 40, 32), "", 1003, false);

  // Push buttons.
  TKControl* reset = TKNewPushButton(w, TKMakeRect(118, 344, 100, 28), "Reset", kCmdReset);
  TKSetHelpTag(reset, "Sets exposure and saturation back to their defaults");
  TKNewPushButton(w, TKMakeRect(226, 344, 100, 28), "Auto", kCmdAuto);

  // Multi-line static text.
  TKControl* note = TKNewStaticText(w, TKMakeRect(24, 392, 380, 60),
                                    "Drag the sliders, type into the fields (Tab moves on), pick a video system or "
                                    "click the wheel. Menus have keyboard equivalents with Ctrl.");
  TKSetControlFont(note, TKFont{"DejaVu Sans", 11, false, false});

  // The user pane: a hue wheel.
  TKUserPaneProcs wheel;
  wheel.draw = DrawWheel;
  wheel.track = TrackWheel;
  gDemo.wheel = TKNewUserPane(w, TKMakeRect(440, 38, 436, 270), wheel);

  // A sortable list with an editable column.
  TKControl* list = TKNewList(w, TKMakeRect(440, 322, 436, 200));
  TKListSetColumns(list, {{"Preset", 200, true, false}, {"Kind", 140, false, false}, {"Used", 96, false, true}});
  const char* rows[][3] = {{"Warm Evening", "User preset", "12"}, {"Bleach Bypass", "System preset", "4"},
                           {"Day for Night", "System preset", "27"}, {"Skin Tones", "User preset", "9"},
                           {"Reference 01", "Image", "2"},         {"Teal and Orange", "System preset", "31"},
                           {"Interview A", "Footage", "6"}};
  int32_t id = 1;
  for (auto& r : rows) TKListAddRow(list, id++, {r[0], r[1], r[2]});
  TKListSort(list, 0, true);
  TKListSelectRow(list, 1);

  gDemo.status = TKNewStaticText(w, TKMakeRect(24, height - 44, 400, 22), "Ready");
  TKSetControlFont(gDemo.status, TKFont{"DejaVu Sans", 11, false, true});
  TKControl* ok = TKNewPushButton(w, TKMakeRect(width - 120, height - 48, 96, 28), "OK", kCmdOK);
  TKControl* cancel = TKNewPushButton(w, TKMakeRect(width - 226, height - 48, 96, 28), "Cancel", kCmdCancel);
  TKSetDefaultButton(w, ok);
  TKSetCancelButton(w, cancel);

  TKInstallWindowHandler(w, HandleCommand);
  TKInstallAppHandler([](TKEvent& e) -> QVStatus {
    if (e.kind == kTKEventWindowClose && e.window == gDemo.window) {
      TKQuitLoop();
      return kQVNoErr;
    }
    return HandleCommand(e);
  });
  TKShowWindow(w);
  // The field is there and focusable; a refusal leaves the focus where it was.
  QVIgnoreStatus(TKSetKeyboardFocus(w, gain));
}

}  // namespace

constexpr const char* kUsage =
    "usage: toolkit_demo [--screenshot FILE] [--show-for SECONDS]\n"
    "Opens a window with every kind of control of the window toolkit.\n"
    "  --screenshot FILE   render the window into a PNG file and quit (works without a display)\n"
    "  --show-for SECONDS  quit by itself after that many seconds\n"
    "  --help              this text\n"
    "Without a display only --screenshot and --show-for run: there would be nothing to see.\n";

int main(int argc, char** argv) {
  const char* screenshot = nullptr;
  double showFor = 0;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--screenshot") && i + 1 < argc) {
      screenshot = argv[++i];
    } else if (!std::strcmp(argv[i], "--show-for") && i + 1 < argc) {
      const char* v = argv[++i];
      const char* end = v + std::strlen(v);
      auto r = std::from_chars(v, end, showFor);
      if (r.ec != std::errc() || r.ptr != end || !(showFor > 0) || showFor > 1e6) {
        std::fprintf(stderr, "toolkit_demo: --show-for %s: the time is a number of seconds above 0\n", v);
        return 2;
      }
    } else {
      std::fprintf(stderr, "toolkit_demo: unknown option %s\n%s", argv[i], kUsage);
      return 2;
    }
  }
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  if (TKInitToolkit(kTKBackendAuto) != kQVNoErr) {
    std::fprintf(stderr, "toolkit_demo: the toolkit could not start\n");
    return 1;
  }
  if (!screenshot && showFor == 0 && TKGetBackendKind() == kTKBackendHeadless) {
    TKShutdownToolkit();
    std::fprintf(stderr,
                 "toolkit_demo: no display to open a window on (is DISPLAY set?); "
                 "--screenshot FILE renders the window without one\n");
    return 1;
  }
  Build();
  int status = 0;
  if (screenshot) {
    // What is on the screen after the window has settled.
    TKRunFor(0.5);
    TKImage* shot = TKCaptureWindow(gDemo.window);
    if (!shot || TKImageWritePNG(shot, screenshot) != kQVNoErr) {
      std::fprintf(stderr, "toolkit_demo: cannot write %s\n", screenshot);
      status = 1;
    }
    TKImageDispose(shot);
  } else if (showFor > 0) {
    TKRunFor(showFor);
  } else {
    TKRunLoop();
  }
  TKShutdownToolkit();
  return status;
}
