// The program: start-up in order, the event loop, the orderly shutdown.
#include "app/shell/startup.h"

#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "app/commands/shell_commands.h"
#include "app/shell/host_link.h"
#include "app/views/preview_outputs.h"
#include "app/shell/input_script.h"
#include "app/state/app_state.h"
#include "app/state/save_failure.h"
#include "app/state/service_hooks.h"
#include "app/state/ui_state.h"
#include "app/state/undo_ring.h"
#include "app/window/about_box.h"
#include "app/window/shell_window.h"
#include "core/settings_ranges.h"
#include "core/processing_tables.h"
#include "core/task_pool.h"
#include "platform/alerts.h"
#include "platform/folders.h"
#include "platform/log.h"
#include "platform/processes.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_headless.h"
#include "settings/prefs.h"
#include "support/alerts.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kTitle = "Velmora 3 UI";
constexpr QVStatus kQuietFailure = -12244;
constexpr int kExitInterrupted = 130;

volatile std::sig_atomic_t gQuitSignal = 0;

void onQuitSignal(int) {
  gQuitSignal = 1;
  TKRequestQuit();
}

void installSignals() {
  struct sigaction action {};
  action.sa_handler = onQuitSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

// Without a display, alerts are written to the log (standard error unless
// VELMORA_LOG says otherwise). While a script still has steps to run, the
// alert waits in its window for them to answer it (a key or a click);
// otherwise, and once the script has run out, it takes its default button.
PLAlertSink gWindowAlerts{};

PLAlertAnswer headlessAlert(const PLAlertRequest& r, void*) {
  std::string line = std::string("alert: ") + (r.message ? r.message : "");
  if (r.detail && *r.detail) line += std::string(" | ") + r.detail;
  PLLogWrite(kTitle, line.c_str());
  if (!UIInputScriptPending() || !gWindowAlerts.show) return kPLAnswerDefault;
  const PLAlertAnswer answer = gWindowAlerts.show(r, gWindowAlerts.context);
  PLLogWrite(kTitle, answer == kPLAnswerDefault ? "alert answered with its default button"
                                                : "alert answered with its other button");
  return answer;
}
const PLAlertSink kHeadlessSink{headlessAlert, nullptr};

void usage(FILE* to) {
  std::fprintf(to,
               "usage: velmora-ui [--headless] [--script FILE] [--display WIDTHxHEIGHT]\n"
               "  The grading application. The effect plug-in starts it with a frame to grade;\n"
               "  started by hand it has nothing to work on and says so.\n"
               "  --headless          run without windows on the screen\n"
               "  --script FILE       carry out a script of input (implies --headless unless\n"
               "                      VELMORA_UI_HEADLESS=0); also VELMORA_UI_SCRIPT\n"
               "  --display WxH[,WxH] size of the screen when headless, and of a second one to\n"
               "                      its right; also VELMORA_UI_DISPLAY\n"
               "  --help, --version\n");
}

bool parseDisplay(const char* text, int32_t* width, int32_t* height) {
  const char* end = text + std::strlen(text);
  auto r = std::from_chars(text, end, *width);
  if (r.ec != std::errc() || r.ptr == end || (*r.ptr != 'x' && *r.ptr != 'X')) return false;
  auto r2 = std::from_chars(r.ptr + 1, end, *height);
  return r2.ec == std::errc() && r2.ptr == end && *width > 0 && *height > 0;
}

// "WxH" or "WxH,WxH": the headless display and an optional second one.
bool parseDisplays(const char* text, UIOptions* o) {
  const char* comma = std::strchr(text, ',');
  if (!comma) return parseDisplay(text, &o->displayWidth, &o->displayHeight);
  const std::string first(text, size_t(comma - text));
  return parseDisplay(first.c_str(), &o->displayWidth, &o->displayHeight) &&
         parseDisplay(comma + 1, &o->secondWidth, &o->secondHeight);
}

void pause(double seconds) { TKRunFor(seconds); }

// Support folders and default files; whatever cannot be found, made or
// copied is skipped with what depends on it.
void makeSupportFiles() {
  std::error_code ec;
  const std::string exe = PLExecutablePath();
  const char* named = std::getenv("VELMORA_UI_RESOURCES");
  const fs::path resources = named && *named ? fs::path(named) : fs::path(exe).parent_path() / "resources";
  QVFileRef user, prefs, system;
  if (PLFindFolder(kPLFolderUserSupport, true, &user) == kQVNoErr) {
    const fs::path maker = fs::path(user.path) / "Quorvane";
    if (fs::is_directory(maker, ec) || fs::create_directory(maker, ec)) {
      fs::create_directory(maker / "Velmora Presets", ec);
      const fs::path support = maker / "Velmora Support";
      if (fs::is_directory(support, ec) || fs::create_directory(support, ec)) {
        const fs::path sample = resources / "Preset Sample Image.png";
        if (!fs::exists(support / sample.filename(), ec) && fs::exists(sample, ec))
          fs::copy_file(sample, support / sample.filename(), ec);
      }
    }
  }
  if (PLFindFolder(kPLFolderPreferences, true, &prefs) == kQVNoErr) {
    const fs::path driverPrefs = fs::path(prefs.path) / "MCS3k USB Prefs";
    if (!fs::exists(driverPrefs, ec) && PLFindFolder(kPLFolderSystemSupport, false, &system) == kQVNoErr) {
      const fs::path master = fs::path(system.path) / "Quorvane" / "Knobwell Master Prefs";
      if (fs::exists(master, ec)) fs::copy_file(master, driverPrefs, ec);
    }
    const fs::path definitions = resources / "Velmora 3 Knobwell Settings.vlws";
    if (!fs::exists(fs::path(prefs.path) / definitions.filename(), ec) && fs::exists(definitions, ec))
      fs::copy_file(definitions, fs::path(prefs.path) / definitions.filename(), ec);
  }
}

bool screenLargeEnough() {
  const TKRect r = TKGetDisplayBounds(TKGetMainDisplay());
  return TKRectWidth(r) >= 1024 && TKRectHeight(r) >= 768;
}

// `started`: start-up went through; a block still attached after a start-up
// that failed is told so (state 2), otherwise it is done (state 4).
void shutdown(bool started) {
  // No exchange is taken from here on.
  if (gUICommTimer) TKRemoveTimer(gUICommTimer);
  gUICommTimer = nullptr;
  VLMPStopProcessPool();
  UIHooks().xmlTerminate();
  UIHooks().closeExternalPreview();
  ExternalPreviewQuit();
  UIHooks().stopVideoOutput(gPrefsSettings.externalPreviewDevice);
  UIHooks().openSecondaryPreview(0);
  UIHooks().surfaceStop();
  UIDisposeMainWindow();
  // The panes free their records from their own timers once their controls
  // are gone: those timers get their turn before the toolkit ends.
  TKClearQuitRequest();
  TKRunFor(0.25);
  UIDisposeFrames();
  if (gUIComm.block) {
    UICommSetState(started ? kCCStateDone : kCCStateFailed);
    UICommDetach(false);
  }
  DisposeUndoBuffer(gUndoBuffer);
  gUndoBuffer = nullptr;
  TKShutdownToolkit();
}

// The correction in the block, or defaults when it holds none.
void settingsFromBlock() {
  VL_SettingsStruct incoming;
  CCReadSettings(gUIComm, &incoming);
  if (incoming.byteOrderFlag == kVLSettingsByteOrderFlag) {
    VL_HoldIncomingSettings(&incoming);
    std::memcpy(&gUISettings, &incoming, sizeof gUISettings);
  } else {
    std::memset(&gUISettings, 0, sizeof gUISettings);
    VL_SetDefaultControlValues(&gUISettings, kVLMaskAll);
  }
  UIHooks().syncControls(&gUISettings, kVLMaskAll, nullptr);
}

void footageToGallery() {
  uint32_t count = CCGet32(gUIComm, CC_OFFSET(footageCount));
  if (count > uint32_t(kCCFootageMax)) count = kCCFootageMax;
  std::vector<CCFootageRecord> records(gUIComm.block->footage, gUIComm.block->footage + count);
  for (CCFootageRecord& r : records) r.path[kCCFootagePathBytes - 1] = '\0';
  UIHooks().addProjectFootage(count, records.data());
}

// Steps 12 to 15 of start-up once the block is attached; false when the
// program is to end (after the orderly shutdown).
bool startWithBlock(TKWindow* progress) {
  QVStatus status = SetupImageGWorlds();
  if (status == kQVNoErr) {
    // Tables that cannot be built now are built again at the first change.
    QVIgnoreStatus(VL_UpdateProcessingTables(&gUISettings));
    std::memset(&gUIDefaultSettings, 0, sizeof gUIDefaultSettings);
    VL_SetDefaultControlValues(&gUIDefaultSettings, kVLMaskAll);
    PFSetVideoEncoding(&gPrefsSettings, &gUISettings);
    gVLMPMaster = VLMPMaster{};
    gNumProcessors = VLMPInitialize(&gVLMPMaster, uint32_t(gPrefsSettings.useMultipleProcessors));
    // Steps are shown as far as the window can show them; start-up goes on either way.
    SetProgressStep(progress, 5);
    status = UICommImportFrame();
  }
  if (status != kQVNoErr) {
    UICommSetState(kCCStateFailed);
    if (status != kQuietFailure) QVErrorAlert(kTitle, "Unable to start user interface.", kQVAlertFatal);
    return false;
  }
  UIHooks().setHelpTagsShown(gPrefsSettings.toolTips != 0);
  UICommPrefetch();
  gUndoBuffer = CreateUndoBuffer(uint32_t(std::max(0, gPrefsSettings.undoDepth)));
  if (!progress) return false;

  // Steps are shown as far as the window can show them; start-up goes on either way.
  SetProgressStep(progress, 1);
  if (UIHooks().buildMainWindow() != kQVNoErr) return false;
  // Only refreshes the panes' pixel aspect: the images are there at this size.
  QVIgnoreStatus(SetupImageGWorlds());
  if (gPrefsSettings.secondaryPreviewMonitor != 0) UIHooks().openSecondaryPreview(gPrefsSettings.secondaryPreviewMonitor);
  settingsFromBlock();
  // The first picture shows the correction the controls now show.
  UIReprocess(false);
  UIHooks().buildMenuBar();

  // Steps are shown as far as the window can show them; start-up goes on either way.
  SetProgressStep(progress, 2);
  footageToGallery();
  UIHooks().loadGallery();
  for (int i = 0; i < 3; ++i) {
    static const char* const kRecent[3] = {"Recent Projects", "Recent Imports", "Recent Project Imports"};
    PFLoadRecentFiles(&gPrefsSettings.recent[i], kRecent[i]);
  }

  // Steps are shown as far as the window can show them; start-up goes on either way.
  SetProgressStep(progress, 6);
  if (gPrefsSettings.controlSurfaceMode >= 2 && gPrefsSettings.controlSurfaceMode <= 4)
    UIHooks().surfaceStart(gPrefsSettings.controlSurfaceMode);
  if (UIHooks().externalPreviewAvailable() && gPrefsSettings.externalPreviewDevice == QVFourCC("GlOW")) {
    // Steps are shown as far as the window can show them; start-up goes on either way.
    SetProgressStep(progress, 4);
    UIHooks().openExternalPreview();
  }
  UIHooks().startVideoOutput(gPrefsSettings.externalPreviewDevice);
  UIHooks().showMainWindow(true);
  UIHooks().updateSecondaryPreview(true);
  gUICommAttached = true;
  UICommSyncReadouts();
  UIHooks().enableExchangeMenus(true);
  return true;
}

}  // namespace

