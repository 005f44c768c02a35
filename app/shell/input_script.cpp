#include "app/shell/input_script.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "app/commands/media_services.h"
#include "app/commands/shell_commands.h"
#include "app/shell/host_link.h"
#include "app/shell/startup.h"
#include "app/state/service_hooks.h"
#include "app/state/ui_state.h"
#include "app/state/undo_ring.h"
#include "app/views/image_pane.h"
#include "app/views/preview_outputs.h"
#include "app/views/rapid_preview.h"
#include "app/views/transport_bar.h"
#include "app/window/job_list_window.h"
#include "app/window/shell_window.h"
#include "core/pixel_transfer.h"
#include "media/output_job.h"
#include "platform/log.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_headless.h"
#include "settings/prefs.h"

namespace {

struct Step {
  std::string verb;
  std::vector<std::string> args;
  int line = 0;
};

std::vector<Step> gSteps;
size_t gNext = 0;
double gResumeAt = 0;
// The summary of the last frame as it arrived, before input linearization.
std::string gArrivedSummary;

// FNV-1a over bytes.
uint64_t fingerprint(const uint8_t* bytes, size_t count) {
  uint64_t h = 1469598103934665603ull;
  for (size_t i = 0; i < count; ++i) h = (h ^ bytes[i]) * 1099511628211ull;
  return h;
}

bool sameGeometry(const FBFrameStruct* f, const CCGeometry& g) {
  return int32_t(f->width) == g.width && int32_t(f->height) == g.height;
}

// "WIDTHxHEIGHT FINGERPRINT" of host pixels: the frame given, or the source
// frame turned back into the exchange's pixel format.
std::string UIFrameSummary(const std::vector<uint8_t>* pixels) {
  CCGeometry g;
  if (!gUIComm.block || CCReadGeometry(gUIComm, &g) || !gSourceFrame) return "none";
  // A frame loaded from a file has its own size, not the exchange's.
  if (!pixels && !sameGeometry(gSourceFrame, g)) return "none";
  std::vector<uint8_t> own;
  if (!pixels) {
    own.assign(g.frameBytes, 0);
    FBTransferFBFrameToPix(gSourceFrame, own.data(), uint32_t(g.rowBytes), g.pixelFormat, 1, nullptr);
    pixels = &own;
  }
  char text[64];
  std::snprintf(text, sizeof text, "%dx%d %016llx", g.width, g.height,
                static_cast<unsigned long long>(fingerprint(pixels->data(), pixels->size())));
  return text;
}

// The same summary of the result frame, turned into the exchange's pixel
// format as OK would hand it back to a render.
std::string UIResultSummary() {
  CCGeometry g;
  if (!gUIComm.block || CCReadGeometry(gUIComm, &g) || !gResultFrame || !sameGeometry(gResultFrame, g))
    return "none";
  std::vector<uint8_t> pixels(g.frameBytes, 0);
  FBTransferFBFrameToPix(gResultFrame, pixels.data(), uint32_t(g.rowBytes), g.pixelFormat, 1, nullptr);
  return UIFrameSummary(&pixels);
}

std::string UIRequestFrameSummary(int32_t time) {
  if (!gUIComm.block) return "none";
  const uint32_t saved = CCGet32(gUIComm, CC_OFFSET(currentTime));
  CCSet32(gUIComm, CC_OFFSET(currentTime), uint32_t(time));
  std::vector<uint8_t> frame;
  const QVStatus status = UICommRequestFrame(&frame);
  CCSet32(gUIComm, CC_OFFSET(currentTime), saved);
  return status || frame.empty() ? std::string("none") : UIFrameSummary(&frame);
}

bool number(const std::string& text, double* value) {
  auto r = std::from_chars(text.data(), text.data() + text.size(), *value);
  return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

struct Verb {
  const char* name;
  size_t arguments;
};
const Verb kVerbs[] = {
    {"wait", 1},   {"wait-exchange", 0}, {"wait-idle", 0}, {"key", 1},  {"click", 2},  {"command", 1}, {"menu", 1},
    {"ok", 0},     {"cancel", 0},        {"undo", 0},      {"redo", 0}, {"quit", 0},
    {"set", 2},    {"print", 1},         {"slot", 2},      {"screenshot", 1}, {"frame-sum", 0}, {"request-frame", 1},
    {"result-pixel", 2}, {"tab", 1},  {"result-sum", 0}, {"memory", 0}, {"toggle-preview", 0},
    {"load-source", 1}, {"load-reference", 1}, {"step", 1}, {"timecode", 0}, {"play", 0},
    {"secondary-monitor", 1}, {"rapid-preview", 1}, {"screenshot-window", 2}, {"wait-preview", 0},
    {"preview-frames", 0}, {"answer-panel", 1}, {"wait-jobs", 0}, {"cancel-job", 0},
};

const std::pair<const char*, uint32_t> kNamedCommands[] = {
    {"ok", kUICommandOK},       {"cancel", kUICommandCancel}, {"undo", kUICommandUndo},
    {"redo", kUICommandRedo},   {"quit", kUICommandQuitApp},
};

// Chooses the menu item with the command as a person would: after the enable
// pass, and only when it is enabled.
std::string chooseMenuItem(const std::string& code) {
  if (code.empty() || code.size() > 4) return "missing";
  char text[5] = {' ', ' ', ' ', ' ', '\0'};
  code.copy(text, code.size());
  const uint32_t command = QVFourCC(text);
  TKMenu* menu = nullptr;
  int32_t item = 0;
  if (!TKFindMenuCommand(command, &menu, &item)) return "missing";
  for (TKMenu* m : TKGetMenuBarMenus()) TKUpdateMenuItems(m);
  if (!TKIsMenuItemEnabled(menu, item)) return "disabled";
  // The item was found enabled; what the command does is the script's to check.
  QVIgnoreStatus(TKSendCommand(command));
  return "chosen";
}

void note(const std::string& text) { PLLogWrite("Velmora 3 UI script", text.c_str()); }

// The process's peak resident memory so far, in bytes (0 when unknown).
long long PeakResidentBytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    long long kib = 0;
    if (line.rfind("VmHWM:", 0) != 0) continue;
    size_t at = line.find_first_of("0123456789");
    if (at == std::string::npos) return 0;
    const char* first = line.c_str() + at;
    if (std::from_chars(first, line.c_str() + line.size(), kib).ec != std::errc()) return 0;
    return kib * 1024;
  }
  return 0;
}

