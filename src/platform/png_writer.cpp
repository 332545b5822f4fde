#include "platform/png_writer.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>

namespace platform {
namespace {

void appendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

// Every object with a destructor lives outside this function: libpng leaves
// it by longjmp on errors.
bool encodeInto(std::vector<uint8_t>& out, std::vector<png_bytep>& rows, const PngPicture& picture) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, appendToVector, flushNothing);
    // Screenshots are refreshed every second: speed matters more than size.
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, picture.width, picture.height, picture.bitDepth,
                 picture.channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool writeAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

std::optional<std::vector<uint8_t>> encodePng(const PngPicture& picture) {
    if ((picture.channels != 3 && picture.channels != 4) ||
        (picture.bitDepth != 8 && picture.bitDepth != 16) || picture.width == 0 || picture.height == 0)
        return std::nullopt;
    size_t rowBytes = size_t{picture.width} * static_cast<size_t>(picture.channels * picture.bitDepth / 8);
    if (picture.samples.size() != rowBytes * picture.height) return std::nullopt;

    std::vector<png_bytep> rows(picture.height);
    // libpng takes non-const rows but only reads them while writing.
    auto* samples = const_cast<uint8_t*>(picture.samples.data());
    for (uint32_t row = 0; row < picture.height; ++row) rows[row] = samples + row * rowBytes;
    std::vector<uint8_t> out;
    if (!encodeInto(out, rows, picture)) return std::nullopt;
    return out;
}

bool savePng(const std::string& path, const PngPicture& picture) {
    std::optional<std::vector<uint8_t>> bytes = encodePng(picture);
    if (!bytes) return false;
    std::string temporary = path + ".XXXXXX";
    int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    // mkstemp makes the file private; a viewer run by another user must read it.
    bool written = ::fchmod(fd, 0644) == 0;
    written = writeAll(fd, *bytes) && written;
    written = ::close(fd) == 0 && written;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace platform
