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
  UIWindow* window = nullptr;
  UIControl* exposure = nullptr;
  UIControl* exposureText = nullptr;
  UIControl* saturation = nullptr;
  UIControl* saturationText = nullptr;
  UIControl* wheel = nullptr;
  UIControl* status = nullptr;
  double hue = 200;  // marker on the wheel
  UIColor swatch{0.85, 0.45, 0.20, 1};
};

Demo gDemo;

void OnSignal(int) { UIRequestQuit(); }

UIColor HSV(double h, double s, double v) {
  h = std::fmod(h, 360.0) / 60.0;
  int i = int(h);
  double f = h - i, p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  switch (i) {
    case 0: return UIColor{v, t, p, 1};
    case 1: return UIColor{q, v, p, 1};
    case 2: return UIColor{p, v, t, 1};
    case 3: return UIColor{p, q, v, 1};
    case 4: return UIColor{t, p, v, 1};
    default: return UIColor{v, p, q, 1};
  }
}

void SetStatus(const std::string& text) { UISetControlTitle(gDemo.status, text.c_str()); }

void DrawWheel(UIControl* c, UIContext* ctx) {
  UIRect r = UIGetControlBounds(c);
  UISetFillColor(ctx, UIColor{0.16, 0.16, 0.18, 1});
  UIFillRoundRect(ctx, r, 8);
  double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0 - 8;
  double radius = std::min(UIRectWidth(r), UIRectHeight(r)) / 2.0 - 28;
  const int kRings = 14, kWedges = 120;
  for (int ring = kRings; ring >= 1; --ring) {
    double outer = radius * ring / kRings;
    for (int k = 0; k < kWedges; ++k) {
      double a0 = 2 * M_PI * k / kWedges, a1 = 2 * M_PI * (k + 1.05) / kWedges;
      UISetFillColor(ctx, HSV(360.0 * k / kWedges, double(ring) / kRings, 0.95));
      UIBeginPath(ctx);
      UIMoveTo(ctx, cx, cy);
      UIArc(ctx, cx, cy, outer, a0, a1, false);
      UIClosePath(ctx);
      UIFillPath(ctx);
    }
  }
  UISetStrokeColor(ctx, UIColor{0.05, 0.05, 0.05, 1});
  UISetLineWidth(ctx, 1.5);
  UIFrameOval(ctx, UIMakeRect(int32_t(cx - radius), int32_t(cy - radius), int32_t(2 * radius), int32_t(2 * radius)));
  // The marker at the current hue, at the saturation slider's distance.
  double sat = UIGetControlValue(gDemo.saturation) / 100.0;
  double a = gDemo.hue * M_PI / 180.0;
  double mx = cx + std::cos(a) * radius * sat, my = cy + std::sin(a) * radius * sat;
  UISetStrokeColor(ctx, UIColor{1, 1, 1, 1});
  UISetLineWidth(ctx, 2);
  UIFrameOval(ctx, UIMakeRect(int32_t(mx - 6), int32_t(my - 6), 12, 12));
  char label[64];
  std::snprintf(label, sizeof label, "Hue %.0f\xC2\xB0   Sat %.0f%%", gDemo.hue, sat * 100);
  UISetFillColor(ctx, UIColor{0.85, 0.85, 0.87, 1});
  UIDrawText(ctx, UIFont{"DejaVu Sans", 11, false, false}, label, cx, r.bottom - 10, kUIAlignCenter);
}

int16_t TrackWheel(UIControl* c, UIPoint p, uint32_t) {
  UIRect r = UIGetControlBounds(c);
  double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0 - 8;
  for (;;) {
    gDemo.hue = std::fmod(std::atan2(p.y - cy, p.x - cx) * 180.0 / M_PI + 360.0, 360.0);
    UIDrawControl(c);
    uint32_t mods;
    UITrackResult result = UITrackMouse(UIGetControlWindow(c), 0.02, &p, &mods);
    if (result == kUITrackMouseUp) break;
  }
  return 1;
}

void UpdateReadout(UIControl* slider, UIControl* text, double scale, const char* format) {
  char buf[32];
  std::snprintf(buf, sizeof buf, format, UIGetControlValue(slider) * scale);
  UISetControlTitle(text, buf);
}

