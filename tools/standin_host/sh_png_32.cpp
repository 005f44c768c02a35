// PNG frames of the 32-bit stand-in host, read and written with our own PNG
// code (the 32-bit build takes no image library). The same checks and
// messages as the other build's.
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/file_contents.h"
#include "platform/png_codec.h"
#include "tools/standin_host/sh_png.h"

namespace {

// A frame file larger than this is no frame of a size the host takes.
constexpr size_t kMaxFileBytes = size_t(1) << 30;

bool readFile(const std::string& path, std::string* bytes, std::string* error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    *error = path + ": is a folder, not a frame";
    return false;
  }
  QVStatus status = PLReadFileContents(path.c_str(), kMaxFileBytes, bytes);
  if (status == kQVErrFileNotFound) {
    *error = path + ": " + std::strerror(ENOENT);
    return false;
  }
  if (status != kQVNoErr) {
    *error = path + ": cannot be read";
    return false;
  }
  return true;
}

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

}  // namespace

bool SHCheckPNG(const std::string& path, int32_t* width, int32_t* height, std::string* error) {
  std::string bytes, why;
  if (!readFile(path, &bytes, error)) return false;
  if (!PLPngReadSize(Bytes(bytes), bytes.size(), width, height, &why)) {
    *error = path + ": " + why;
    return false;
  }
  return true;
}

bool SHReadPNG(const std::string& path, SHImage* image, std::string* error) {
  std::string bytes, why;
  if (!readFile(path, &bytes, error)) return false;
  if (!PLPngDecode(Bytes(bytes), bytes.size(), image, &why)) {
    *error = path + ": " + why;
    return false;
  }
  return true;
}

bool SHWritePNG(const std::string& path, const SHImage& image, std::string* error) {
  std::vector<uint8_t> bytes = PLPngEncode(image);
  if (bytes.empty()) {
    *error = "bad image";
    return false;
  }
  int err = 0;
  if (PLReplaceFileContentsReportingErrno(path.c_str(), bytes.data(), bytes.size(), 0644, &err) != kQVNoErr) {
    *error = "cannot write " + path + ": " + std::strerror(err ? err : EIO);
    return false;
  }
  return true;
}
