// JPEG files of the viewport's pictures (baseline, 8-bit RGB; alpha is dropped).
#pragma once

#include "view/png_io.h"

#include <string>

namespace rdhost {

// The JPEG file's bytes at `quality` (1 to 100). Throws HostError with the reason.
std::string encodeJpeg(const Image& image, int quality);

// Reads a JPEG file as RGBA8 (alpha 255). Throws HostError naming the file.
Image readJpeg(const std::string& path);

}  // namespace rdhost