// A small square picture for the bevel buttons, drawn once into a PNG.
void MakePicture(int32_t id, UIColor color, int shape) {
  UIImage* image = UIImageCreate(32, 32);
  UIContext* ctx = UIBeginDrawing(image);
  UISetFillColor(ctx, color);
  if (shape == 0) {
    UIFillRect(ctx, UIMakeRect(4, 6, 11, 20));
    UISetFillColor(ctx, UIColor{0.3, 0.3, 0.3, 1});
    UIFillRect(ctx, UIMakeRect(17, 6, 11, 20));
  } else if (shape == 1) {
    UIFillOval(ctx, UIMakeRect(4, 4, 24, 24));
  } else {
    UIBeginPath(ctx);
    UIMoveTo(ctx, 8, 5);
    UILineTo(ctx, 27, 16);
    UILineTo(ctx, 8, 27);
    UIClosePath(ctx);
    UIFillPath(ctx);
  }
  UIEndDrawing(ctx);
  char path[256];
  const char* tmp = std::getenv("TMPDIR");
  std::snprintf(path, sizeof path, "%s/toolkit_demo_%d_%d.png", tmp ? tmp : "/tmp", int(getpid()), int(id));
  UIImageWritePNG(image, path);
  UIImageDispose(image);
  UIRegisterPicture(id, path);
  UIGetPicture(id);  // loaded now, so the file can go
  unlink(path);
}

UIControl* Label(UIWindow* w, int32_t x, int32_t y, int32_t width, const char* text) {
  return UINewStaticText(w, UIMakeRect(x, y, width, 22), text);
}

void BuildMenus() {
  UIMenu* file = UICreateMenu(128, "File");
  UIAppendMenuItem(file, "Open\xE2\x80\xA6", kCmdOpen, 'o', kUIModCommand);
  UIAppendMenuItem(file, "Save As\xE2\x80\xA6", kCmdSave, 's', kUIModCommand | kUIModShift);
  UIAppendMenuItem(file, "Choose Folder\xE2\x80\xA6", kCmdFolder);
  UIAppendMenuItem(file, "-", 0);
  UIAppendMenuItem(file, "Quit", kCmdQuit, 'q', kUIModCommand);
  UIMenu* edit = UICreateMenu(129, "Edit");
  UIAppendMenuItem(edit, "Copy Settings", kCmdCopy, 'c', kUIModCommand);
  UIAppendMenuItem(edit, "Pick Colour\xE2\x80\xA6", kCmdColour, 'k', kUIModCommand);
  UIMenu* view = UICreateMenu(130, "View");
  UIAppendMenuItem(view, "Show Hue Wheel", kCmdShowWheel, 'h', kUIModCommand);
  UIMenu* layout = UICreateMenu(131, "Layout");
  UIAppendMenuItem(layout, "Side by Side", 0);
  UIAppendMenuItem(layout, "Stacked", 0);
  int32_t sub = UIAppendMenuItem(view, "Layout", 0);
  UISetMenuItemSubmenu(view, sub, layout);
  UIMenu* help = UICreateMenu(132, "Help");
  UIAppendMenuItem(help, "About the Toolkit", kCmdAbout);
  for (UIMenu* m : {file, edit, view, help}) UIInsertMenuInBar(m);
}

QVStatus HandleCommand(UIEvent& e) {
  if (e.kind == kUIEventUpdateCommand) {
    if (e.command == kCmdShowWheel) UICheckMenuItem(e.menu, e.menuItem, UIIsControlVisible(gDemo.wheel));
    return kQVNoErr;
  }
  if (e.kind != kUIEventCommand) return kQVErrNotHandled;
  switch (e.command) {
    case kCmdOpen: {
      UIPanelRequest desc;
      desc.kind = kUIPanelOpen;
      desc.types = {{"Presets", "vlpreset"}, {"Cube LUTs", "cube"}, {"All Files", "*"}};
      std::string path;
      SetStatus(UIRunFilePanel(desc, &path) == kQVNoErr ? "Opened " + path : "Open cancelled");
      return kQVNoErr;
    }
    case kCmdSave: {
      UIPanelRequest desc;
      desc.kind = kUIPanelSave;
      desc.fileName = "Grade";
      desc.types = {{"ASC CDL", "cdl"}};
      std::string path;
      SetStatus(UIRunFilePanel(desc, &path) == kQVNoErr ? "Saved as " + path : "Save cancelled");
      return kQVNoErr;
    }
    case kCmdFolder: {
      UIPanelRequest desc;
      desc.kind = kUIPanelFolder;
      std::string path;
      SetStatus(UIRunFilePanel(desc, &path) == kQVNoErr ? "Folder " + path : "No folder chosen");
      return kQVNoErr;
    }
    case kCmdColour: {
      UIColor c;
      if (UIRunColorPicker("Colour of the swatch:", gDemo.swatch, &c) == kQVNoErr) gDemo.swatch = c;
      UIInvalidateWindow(gDemo.window);
      return kQVNoErr;
    }
    case kCmdCopy: {
      const char text[] = "Exposure and saturation settings";
      UIClipboardPut(kUIFlavourText, text, sizeof text - 1);
      SetStatus("Copied to the clipboard");
      return kQVNoErr;
    }
    case kCmdShowWheel: UISetControlVisible(gDemo.wheel, !UIIsControlVisible(gDemo.wheel)); return kQVNoErr;
    case kCmdAbout: {
      UIAlertRequest about;
      about.title = "About";
      about.message = "Window toolkit demonstration";
      about.detail = "Controls, menus, dialogs and drawing over cairo and pango, shown through SDL2.";
      UIRunAlert(about);
      return kQVNoErr;
    }
    case kCmdReset:
      UISetControlValue(gDemo.exposure, 0);
      UISetControlValue(gDemo.saturation, 50);
      UpdateReadout(gDemo.exposure, gDemo.exposureText, 0.01, "%+.2f");
      UpdateReadout(gDemo.saturation, gDemo.saturationText, 1, "%.0f%%");
      SetStatus("Reset");
      return kQVNoErr;
    case kCmdAuto: SetStatus("Automatic correction applied"); return kQVNoErr;
    case kCmdOK:
    case kCmdCancel: {
      UIAlertRequest ask;
      ask.kind = kUIAlertCaution;
      ask.message = e.command == kCmdOK ? "Apply the correction and close?" : "Discard the changes?";
      ask.detail = "The window closes and the program ends.";
      ask.defaultButton = e.command == kCmdOK ? "Apply" : "Discard";
      ask.cancelButton = "Cancel";
      if (UIRunAlert(ask) == kUIAlertDefault) UIQuitLoop();
      return kQVNoErr;
    }
    case kCmdQuit: UIQuitLoop(); return kQVNoErr;
    default: return kQVErrNotHandled;
  }
}

