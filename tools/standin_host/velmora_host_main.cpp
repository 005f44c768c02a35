// velmora-host: the stand-in host as a command-line program.
//
//   velmora-host                      render the bundled clip with the bundled
//                                     correction into out/
//   velmora-host [options] IN.png...  render the given frames
//
// Options: --plugin PATH, --host CODE (four characters: FXTC, PPro, 'ame ', ...),
// --layout argb8|argb16|argbf|bgra8|bgraf|vuya8|vuyaf|pargbf, --bits 8|16,
// --project FILE, --save-project FILE, --set ID=VALUE (a user edit, repeatable),
// --threads N, --classic (no smart render), --out DIR, --make-clip DIR.
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/fourcc.h"
#include "platform/host/host_signatures.h"
#include "platform/standin_host/sh_host.h"
#include "tools/standin_host/sh_png.h"
#include "tools/standin_host/sh_project.h"

namespace {

std::atomic<bool> quitRequested{false};

void onSignal(int) { quitRequested.store(true); }

struct Options {
  std::string plugin = VELMORA_PLUGIN_PATH;
  uint32_t signature = kHIHostAfterEffects;
  SHLayout layout = kSHLayoutARGB16;
  bool layoutGiven = false;
  int32_t bits = 0;
  std::string project;
  std::string saveProject;
  std::vector<std::pair<int32_t, double>> sets;
  int32_t threads = 0;
  bool smart = true;
  std::string outDir = "out";
  std::string makeClip;
  std::vector<std::string> inputs;
};

constexpr const char* kUsage =
    "usage: velmora-host [--plugin PATH] [--host CODE] [--layout NAME] [--bits 8|16]\n"
    "                    [--project FILE] [--save-project FILE] [--set ID=VALUE]...\n"
    "                    [--threads N] [--classic] [--out DIR] [IN.png...]\n"
    "       velmora-host --make-clip DIR\n"
    "With no frames given, renders the bundled clip with its bundled correction.\n";

int usage(const char* message) {
  std::fprintf(stderr, "velmora-host: %s\n%s", message, kUsage);
  return 2;
}

bool parse(int argc, char** argv, Options* o, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto next = [&](const char* what) -> const char* {
      if (i + 1 >= argc) {
        *error = std::string(what) + " needs a value";
        return nullptr;
      }
      return argv[++i];
    };
    const char* v = nullptr;
    if (a == "--plugin") {
      if (!(v = next("--plugin"))) return false;
      o->plugin = v;
    } else if (a == "--host") {
      if (!(v = next("--host"))) return false;
      if (std::strlen(v) != 4) return *error = "a host code has four characters", false;
      o->signature = QVFourCC({v[0], v[1], v[2], v[3], 0});
    } else if (a == "--layout") {
      if (!(v = next("--layout"))) return false;
      if (!SHFindLayout(v, &o->layout)) return *error = std::string("unknown layout ") + v, false;
      o->layoutGiven = true;
    } else if (a == "--bits") {
      if (!(v = next("--bits"))) return false;
      o->bits = std::atoi(v);
      if (o->bits != 8 && o->bits != 16) return *error = "--bits is 8 or 16", false;
    } else if (a == "--project") {
      if (!(v = next("--project"))) return false;
      o->project = v;
    } else if (a == "--save-project") {
      if (!(v = next("--save-project"))) return false;
      o->saveProject = v;
    } else if (a == "--set") {
      if (!(v = next("--set"))) return false;
      const char* eq = std::strchr(v, '=');
      if (!eq) return *error = "--set takes ID=VALUE", false;
      o->sets.emplace_back(std::atoi(v), std::atof(eq + 1));
    } else if (a == "--threads") {
      if (!(v = next("--threads"))) return false;
      o->threads = std::clamp(std::atoi(v), 1, 64);
    } else if (a == "--classic") {
      o->smart = false;
    } else if (a == "--out") {
      if (!(v = next("--out"))) return false;
      o->outDir = v;
    } else if (a == "--make-clip") {
      if (!(v = next("--make-clip"))) return false;
      o->makeClip = v;
    } else if (!a.empty() && a[0] == '-') {
      return *error = "unknown option " + a, false;
    } else {
      o->inputs.push_back(a);
    }
  }
  return true;
}

