#include "tools/standin_host/sh_panel_run.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/standin_host/sh_panel.h"
#include "tools/standin_host/sh_png.h"

namespace fs = std::filesystem;

namespace {

bool SamePath(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

// The pictures a script writes must not replace an input.
bool CheckPictures(const std::string& text, const std::vector<SHBatchFrame>& frames, const std::string& script,
                   std::string* error) {
  std::stringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    std::stringstream words(line.substr(0, line.find('#')));
    std::string verb, path;
    if (!(words >> verb) || verb != "png" || !(words >> path)) continue;
    bool input = SamePath(path, script);
    for (const SHBatchFrame& f : frames) input = input || SamePath(path, f.input);
    if (input) {
      *error = script + ": line " + std::to_string(number) + ": " + path + " is an input; name another picture";
      return false;
    }
  }
  return true;
}

}  // namespace

bool SHRunPanelScriptFile(SHHost* host, const std::vector<SHBatchFrame>& frames, size_t first, SHLayout layout,
                          const std::string& script, std::string* error) {
  std::ifstream in(script, std::ios::binary);
  if (!in) {
    *error = script + ": " + std::strerror(errno);
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    *error = script + ": cannot be read";
    return false;
  }
  if (!CheckPictures(text.str(), frames, script, error)) return false;
  if (first >= frames.size()) {
    *error = "there is no frame " + std::to_string(first + 1) + " to open the panel on";
    return false;
  }
  SHImage image;
  if (!SHReadPNG(frames[first].input, &image, error)) return false;
  SHFrame frame;
  SHMakeFrame(layout, image.width, image.height, 0, &frame);
  SHImageToFrame(image, &frame);

  SHPanel panel;
  SHPanelOpen(&panel, host);
  panel.frame = &frame;
  panel.time = int32_t(first) * host->config.time_step;
  std::string why;
  const bool ok = SHRunPanelScript(&panel, text.str(), &why);
  SHPanelClose(&panel);
  if (!ok) *error = script + ": " + why;
  return ok;
}
