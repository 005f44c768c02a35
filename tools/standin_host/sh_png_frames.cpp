// The frames of a folder: its .png files in name order.
#include <algorithm>
#include <filesystem>

#include "tools/standin_host/sh_png.h"

bool SHListPNGFrames(const std::string& folder, std::vector<std::string>* frames, std::string* error) {
  std::vector<std::string> found;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().extension() == ".png") found.push_back(it->path().string());
  }
  if (ec) {
    *error = folder + ": " + ec.message();
    return false;
  }
  if (found.empty()) {
    *error = folder + ": no .png frames in it";
    return false;
  }
  std::sort(found.begin(), found.end());
  *frames = std::move(found);
  return true;
}