bool gScriptStarted = false;
bool gScriptEndHandled = false;

// Without a display nothing can happen once the script has run out: the
// application ends rather than wait for ever, and an exchange still open is
// left unfinished (its host is told by the application's end).
void scriptEnded() {
  if (gScriptEndHandled || TKGetBackendKind() != kTKBackendHeadless) return;
  // A script that ends with quit has ended the program already.
  if (!gSteps.empty() && gSteps.back().verb == "quit") return;
  gScriptEndHandled = true;
  if (gUIComm.block) {
    note("the script has ended with the exchange open; the application ends without handing the correction back");
    gUIExchangeUnfinished = true;
    // The quit is asked for; the script ends either way.
    QVIgnoreStatus(AEHandlerQuitApplication());
  } else {
    UIQuitApplication();
  }
}

// Carries out one step; false when it must be tried again later.
bool run(const Step& s) {
  if (s.verb == "wait") {
    double seconds = 0;
    number(s.args[0], &seconds);
    if (gResumeAt == 0) {
      gResumeAt = TKNow() + seconds;
      return false;
    }
    if (TKNow() < gResumeAt) return false;
    gResumeAt = 0;
    return true;
  }
  if (s.verb == "wait-exchange") return gUIComm.block != nullptr && gUICommAttached;
  if (s.verb == "wait-idle") return gUIComm.block == nullptr;
  if (s.verb == "wait-jobs") {
    if (QVMediaOutstandingJobs() > 0) return false;
    note("jobs done");
    return true;
  }
  if (s.verb == "cancel-job") {
    // As a person would: the last row of the "Output Jobs" window selected,
    // then its Cancel Job button.
    TKControl* list = JobListControl();
    const int32_t rows = list ? TKListRowCount(list) : 0;
    if (rows <= 0) return false;
    TKListSelectRow(list, rows - 1);
    std::string cells;
    for (int32_t c = 0; c < 4; ++c) cells += (c ? " | " : "") + TKListGetCell(list, rows - 1, c);
    note("cancel-job " + cells + (JobListCancelSelected() ? " cancelled" : " not cancelled"));
    return true;
  }
  if (s.verb == "wait-preview") return !gRapidPreviewRendering;
  for (const auto& [name, command] : kNamedCommands) {
    if (s.verb == name) {
      // What the command does is the script's to check.
      QVIgnoreStatus(TKSendCommand(command));
      return true;
    }
  }
  if (s.verb == "command" && s.args[0].size() == 4) {
    const char code[5] = {s.args[0][0], s.args[0][1], s.args[0][2], s.args[0][3], '\0'};
    // What the command does is the script's to check.
    QVIgnoreStatus(TKSendCommand(QVFourCC(code)));
  } else if (s.verb == "menu") {
    note("menu " + s.args[0] + " " + chooseMenuItem(s.args[0]));
  } else if (s.verb == "key") {
    const std::string& k = s.args[0];
    const uint32_t c = k == "return" ? kTKKeyReturn : k == "escape" ? kTKKeyEscape : uint32_t(uint8_t(k[0]));
    TKInjectKey(c);
  } else if (s.verb == "click") {
    double x = 0, y = 0;
    number(s.args[0], &x);
    number(s.args[1], &y);
    if (UIMainWindow()) TKPostClick(UIMainWindow(), TKPoint{int32_t(x), int32_t(y)});
  } else if (s.verb == "set") {
    if (!UIEditSettingsField(s.args[0].c_str(), s.args[1].c_str()))
      note("line " + std::to_string(s.line) + ": cannot set " + s.args[0]);
  } else if (s.verb == "print") {
    char value[64];
    UIFormatSettingsField(s.args[0].c_str(), value, sizeof value);
    note(s.args[0] + "=" + value);
  } else if (s.verb == "slot") {
    double n = 0;
    number(s.args[1], &n);
    const bool done = SavedSettingsSlot(int32_t(n), s.args[0] == "store");
    note(std::string("slot ") + s.args[0] + " " + s.args[1] + (done ? " done" : " refused"));
  } else if (s.verb == "frame-sum") {
    note("frame " + (gArrivedSummary.empty() ? UIFrameSummary(nullptr) : gArrivedSummary));
  } else if (s.verb == "memory") {
    note("memory peak " + std::to_string(PeakResidentBytes()));
  } else if (s.verb == "result-sum") {
    note("result " + UIResultSummary());
  } else if (s.verb == "request-frame") {
    double time = 0;
    number(s.args[0], &time);
    note("request " + s.args[0] + " " + UIRequestFrameSummary(int32_t(time)));
  } else if (s.verb == "toggle-preview") {
    note("toggle-preview " + std::to_string(UICommToggleVideoPreview()));
  } else if (s.verb == "result-pixel") {
    double x = 0, y = 0;
    number(s.args[0], &x);
    number(s.args[1], &y);
    char text[48];
    std::snprintf(text, sizeof text, "result %d %d %08x", int(x), int(y),
                  gResultGWorld ? TKImageGetPixel(gResultGWorld, int32_t(x), int32_t(y)) : 0u);
    note(text);
  } else if (s.verb == "answer-panel") {
    TKDialogAnswer answer;
    answer.path = s.args[0];
    TKQueueDialogAnswer(answer);
  } else if (s.verb == "load-source" || s.verb == "load-reference") {
    const QVStatus status = s.verb == "load-source" ? MediaLoadSourceFile(s.args[0].c_str())
                                                    : MediaLoadReferenceFile(s.args[0].c_str());
    note(s.verb + " " + s.args[0] + (status == kQVNoErr ? " done" : " failed " + std::to_string(status)));
  } else if (s.verb == "step" || s.verb == "timecode" || s.verb == "play") {
    TKControl* bar = ImagePaneGetLinkedControl(gCurrentImagePane);
    if (s.verb == "step") {
      double n = 0;
      number(s.args[0], &n);
      note("step " + s.args[0] + " " + std::to_string(TransportStep(bar, int32_t(n))));
    } else if (s.verb == "play") {
      TransportTogglePlay(bar);
    }
    note(std::string("timecode ") + TransportGetTimecodeText(bar));
  } else if (s.verb == "secondary-monitor") {
    double n = 0;
    number(s.args[0], &n);
    gPrefsSettings.secondaryPreviewMonitor = int32_t(n);
    UIHooks().openSecondaryPreview(int32_t(n));
    UIHooks().updateSecondaryPreview(true);
    note(std::string("secondary-monitor ") + (SecondaryPreviewWindow() ? "open" : "none"));
  } else if (s.verb == "rapid-preview") {
    // As the current pane's 'Rpvw' button would, with the option key for "full".
    TKControl* bar = ImagePaneGetLinkedControl(gCurrentImagePane);
    RapidPreviewButton(bar, s.args[0] != "off", s.args[0] == "full");
    note("rapid-preview " + s.args[0] + (RapidPreviewBar() ? " on" : " off"));
  } else if (s.verb == "preview-frames") {
    note("preview movie " + std::to_string(RPFrameCount()) + " " + RPMoviePath());
    const std::vector<RPShownFrame>& shown = RPShownFrames();
    for (const RPShownFrame& f : shown) {
      char text[64];
      std::snprintf(text, sizeof text, "preview shown %lld %lld", static_cast<long long>(f.frame),
                    static_cast<long long>(std::llround((f.time - shown.front().time) * 1000.0)));
      note(text);
    }
  } else if (s.verb == "screenshot-window") {
    // The secondary monitor's window, the full-screen preview's or the
    // front window (a dialog that is open).
    TKWindow* w = s.args[0] == "secondary"     ? SecondaryPreviewWindow()
                  : s.args[0] == "full-screen" ? RapidPreviewFullScreenWindow()
                  : s.args[0] == "front"       ? TKFrontWindow()
                                               : nullptr;
    TKRunOnce(0);
    TKImage* shot = w ? TKCaptureWindow(w) : nullptr;
    if (!shot || TKImageWritePNG(shot, s.args[1].c_str()) != kQVNoErr) note("cannot write " + s.args[1]);
    if (shot) TKImageDispose(shot);
  } else if (s.verb == "tab") {
    if (!UIHooks().selectTabNamed(s.args[0].c_str())) note("line " + std::to_string(s.line) + ": no tab " + s.args[0]);
  } else if (s.verb == "screenshot") {
    // The window as it is on the screen (headless, a fresh rendering of it).
    TKWindow* w = UIMainWindow();
    TKRunOnce(0);
    TKImage* shot = w ? TKCaptureWindow(w) : nullptr;
    if (!shot || TKImageWritePNG(shot, s.args[0].c_str()) != kQVNoErr) note("cannot write " + s.args[0]);
    if (shot) TKImageDispose(shot);
  }
  return true;
}

}  // namespace

