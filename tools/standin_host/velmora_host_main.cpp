// velmora-host: the stand-in host as a command-line program.
//
//   velmora-host                      render the bundled clip with the bundled
//                                     correction into out/
//   velmora-host [options] IN.png...  render the given frames
//   velmora-host --full-interface     grade the bundled clip in the grading
//                                     application, then render it
//
// `velmora-host --help` describes every option.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_contents.h"
#include "platform/folders.h"
#include "platform/host/host_signatures.h"
#include "platform/standin_host/sh_host.h"
#include "tools/standin_host/sh_batch.h"
#include "tools/standin_host/sh_full_interface.h"
#include "tools/standin_host/sh_options.h"
#include "tools/standin_host/sh_panel_run.h"
#include "tools/standin_host/sh_png.h"
#include "tools/standin_host/sh_project.h"

namespace fs = std::filesystem;

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

std::atomic<bool> quitRequested{false};

void onSignal(int) { quitRequested.store(true); }

void complain(const std::string& message) { std::fprintf(stderr, "velmora-host: %s\n", message.c_str()); }

int usage(const std::string& message) {
  complain(message);
  std::fputs("Try 'velmora-host --help'.\n", stderr);
  return kExitUsage;
}

// Makes a folder and the folders above it; false with the path and the
// system's reason. `made`, when given, gets the folders this made, deepest
// first.
bool makeFolder(const std::string& dir, std::string* error, std::vector<fs::path>* made = nullptr) {
  std::error_code ec;
  if (made) {
    for (fs::path p = fs::absolute(dir, ec).lexically_normal(); !p.empty() && !fs::exists(p, ec);
         p = p.parent_path()) {
      if (!p.has_relative_path()) break;
      made->push_back(p);
    }
  }
  fs::create_directories(dir, ec);
  if (!ec && fs::is_directory(dir, ec)) return true;
  *error = "cannot make the folder " + dir + ": " + (ec ? ec.message() : "a file is in the way");
  return false;
}

int makeClip(const std::string& dir) {
  std::string error;
  if (!makeFolder(dir, &error)) return complain(error), kExitFailed;
  for (int32_t i = 0; i < 6; ++i) {
    SHImage image;
    SHMakeTestImage(320, 180, 8, i, &image);
    char name[32];
    std::snprintf(name, sizeof name, "frame_%04d.png", int(i + 1));
    if (!SHWritePNG(dir + "/" + name, image, &error)) return complain(error), kExitFailed;
  }
  std::printf("Wrote 6 frames to %s\n", dir.c_str());
  return 0;
}

// The same file, whether or not it exists yet.
std::string identity(const std::string& path) {
  std::error_code ec;
  fs::path p = fs::weakly_canonical(fs::absolute(path, ec), ec);
  return (ec ? fs::absolute(path) : p).lexically_normal().string();
}

// Each input's output path. Refuses an output that is an input (the output
// folder is the inputs' folder) and two inputs with one file name.
bool planOutputs(const std::vector<std::string>& inputs, const std::string& outDir,
                 std::vector<SHBatchFrame>* frames, std::string* error) {
  std::map<std::string, std::string> inputByIdentity, inputByOutput;
  for (const std::string& in : inputs) inputByIdentity.emplace(identity(in), in);
  for (const std::string& in : inputs) {
    const std::string name = fs::path(in).filename().string();
    const std::string out = (fs::path(outDir) / name).string();
    const std::string outId = identity(out);
    auto same = inputByIdentity.find(outId);
    if (same != inputByIdentity.end()) {
      *error = out + " would replace the input " + same->second + "; choose another --out folder";
      return false;
    }
    auto [previous, added] = inputByOutput.emplace(outId, in);
    if (!added) {
      *error = previous->second + " and " + in + " would both be written to " + out +
               "; render them into different --out folders";
      return false;
    }
    SHBatchFrame f;
    f.input = in;
    f.output = out;
    frames->push_back(f);
  }
  return true;
}

