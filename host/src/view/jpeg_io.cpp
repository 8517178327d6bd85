#include "view/jpeg_io.h"

#include "graph/scene.h"

// jpeglib.h needs FILE and size_t declared first.
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace rdhost {

namespace {

// libjpeg reports errors through its error_exit hook; we leave by longjmp
// with the library's message kept for our error.
struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char text[JMSG_LENGTH_MAX] = "unknown libjpeg error";
};

void onJpegError(j_common_ptr info) {
    auto* err = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, err->text);
    std::longjmp(err->jump, 1);
}

void quiet(j_common_ptr, int) {}

}  // namespace

std::string encodeJpeg(const Image& image, int quality) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgba.size() != static_cast<size_t>(image.width) * image.height * 4)
        throw HostError("the image has no valid size");
    jpeg_compress_struct info;
    JpegError err;
    info.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = onJpegError;
    err.mgr.emit_message = quiet;
    // Encoded in memory; ReplacingFile writes the bytes and names any failure.
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
    std::vector<JSAMPLE> row(static_cast<size_t>(image.width) * 3);
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&info);
        std::free(bytes);
        throw HostError(err.text);
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &bytes, &size);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        const std::uint8_t* px = image.pixel(0, static_cast<int>(info.next_scanline));
        for (int x = 0; x < image.width; ++x)
            for (int c = 0; c < 3; ++c) row[static_cast<size_t>(x) * 3 + c] = px[x * 4 + c];
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string out(reinterpret_cast<const char*>(bytes), size);
    std::free(bytes);
    return out;
}

Image readJpeg(const std::string& path) {
    struct File {
        std::FILE* f;
        ~File() {
            if (f) std::fclose(f);
        }
    } file{std::fopen(path.c_str(), "rb")};
    if (!file.f) throw HostError("cannot read '" + path + "': " + std::strerror(errno));
    jpeg_decompress_struct info;
    JpegError err;
    info.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = onJpegError;
    err.mgr.emit_message = quiet;
    Image img;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        throw HostError("cannot read '" + path + "': " + err.text);
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file.f);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    img.width = static_cast<int>(info.output_width);
    img.height = static_cast<int>(info.output_height);
    img.rgba.resize(static_cast<size_t>(img.width) * img.height * 4);
    std::vector<JSAMPLE> row(static_cast<size_t>(img.width) * 3);
    while (info.output_scanline < info.output_height) {
        std::uint8_t* px = img.rgba.data() + static_cast<size_t>(info.output_scanline) * img.width * 4;
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&info, rows, 1);
        for (int x = 0; x < img.width; ++x) {
            for (int c = 0; c < 3; ++c) px[x * 4 + c] = row[static_cast<size_t>(x) * 3 + c];
            px[x * 4 + 3] = 255;
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return img;
}

}  // namespace rdhost