QVStatus UILoadInputScript(const std::string& path, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = path + ": cannot be read";
    return kQVErrFileNotFound;
  }
  gSteps.clear();
  gNext = 0;
  gArrivedSummary.clear();
  UISetFrameArrivalObserver([] { gArrivedSummary = UIFrameSummary(nullptr); });
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    std::istringstream words(line);
    Step s;
    s.line = n;
    if (!(words >> s.verb) || s.verb[0] == '#') continue;
    for (std::string w; words >> w;) s.args.push_back(w);
    // A tab's name may hold spaces: the rest of the line is one argument.
    if (s.verb == "tab" && s.args.size() > 1) {
      for (size_t i = 1; i < s.args.size(); ++i) s.args[0] += " " + s.args[i];
      s.args.resize(1);
    }
    const Verb* verb = nullptr;
    for (const Verb& v : kVerbs)
      if (s.verb == v.name) verb = &v;
    double ignored = 0;
    const bool numeric = (s.verb != "wait" || number(s.args.empty() ? "" : s.args[0], &ignored)) &&
                         ((s.verb != "click" && s.verb != "result-pixel") ||
                          (s.args.size() == 2 && number(s.args[0], &ignored) && number(s.args[1], &ignored)));
    if (!verb || s.args.size() != verb->arguments || !numeric ||
        (s.verb == "slot" && s.args[0] != "store" && s.args[0] != "recall")) {
      *error = path + ":" + std::to_string(n) + ": cannot read \"" + line + "\"";
      return kQVErrParam;
    }
    gSteps.push_back(s);
  }
  return kQVNoErr;
}

bool UIInputScriptPending() { return gScriptStarted && gNext < gSteps.size(); }

void UIStartInputScript() {
  gScriptStarted = true;
  TKSetScriptedInputPending(UIInputScriptPending);
  TKInstallTimer(0.05, 0.01, [](TKTimer* timer) {
    // A step may open an alert or a dialog whose loop runs this timer again:
    // the steps after it then carry on there (they may answer it).
    while (gNext < gSteps.size()) {
      // Keys and clicks a step gave are handled before the next step runs.
      if (TKPendingInputCount() > 0) return;
      const size_t step = gNext++;
      if (!run(gSteps[step])) {
        gNext = step;
        return;
      }
    }
    TKRemoveTimer(timer);
    scriptEnded();
  });
}