void Build() {
  UIRect screen = UIGetDisplayBounds(UIGetMainDisplay());
  int32_t width = 900, height = 640;
  UIRect bounds = UIMakeRect(screen.left + (UIRectWidth(screen) - width) / 2,
                             screen.top + std::max(0, (UIRectHeight(screen) - height) / 3), width, height);
  UIWindow* w = UICreateWindow(kUIWindowPlain, bounds, "Toolkit Demo");
  gDemo.window = w;
  UISetWindowShowsMenuBar(w, true);
  BuildMenus();
  MakePicture(1001, UIColor{0.62, 0.64, 0.68, 1}, 0);
  MakePicture(1002, UIColor{0.20, 0.46, 0.85, 1}, 1);
  MakePicture(1003, UIColor{0.25, 0.65, 0.30, 1}, 2);

  UIFont heading = UIFont{"DejaVu Sans", 15, true, false};
  UIControl* title = Label(w, 24, 38, 300, "Primary Correction");
  UISetControlFont(title, heading);

  // Sliders with live readouts.
  Label(w, 24, 76, 90, "Exposure");
  gDemo.exposure = UINewSlider(w, UIMakeRect(118, 76, 220, 22), 0, -200, 200);
  gDemo.exposureText = Label(w, 350, 76, 60, "+0.00");
  Label(w, 24, 110, 90, "Saturation");
  gDemo.saturation = UINewSlider(w, UIMakeRect(118, 110, 220, 22), 50, 0, 100);
  gDemo.saturationText = Label(w, 350, 110, 60, "50%");
  UISetHelpTag(gDemo.exposure, "Exposure in stops; drag or click the track");
  for (UIControl* s : {gDemo.exposure, gDemo.saturation}) {
    UIInstallControlHandler(s, [s](UIEvent& e) {
      if (e.kind != kUIEventValueChanged && e.kind != kUIEventControlHit) return kQVErrNotHandled;
      if (s == gDemo.exposure) UpdateReadout(s, gDemo.exposureText, 0.01, "%+.2f");
      else UpdateReadout(s, gDemo.saturationText, 1, "%.0f%%");
      UIDrawControl(gDemo.wheel);
      return kQVNoErr;
    });
  }

  // Edit fields on one tab chain.
  Label(w, 24, 148, 90, "Gain");
  UIControl* gain = UINewEditText(w, UIMakeRect(118, 146, 90, 24), "1.0");
  Label(w, 228, 148, 60, "Offset");
  UINewEditText(w, UIMakeRect(290, 146, 90, 24), "0.0");

  // Check boxes.
  UINewCheckBox(w, UIMakeRect(24, 190, 180, 22), "Broadcast limiter", 1);
  UINewCheckBox(w, UIMakeRect(24, 216, 180, 22), "Highlight recovery", 0);
  UINewCheckBox(w, UIMakeRect(210, 190, 180, 22), "Some ranges enabled", 2);
  UIControl* disabled = UINewCheckBox(w, UIMakeRect(210, 216, 180, 22), "Unavailable option", 0);
  UISetControlEnabled(disabled, false);

  // Popup button over a menu.
  Label(w, 24, 258, 90, "Video system");
  UIMenu* systems = UICreateMenu(200, "");
  for (const char* t : {"NTSC", "PAL", "ATSC / Rec. 709", "SMPTE 240M"}) UIAppendMenuItem(systems, t, 0);
  UINewPopupButton(w, UIMakeRect(118, 256, 200, 26), "", systems, 3);

  // Bevel buttons with pictures; the first two stay down when clicked.
  Label(w, 24, 300, 90, "Compare");
  UINewBevelButton(w, UIMakeRect(118, 296, 90, 32), "Split", 1001, true);
  UIControl* ref = UINewBevelButton(w, UIMakeRect(214, 296, 90, 32), "Ref", 1002, true);
  UISetControlValue(ref, 1);
  UINewBevelButton(w, UIMakeRect(310, 296, 40, 32), "", 1003, false);

  // Push buttons.
  UIControl* reset = UINewPushButton(w, UIMakeRect(118, 344, 100, 28), "Reset", kCmdReset);
  UISetHelpTag(reset, "Sets exposure and saturation back to their defaults");
  UINewPushButton(w, UIMakeRect(226, 344, 100, 28), "Auto", kCmdAuto);

  // Multi-line static text.
  UIControl* note = UINewStaticText(w, UIMakeRect(24, 392, 380, 60),
                                    "Drag the sliders, type into the fields (Tab moves on), pick a video system or "
                                    "click the wheel. Menus have keyboard equivalents with Ctrl.");
  UISetControlFont(note, UIFont{"DejaVu Sans", 11, false, false});

  // The user pane: a hue wheel.
  UIUserPaneProcs wheel;
  wheel.draw = DrawWheel;
  wheel.track = TrackWheel;
  gDemo.wheel = UINewUserPane(w, UIMakeRect(440, 38, 436, 270), wheel);

  // A sortable list with an editable column.
  UIControl* list = UINewList(w, UIMakeRect(440, 322, 436, 200));
  UIListSetColumns(list, {{"Preset", 200, true, false}, {"Kind", 140, false, false}, {"Used", 96, false, true}});
  const char* rows[][3] = {{"Warm Evening", "User preset", "12"}, {"Bleach Bypass", "System preset", "4"},
                           {"Day for Night", "System preset", "27"}, {"Skin Tones", "User preset", "9"},
                           {"Reference 01", "Image", "2"},         {"Teal and Orange", "System preset", "31"},
                           {"Interview A", "Footage", "6"}};
  int32_t id = 1;
  for (auto& r : rows) UIListAddRow(list, id++, {r[0], r[1], r[2]});
  UIListSort(list, 0, true);
  UIListSelectRow(list, 1);

  gDemo.status = UINewStaticText(w, UIMakeRect(24, height - 44, 400, 22), "Ready");
  UISetControlFont(gDemo.status, UIFont{"DejaVu Sans", 11, false, true});
  UIControl* ok = UINewPushButton(w, UIMakeRect(width - 120, height - 48, 96, 28), "OK", kCmdOK);
  UIControl* cancel = UINewPushButton(w, UIMakeRect(width - 226, height - 48, 96, 28), "Cancel", kCmdCancel);
  UISetDefaultButton(w, ok);
  UISetCancelButton(w, cancel);

  UIInstallWindowHandler(w, HandleCommand);
  UIInstallAppHandler([](UIEvent& e) -> QVStatus {
    if (e.kind == kUIEventWindowClose && e.window == gDemo.window) {
      UIQuitLoop();
      return kQVNoErr;
    }
    return HandleCommand(e);
  });
  UIShowWindow(w);
  UISetKeyboardFocus(w, gain);
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
  if (UIInitToolkit(kUIBackendAuto) != kQVNoErr) {
    std::fprintf(stderr, "toolkit_demo: the toolkit could not start\n");
    return 1;
  }
  if (!screenshot && showFor == 0 && UIGetBackendKind() == kUIBackendHeadless) {
    UIShutdownToolkit();
    std::fprintf(stderr,
                 "toolkit_demo: no display to open a window on (is DISPLAY set?); "
                 "--screenshot FILE renders the window without one\n");
    return 1;
  }
  Build();
  int status = 0;
  if (screenshot) {
    // What is on the screen after the window has settled.
    UIRunFor(0.5);
    UIImage* shot = UICaptureWindow(gDemo.window);
    if (!shot || UIImageWritePNG(shot, screenshot) != kQVNoErr) {
      std::fprintf(stderr, "toolkit_demo: cannot write %s\n", screenshot);
      status = 1;
    }
    UIImageDispose(shot);
  } else if (showFor > 0) {
    UIRunFor(showFor);
  } else {
    UIRunLoop();
  }
  UIShutdownToolkit();
  return status;
}
