// Background images: 8-bit RGBA PNG files copied into a store at
// (imageX, imageY).
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "ui/framebuffer.h"

namespace ui {
namespace {

constexpr size_t kSignatureBytes = 8;

struct MemorySource {
    const uint8_t* data;
    size_t size;
    size_t offset;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
    if (length > source->size - source->offset) png_error(png, "file ends early");
    std::copy_n(source->data + source->offset, length, out);
    source->offset += length;
}

// A decoded image and libpng's state, released on every way out.
struct PngRows {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_bytepp rows = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;

    PngRows() = default;
    PngRows(const PngRows&) = delete;
    PngRows& operator=(const PngRows&) = delete;
    ~PngRows() {
        if (rows != nullptr) {
            for (uint32_t row = 0; row < height; ++row) delete[] rows[row];
            delete[] rows;
        }
        if (png != nullptr) png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    }
};

// Decodes file (signature already checked) into image, refusing anything but
// 8-bit RGBA that fits the screen. libpng leaves by longjmp on errors, so
// every object with a destructor lives in the caller.
bool decodeRgba(PngRows& image, const char* path, MemorySource& source, const FrameBuffer& fb) {
    image.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (image.png == nullptr) {
        platform::logError("%s PNG_create_read_struct failed", path);
        return false;
    }
    image.info = png_create_info_struct(image.png);
    if (image.info == nullptr) {
        platform::logError("%s PNG_create_info_struct failed", path);
        return false;
    }
    if (setjmp(png_jmpbuf(image.png))) {
        platform::logError("%s error during init_io", path);
        return false;
    }
    png_set_read_fn(image.png, &source, readFromMemory);
    png_set_sig_bytes(image.png, static_cast<int>(kSignatureBytes));
    png_read_info(image.png, image.info);

    const uint32_t width = png_get_image_width(image.png, image.info);
    const uint32_t height = png_get_image_height(image.png, image.info);
    const int depth = png_get_bit_depth(image.png, image.info);
    const int colorType = png_get_color_type(image.png, image.info);
    if (width > fb.width) {
        platform::logError("%s image has %d cols not %d", path, static_cast<int>(width),
                           static_cast<int>(fb.width));
        return false;
    }
    if (height > fb.height) {
        platform::logError("%s image has %d rows not %d", path, static_cast<int>(height),
                           static_cast<int>(fb.height));
        return false;
    }
    if (depth != 8 || colorType != PNG_COLOR_TYPE_RGBA || fb.bytesPerPixel != 4) {
        platform::logError("%s image has %d pixels not %d or color_type is %d not %d", path, depth,
                           static_cast<int>(fb.bytesPerPixel), colorType, PNG_COLOR_TYPE_RGBA);
        return false;
    }
    png_set_interlace_handling(image.png);
    png_read_update_info(image.png, image.info);
    const size_t rowBytes = png_get_rowbytes(image.png, image.info);

    image.rows = new (std::nothrow) png_bytep[height]();
    if (image.rows == nullptr) {
        platform::logError("%s unable to alloc row_pointers for image", path);
        return false;
    }
    image.height = height;
    for (uint32_t row = 0; row < height; ++row) {
        image.rows[row] = new (std::nothrow) png_byte[rowBytes];
        if (image.rows[row] == nullptr) {
            platform::logError("%s unable to alloc row_pointers[%d] for image", path, static_cast<int>(row));
            return false;
        }
    }
    if (setjmp(png_jmpbuf(image.png))) {
        platform::logError("%s error during reading image", path);
        return false;
    }
    png_read_image(image.png, image.rows);
    image.width = width;
    return true;
}

// Image pixel (u, v) to screen pixel (left + u, top + v) as b, g, r, 0.
// Pixels that would fall off the screen are left out rather than spilling
// into the next row or past the store.
void place(const PngRows& image, uint8_t* store, const FrameBuffer& fb, int64_t left, int64_t top) {
    const int64_t firstColumn = std::max<int64_t>(0, -left);
    const int64_t endColumn = std::min<int64_t>(image.width, int64_t{fb.width} - left);
    if (firstColumn >= endColumn) return;
    for (int64_t v = std::max<int64_t>(0, -top); v < image.height && top + v < fb.height; ++v) {
        const png_byte* source = image.rows[v] + firstColumn * 4;
        uint8_t* target = store + (top + v) * fb.lineLength + (left + firstColumn) * 4;
        for (int64_t u = firstColumn; u < endColumn; ++u, source += 4, target += 4) {
            target[0] = source[2];
            target[1] = source[1];
            target[2] = source[0];
            target[3] = 0;
        }
    }
}

}  // namespace

bool placePng(std::span<const uint8_t> bytes, const char* name, uint8_t* store, const FrameBuffer& fb,
              int64_t left, int64_t top) {
    if (bytes.size() < kSignatureBytes || png_sig_cmp(bytes.data(), 0, kSignatureBytes) != 0) {
        platform::logError("%s image is not a PNG file", name);
        return false;
    }
    MemorySource source{bytes.data(), bytes.size(), kSignatureBytes};
    PngRows image;
    if (!decodeRgba(image, name, source, fb)) return false;
    place(image, store, fb, left, top);
    return true;
}

void getPng(core::Works& works, int toBackground) {
    FrameBuffer* fb = works.fb;
    const std::string path = works.platform->imagePath(works.imageName.get());

    std::ifstream file(path, std::ios::binary);
    if (!file) {
        platform::logError("%s image could not be opened", path.c_str());
        return;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    // The next frame is painted whole over what the image replaced.
    if (toBackground != 0)
        fb->shownValid = false;
    else
        fbDrawPending(fb);
    if (!placePng(bytes, path.c_str(), toBackground != 0 ? fb->background : fb->back, *fb,
                  works.imageX.load(), works.imageY.load()))
        return;
    if (toBackground == 0) fbRealize(fb);
}

}  // namespace ui