int UIParseOptions(int argc, char** argv, UIOptions* o) {
  if (const char* s = std::getenv("VELMORA_UI_SCRIPT"); s && *s) o->script = s;
  const char* h = std::getenv("VELMORA_UI_HEADLESS");
  const bool windowsAsked = h && std::strcmp(h, "0") == 0;
  if (h && *h && !windowsAsked) o->headless = true;
  if (const char* d = std::getenv("VELMORA_UI_DISPLAY"); d && *d && !parseDisplays(d, o)) {
    std::fprintf(stderr, "velmora-ui: VELMORA_UI_DISPLAY \"%s\" is not WIDTHxHEIGHT\n", d);
    return 2;
  }
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      usage(stdout);
      return 0;
    }
    if (a == "--version") {
      std::printf("velmora-ui %s\n", kUIVersion);
      return 0;
    }
    if (a == "--headless") {
      o->headless = true;
    } else if (a == "--script" && i + 1 < argc) {
      o->script = argv[++i];
    } else if (a == "--display" && i + 1 < argc) {
      if (!parseDisplays(argv[++i], o)) {
        std::fprintf(stderr, "velmora-ui: --display \"%s\" is not WIDTHxHEIGHT\n", argv[i]);
        return 2;
      }
    } else {
      std::fprintf(stderr, "velmora-ui: unknown option \"%s\"\n", a.c_str());
      usage(stderr);
      return 2;
    }
  }
  // A script runs without windows unless VELMORA_UI_HEADLESS=0 asks for them.
  if (!o->script.empty() && !windowsAsked) o->headless = true;
  return -1;
}

