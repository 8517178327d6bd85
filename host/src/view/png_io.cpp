#include "view/png_io.h"

#include "command/output_file.h"
#include "graph/scene.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace rdhost {

namespace {

struct File {
    std::FILE* f = nullptr;
    ~File() {
        if (f) std::fclose(f);
    }
};

// libpng reports errors through longjmp; the message is kept for our error.
struct PngErrorText {
    char text[256] = "unknown libpng error";
};

void onPngError(png_structp png, png_const_charp message) {
    auto* err = static_cast<PngErrorText*>(png_get_error_ptr(png));
    if (err) std::snprintf(err->text, sizeof err->text, "%s", message);
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// Pictures are encoded in memory and written by ReplacingFile, which names
// the reason of any failed write.
void appendBytes(png_structp png, png_bytep data, size_t size) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), size);
}

}  // namespace

std::string encodePng(const Image& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgba.size() != static_cast<size_t>(image.width) * image.height * 4)
        throw HostError("the image has no valid size");
    PngErrorText err;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &err, onPngError, onPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, &info);
        throw HostError("out of memory");
    }
    std::string out;
    std::vector<png_bytep> rows(static_cast<size_t>(image.height));
    for (int y = 0; y < image.height; ++y)
        rows[static_cast<size_t>(y)] = const_cast<png_bytep>(image.pixel(0, y));
    volatile bool failed = false;
    if (setjmp(png_jmpbuf(png))) {
        failed = true;
    } else {
        png_set_write_fn(png, &out, appendBytes, nullptr);
        png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height),
                     8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        png_write_image(png, rows.data());
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(&png, &info);
    if (failed) throw HostError(err.text);
    return out;
}

void writePng(const std::string& path, const Image& image) {
    ReplacingFile file(path);
    std::string bytes;
    try {
        bytes = encodePng(image);
    } catch (const HostError& e) {
        file.fail(e.what());
    }
    file.write(bytes);
    file.commit();
}

Image readPng(const std::string& path) {
    File file;
    file.f = std::fopen(path.c_str(), "rb");
    if (!file.f) throw HostError("cannot read '" + path + "': " + std::strerror(errno));
    unsigned char sig[8];
    if (std::fread(sig, 1, 8, file.f) != 8 || png_sig_cmp(sig, 0, 8) != 0)
        throw HostError("cannot read '" + path + "': not a PNG file");

    PngErrorText err;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &err, onPngError, onPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw HostError("cannot read '" + path + "': out of memory");
    }
    Image img;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw HostError("cannot read '" + path + "': " + err.text);
    }
    png_init_io(png, file.f);
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    img.width = static_cast<int>(png_get_image_width(png, info));
    img.height = static_cast<int>(png_get_image_height(png, info));
    img.rgba.resize(static_cast<size_t>(img.width) * img.height * 4);
    rows.resize(static_cast<size_t>(img.height));
    for (int y = 0; y < img.height; ++y)
        rows[static_cast<size_t>(y)] = img.rgba.data() + static_cast<size_t>(y) * img.width * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return img;
}

}  // namespace rdhost