int makeClip(const std::string& dir) {
  std::filesystem::create_directories(dir);
  for (int32_t i = 0; i < 6; ++i) {
    SHImage image;
    SHMakeTestImage(320, 180, 8, i, &image);
    char name[32];
    std::snprintf(name, sizeof name, "frame_%04d.png", int(i + 1));
    std::string error;
    if (!SHWritePNG(dir + "/" + name, image, &error)) {
      std::fprintf(stderr, "velmora-host: %s\n", error.c_str());
      return 1;
    }
  }
  std::printf("Wrote 6 frames to %s\n", dir.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  Options o;
  std::string error;
  if (!parse(argc, argv, &o, &error)) return usage(error.c_str());
  if (!o.makeClip.empty()) return makeClip(o.makeClip);

  const bool bundled = o.inputs.empty();
  if (bundled) {
    std::vector<std::string> frames;
    for (const auto& entry : std::filesystem::directory_iterator(VELMORA_CLIP_DIR)) {
      if (entry.path().extension() == ".png") frames.push_back(entry.path().string());
    }
    std::sort(frames.begin(), frames.end());
    o.inputs = frames;
    if (o.project.empty() && o.sets.empty()) o.project = std::string(VELMORA_CLIP_DIR) + "/correction.vlhp";
    if (o.inputs.empty()) return usage("the bundled clip is missing");
  }

  SHHost host;
  host.config = SHConfigForSignature(o.signature);
  if (!SHLoadPlugin(&host, o.plugin, &error)) {
    std::fprintf(stderr, "velmora-host: cannot load the effect: %s\n", error.c_str());
    return 1;
  }
  HIError err = SHStartEffect(&host);
  if (err) {
    std::fprintf(stderr, "velmora-host: the effect failed to start (error %d)\n", int(err));
    SHUnloadPlugin(&host);
    return 1;
  }
  if (!o.project.empty() && !SHLoadProject(&host, o.project, &error)) {
    std::fprintf(stderr, "velmora-host: %s\n", error.c_str());
    SHStopEffect(&host);
    SHUnloadPlugin(&host);
    return 1;
  }
  for (auto [id, value] : o.sets) {
    int32_t index = SHIndexOfId(&host, id);
    if (index < 0 || SHUserSetValue(&host, index, value, 0)) {
      std::fprintf(stderr, "velmora-host: cannot set parameter %d\n", int(id));
      SHStopEffect(&host);
      SHUnloadPlugin(&host);
      return 1;
    }
  }
  if (!o.layoutGiven && host.config.offer_pixel_format_suite) o.layout = kSHLayoutBGRAFloat;
  const SHLayoutInfo& layout = SHGetLayoutInfo(o.layout);
  if (host.config.offer_pixel_format_suite ? !layout.premiere : !layout.world) {
    std::fprintf(stderr, "velmora-host: this host does not render in the %s layout (%s)\n", layout.name,
                 host.config.offer_pixel_format_suite ? "try bgra8, bgraf, vuya8, vuyaf, pargbf or argb8"
                                                      : "try argb8, argb16 or argbf; the others need --host PPro");
    SHStopEffect(&host);
    SHUnloadPlugin(&host);
    return 2;
  }

  std::filesystem::create_directories(o.outDir);
  int32_t threads = o.threads ? o.threads : int32_t(std::max(1u, std::thread::hardware_concurrency()));
  int status = 0;
  size_t written = 0;
  for (size_t first = 0; first < o.inputs.size() && !quitRequested.load() && status == 0;
       first += size_t(threads)) {
    size_t last = std::min(o.inputs.size(), first + size_t(threads));
    std::vector<SHFrame> in(last - first), out(last - first);
    std::vector<int32_t> bits(last - first);
    for (size_t i = first; i < last; ++i) {
      SHImage image;
      if (!SHReadPNG(o.inputs[i], &image, &error)) {
        std::fprintf(stderr, "velmora-host: %s\n", error.c_str());
        status = 1;
        break;
      }
      bits[i - first] = o.bits ? o.bits : image.bits;
      SHMakeFrame(o.layout, image.width, image.height, 0, &in[i - first]);
      SHMakeFrame(o.layout, image.width, image.height, 0, &out[i - first]);
      SHImageToFrame(image, &in[i - first]);
    }
    if (status) break;
    err = SHRenderConcurrently(&host, in, &out, 0, o.smart, threads);
    if (err) {
      std::fprintf(stderr, "velmora-host: render failed (error %d)\n", int(err));
      status = 1;
      break;
    }
    for (size_t i = first; i < last; ++i) {
      SHImage image;
      SHFrameToImage(out[i - first], bits[i - first], &image);
      std::string name = std::filesystem::path(o.inputs[i]).filename().string();
      std::string path = o.outDir + "/" + name;
      if (!SHWritePNG(path, image, &error)) {
        std::fprintf(stderr, "velmora-host: %s\n", error.c_str());
        status = 1;
        break;
      }
      ++written;
    }
  }
  if (status == 0 && !o.saveProject.empty() && !SHSaveProject(&host, o.saveProject, &error)) {
    std::fprintf(stderr, "velmora-host: %s\n", error.c_str());
    status = 1;
  }
  SHStopEffect(&host);
  SHUnloadPlugin(&host);
  if (status == 0) {
    std::printf("Rendered %zu frame%s through the effect (%s layout); corrected frames are in %s/\n", written,
                written == 1 ? "" : "s", SHGetLayoutInfo(o.layout).name, o.outDir.c_str());
    if (bundled) std::printf("The input frames are in %s/\n", VELMORA_CLIP_DIR);
  }
  return quitRequested.load() ? 130 : status;
}
