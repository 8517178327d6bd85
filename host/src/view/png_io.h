// PNG files of the viewport's pictures (8-bit RGBA, rows top first).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rdhost {

struct Image {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;  // width * height * 4, top row first

    const std::uint8_t* pixel(int x, int y) const {
        return rgba.data() + (static_cast<size_t>(y) * width + x) * 4;
    }
};

// The PNG file's bytes (8-bit RGBA). Throws HostError with the reason.
std::string encodePng(const Image& image);

// Writes `image` to `path` as ReplacingFile does; throws HostError
// "cannot write 'PATH': REASON".
void writePng(const std::string& path, const Image& image);

// Reads an 8-bit or 16-bit PNG of any colour type, converted to RGBA8.
// Throws HostError naming the file.
Image readPng(const std::string& path);

}  // namespace rdhost