void listParams(const SHHost& host) {
  std::printf("%-4s  %-36s  %-16s  %s\n", "id", "name (indented by group)", "range", "default");
  size_t depth = 0;
  for (size_t i = 1; i < host.params.size(); ++i) {
    const SHParam& p = host.params[i];
    const HIParamDef& d = p.def;
    if (d.param_type == kHIParamGroupEnd && depth > 0) --depth;
    const std::string name = std::string(2 * depth, ' ') + std::string(d.name, strnlen(d.name, sizeof d.name));
    const std::string range = SHValueRange(p);
    char dephault[64] = "";
    if (d.param_type == kHIParamFloatSlider) std::snprintf(dephault, sizeof dephault, "%g", d.u.fs.dephault);
    if (d.param_type == kHIParamCheckbox) std::snprintf(dephault, sizeof dephault, "%d", int(d.u.cb.dephault));
    if (d.param_type == kHIParamPopup) std::snprintf(dephault, sizeof dephault, "%d", int(d.u.pd.dephault));
    if (d.param_type == kHIParamGroupStart) {
      std::printf("%-4s  %s\n", "", name.c_str());
      ++depth;
    } else if (d.param_type == kHIParamArbitraryData) {
      std::printf("%-4d  %-36s  %-16s  %s\n", int(d.uu_id), name.c_str(), "(data)", "(set by --project)");
    } else if (!range.empty()) {
      std::printf("%-4d  %-36s  %-16s  %s", int(d.uu_id), name.c_str(), range.c_str(), dephault);
      if (d.param_type == kHIParamPopup) std::printf("  (%s)", p.popup_names.c_str());
      std::printf("\n");
    }
  }
}

struct Progress {
  bool terminal = false;
  bool lineOpen = false;  // a progress line waits for its end
};

void showProgress(size_t done, size_t total, void* context) {
  auto* p = static_cast<Progress*>(context);
  if (!p->terminal) return;
  std::fprintf(stderr, "\rvelmora-host: %zu of %zu frames", done, total);
  p->lineOpen = done != total;
  if (!p->lineOpen) std::fputc('\n', stderr);
  std::fflush(stderr);
}

// The effect, loaded and started, with the correction the options ask for.
struct Effect {
  SHHost host;
  bool loaded = false;
  ~Effect() {
    if (!loaded) return;
    SHStopEffect(&host);
    SHUnloadPlugin(&host);
  }
};

bool startEffect(const SHOptions& o, Effect* e, std::string* error) {
  e->host.config = SHConfigForSignature(o.signature);
  if (!SHLoadPlugin(&e->host, o.plugin, error)) {
    *error = "cannot load the effect: " + *error;
    return false;
  }
  e->loaded = true;
  HIError err = SHStartEffect(&e->host);
  if (err) {
    *error = "the effect failed to start (error " + std::to_string(err) + ")";
    return false;
  }
  return true;
}

bool applyCorrection(const SHOptions& o, SHHost* host, std::string* error) {
  if (!o.project.empty() && !SHLoadProject(host, o.project, error)) return false;
  for (auto [id, value] : o.sets) {
    const int32_t index = SHIndexOfId(host, id);
    if (index < 0) {
      *error = "--set " + std::to_string(id) + ": no such parameter (see --list-params)";
      return false;
    }
    std::string why;
    if (!SHCheckValue(host, index, value, &why)) {
      *error = "--set: " + why;
      return false;
    }
    if (SHUserSetValue(host, index, value, 0)) {
      *error = "--set: the effect refused the value of parameter " + std::to_string(id);
      return false;
    }
  }
  return true;
}

// A folder variable with a relative path names a different folder in every
// working directory: refused before anything runs.
bool folderVariablesAbsolute(std::string* error) {
  for (PLFolderKind kind : {kPLFolderSystemSupport, kPLFolderUserSupport, kPLFolderPreferences, kPLFolderTemporary,
                            kPLFolderDocuments}) {
    const char* variable = PLFolderVariable(kind);
    const char* value = std::getenv(variable);
    if (value && value[0] != '\0' && value[0] != '/') {
      *error = std::string(variable) + "=" + value + ": a folder variable must hold an absolute path";
      return false;
    }
  }
  return true;
}

