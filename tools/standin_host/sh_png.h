// PNG frames for the stand-in host: RGBA images of 8 or 16 bits per sample.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/standin_host/sh_layouts.h"

// Reads the header only: false with a message when the file is no PNG the
// reader takes (missing, a folder, not a PNG, damaged, too large); the
// frame size otherwise.
bool SHCheckPNG(const std::string& path, int32_t* width, int32_t* height, std::string* error);
// Reads any PNG (palette, grey, with or without alpha, 1 to 16 bits) as RGBA.
// Returns false with a message on failure.
bool SHReadPNG(const std::string& path, SHImage* image, std::string* error);
// Writes RGBA at the image's bit depth through a temporary file and a rename.
bool SHWritePNG(const std::string& path, const SHImage& image, std::string* error);
// The .png files of a folder, in name order. False with the folder and the
// reason when it cannot be read or holds no frame.
bool SHListPNGFrames(const std::string& folder, std::vector<std::string>* frames, std::string* error);