void UIQuitApplication() {
  UISavePreferences();
  UIHooks().saveGallery();
  UIHooks().stopVideoOutput(gPrefsSettings.externalPreviewDevice);
  UICommDetach(false);
  TKQuitLoop();
}

QVStatus AEHandlerQuitApplication() {
  UIHooks().stopVideoOutput(gPrefsSettings.externalPreviewDevice);
  UICommDetach(false);
  UIHooks().stopPreviewPlayback();
  TKQuitLoop();
  return kQVNoErr;
}

QVStatus AEHandlerOpenDocuments() { return kQVErrEventNotHandled; }

int UIMain(int argc, char** argv) {
  UIOptions options;
  if (int done = UIParseOptions(argc, argv, &options); done >= 0) return done;
  std::string error;
  if (!options.script.empty() && UILoadInputScript(options.script, &error) != kQVNoErr) {
    std::fprintf(stderr, "velmora-ui: %s\n", error.c_str());
    return 2;
  }
  if (TKInitToolkit(options.headless ? kTKBackendHeadless : kTKBackendAuto) != kQVNoErr) {
    std::fprintf(stderr, "velmora-ui: the window system cannot be started\n");
    return 1;
  }
  // Without a display and without a script nobody could see the picture or
  // answer the window, and the host would wait for an answer that never comes.
  if (TKGetBackendKind() == kTKBackendHeadless && !options.headless && options.script.empty()) {
    std::fprintf(stderr,
                 "velmora-ui: no display to show the picture on (DISPLAY is not set or cannot be opened); "
                 "run it under a display, or give it --script FILE to run without one\n");
    TKShutdownToolkit();
    return 1;
  }
  if (TKGetBackendKind() == kTKBackendHeadless) {
    if (options.displayWidth > 0 && options.secondWidth > 0)
      TKSetHeadlessDisplays({TKMakeRect(0, 0, options.displayWidth, options.displayHeight),
                             TKMakeRect(options.displayWidth, 0, options.secondWidth, options.secondHeight)});
    else if (options.displayWidth > 0)
      TKSetHeadlessDisplays({TKMakeRect(0, 0, options.displayWidth, options.displayHeight)});
    gWindowAlerts = PLGetAlertSink();
    PLSetAlertSink(&kHeadlessSink);
  }

  // 1-3: globals, interface, parser, media library.
  UIResetState(0);
  UIHooks().initInterfaceColors();
  TKSetCursor(kTKCursorWatch);
  std::srand(unsigned(std::time(nullptr)));
  // Each service tells its own failures when it is used.
  QVIgnoreStatus(UIHooks().xmlInitialize());
  QVIgnoreStatus(UIHooks().mediaInitialize());

  // 4: preferences, or their defaults with shift and control held.
  PFSetProgram(kPFProgramApplication);
  const uint32_t resetKeys = kTKModShift | kTKModControl;
  const bool reset = (TKGetModifiers() & resetKeys) == resetKeys;
  if (reset) {
    PFLoadDefaultPreferences(&gPrefsSettings);
  } else {
    PFLoadPreferences(&gPrefsSettings);
  }
  VL_SetSettingsPreferenceWords(PFGetSettingsPreferenceWords(&gPrefsSettings));
  UIHooks().applyInterfaceLook(gPrefsSettings.uiBrightness, gPrefsSettings.uiSaturation);

  // 5-6: the block.
  const UIAttachResult attached = UICommAttach();
  if (attached == kUINoBlock) {
    QVErrorAlert(kTitle,
                 "No data passed to UI. This application is meant to be called by other applications, not run "
                 "directly.",
                 kQVAlertFatal);
    TKShutdownToolkit();
    return 1;
  }
  if (attached == kUIWrongVersion) {
    TKShutdownToolkit();
    return 1;
  }
  gUIHostProcess = UICommHostSerial();
  UICommSetState(kCCStateWorking);

  // 7-10: progress, folders, the screen.
  TKWindow* progress = OpenProgressWindow();
  if (reset) {
    // Steps are shown as far as the window can show them; start-up goes on either way.
    SetProgressStep(progress, 8);
    pause(1.0);
  }
  // Steps are shown as far as the window can show them; start-up goes on either way.
  SetProgressStep(progress, 7);
  makeSupportFiles();
  // Steps are shown as far as the window can show them; start-up goes on either way.
  SetProgressStep(progress, 3);
  pause(0.5);
  int status = 0;
  if (!screenLargeEnough()) {
    TKSetCursor(kTKCursorArrow);
    QVAlternativesAlert(kTitle, "Insufficient screen resolution", "Velmora requires a minimum screen size of 1024x768.",
                        1, "OK", nullptr);
    status = 1;
  } else {
    // 11: the quit request and the commands.
    installSignals();
    UIInstallShellCommands();
    // 12-13.
    if (startWithBlock(progress)) {
      // 14: the exchange timer and the event loop.
      UICommInstallTimer();
      TKSetCursor(kTKCursorArrow);
      CloseProgressWindow(progress);
      progress = nullptr;
      if (!options.script.empty()) UIStartInputScript();
      TKRunLoop();
      if (gQuitSignal) {
        // The exchange in hand, if any, is let go unfinished.
        if (gUIComm.block) {
          PLLogWrite(kTitle, "interrupted: the exchange is left without handing the correction back");
          gUIExchangeUnfinished = true;
        }
        // The quit is asked for; the preferences are saved and the program ends either way.
        QVIgnoreStatus(AEHandlerQuitApplication());
        UISavePreferences();
        status = kExitInterrupted;
      }
    } else {
      status = 1;
    }
  }
  CloseProgressWindow(progress);
  shutdown(status != 1);
  if (status == 0 && gUIExchangeUnfinished) status = 1;
  return status;
}