int run(int argc, char** argv) {
  SHOptions o;
  o.plugin = VELMORA_PLUGIN_PATH;
  o.signature = kHIHostAfterEffects;
  std::string error;
  if (!SHParseOptions(argc, argv, &o, &error)) return usage(error);
  switch (o.action) {
    case kSHActionHelp:
      SHPrintHelp(stdout);
      return 0;
    case kSHActionVersion:
      SHPrintVersion(stdout);
      return 0;
    default:
      break;
  }
  if (!folderVariablesAbsolute(&error)) return usage(error);
  switch (o.action) {
    case kSHActionMakeClip:
      return makeClip(o.make_clip);
    case kSHActionListParams: {
      Effect effect;
      if (!startEffect(o, &effect, &error)) return complain(error), kExitFailed;
      listParams(effect.host);
      return 0;
    }
    default:
      break;
  }

  const bool bundled = o.inputs.empty();
  if (bundled) {
    if (!SHListPNGFrames(VELMORA_CLIP_DIR, &o.inputs, &error)) {
      return complain("the bundled clip: " + error), kExitFailed;
    }
    // Options adjust the bundled correction; they do not replace it.
    if (o.project.empty()) o.project = std::string(VELMORA_CLIP_DIR) + "/correction.vlhp";
  }
  std::vector<SHBatchFrame> planned;
  if (!planOutputs(o.inputs, o.out_dir, &planned, &error)) return usage(error);
  // The correction the grading application returns goes to a project of its own.
  std::string exchangeProject;
  if ((o.full_interface || !o.panel_script.empty()) && size_t(o.frame) > planned.size())
    return usage("--frame " + std::to_string(o.frame) + ": the clip has " + std::to_string(planned.size()) + " frame" +
                 (planned.size() == 1 ? "" : "s"));
  if (o.full_interface) {
    exchangeProject = o.save_project.empty() ? (fs::path(o.out_dir) / "correction.vlhp").string() : o.save_project;
    if (!o.project.empty() && identity(exchangeProject) == identity(o.project))
      return usage(exchangeProject + " would replace the project " + o.project + "; name another with --save-project");
  }

  // Every input is checked before anything is rendered or written.
  std::vector<SHBatchFrame> frames;
  size_t bad = 0;
  for (SHBatchFrame& f : planned) {
    if (SHCheckPNG(f.input, &f.width, &f.height, &error)) {
      frames.push_back(f);
    } else {
      complain(error);
      ++bad;
    }
  }

  Effect effect;
  if (!startEffect(o, &effect, &error) || !applyCorrection(o, &effect.host, &error)) {
    return complain(error), kExitFailed;
  }
  SHHost& host = effect.host;
  if (!o.layout_given && host.config.offer_pixel_format_suite) o.layout = kSHLayoutBGRAFloat;
  const SHLayoutInfo& layout = SHGetLayoutInfo(o.layout);
  if (host.config.offer_pixel_format_suite ? !layout.premiere : !layout.world) {
    return usage(std::string("this host does not render in the ") + layout.name + " layout (" +
                 (host.config.offer_pixel_format_suite ? "try bgra8, bgraf, vuya8, vuyaf, pargbf or argb8"
                                                       : "try argb8, argb16 or argbf; the others need --host PPro") +
                 ")");
  }
  if (frames.empty()) {
    complain("no frame could be read; nothing was written");
    return kExitFailed;
  }
  // Folders made for this run are taken away again when an exchange with
  // the grading application does not finish: nothing is left behind then.
  std::vector<fs::path> madeFolders;
  auto unmakeFolders = [&madeFolders] {
    std::error_code ec;
    for (const fs::path& p : madeFolders) fs::remove(p, ec);  // only while empty
  };
  if (!makeFolder(o.out_dir, &error, &madeFolders)) return complain(error), kExitFailed;
  // Temporary files a killed run left beside the outputs go now.
  for (const SHBatchFrame& f : frames) PLRemoveLeftReplacements(f.output.c_str());
  if (!exchangeProject.empty()) PLRemoveLeftReplacements(exchangeProject.c_str());
  if (!o.save_project.empty()) PLRemoveLeftReplacements(o.save_project.c_str());
  if (!o.panel_script.empty()) {
    const std::string opened = planned[size_t(o.frame - 1)].input;
    auto at = std::find_if(frames.begin(), frames.end(), [&](const SHBatchFrame& f) { return f.input == opened; });
    if (at == frames.end()) return complain(opened + " cannot be read; choose another --frame"), kExitFailed;
    if (!SHRunPanelScriptFile(&host, frames, size_t(at - frames.begin()), o.layout, o.panel_script, &error))
      return complain(error), kExitFailed;
  }
  if (o.full_interface) {
    const std::string folder = fs::path(exchangeProject).parent_path().string();
    if (!folder.empty() && !makeFolder(folder, &error, &madeFolders)) return unmakeFolders(), complain(error), kExitFailed;
    SHUseGradingApplication(VELMORA_UI_PROGRAM_PATH);
    const std::string opened = planned[size_t(o.frame - 1)].input;
    auto at = std::find_if(frames.begin(), frames.end(), [&](const SHBatchFrame& f) { return f.input == opened; });
    if (at == frames.end()) return unmakeFolders(), complain(opened + " cannot be read; choose another --frame"), kExitFailed;
    host.interrupt = &quitRequested;
    const bool finished = SHRunFullInterface(&host, frames, size_t(at - frames.begin()), o.layout, exchangeProject, &error);
    host.interrupt = nullptr;
    if (!finished || quitRequested.load()) {
      unmakeFolders();
      if (quitRequested.load()) {
        std::printf("Interrupted: nothing was saved or rendered\n");
        return kExitInterrupted;
      }
      complain(error + "; nothing was saved or rendered");
      return kExitFailed;
    }
    o.save_project.clear();
  }

  SHBatchSettings settings;
  settings.layout = o.layout;
  settings.bits = o.bits;
  settings.smart = o.smart;
  settings.threads = o.threads ? o.threads : int32_t(std::clamp(std::thread::hardware_concurrency(), 1u, 64u));
  Progress progress;
  progress.terminal = isatty(STDERR_FILENO) != 0;
  SHBatchResult result = SHRenderBatch(&host, frames, settings, &quitRequested, showProgress, &progress);
  if (progress.lineOpen) std::fputc('\n', stderr);
  for (const std::string& e : result.frame_errors) complain(e);
  bad += result.frame_errors.size();
  if (!result.fatal.empty()) complain(result.fatal);

  bool saved = true;
  if (result.fatal.empty() && !result.interrupted && !o.save_project.empty() &&
      !SHSaveProject(&host, o.save_project, &error)) {
    complain(error);
    saved = false;
  }
  const size_t total = planned.size();
  if (result.interrupted) {
    std::printf("Interrupted: wrote %zu of %zu frames to %s/\n", result.written, total, o.out_dir.c_str());
    return kExitInterrupted;
  }
  std::printf("Rendered %zu of %zu frame%s through the effect (%s layout); corrected frames are in %s/\n",
              result.written, total, total == 1 ? "" : "s", layout.name, o.out_dir.c_str());
  if (bad) std::printf("%zu input%s could not be read (see above)\n", bad, bad == 1 ? "" : "s");
  if (bundled) std::printf("The input frames are in %s/\n", VELMORA_CLIP_DIR);
  return result.fatal.empty() && bad == 0 && saved ? 0 : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);
  try {
    return run(argc, argv);
  } catch (const std::bad_alloc&) {
    complain("out of memory");
  } catch (const std::exception& e) {
    complain(e.what());
  }
  return kExitFailed;
}
