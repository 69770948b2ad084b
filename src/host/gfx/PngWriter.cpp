#include "host/gfx/PngWriter.h"
#include "host/platform/FileSystem.h"

#include <png.h>

namespace host {
namespace {
void appendData(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void noFlush(png_structp) {}
} // namespace

std::vector<uint8_t> encodePng(const FrameView& frame, int zlibLevel)
{
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return out;
    png_infop info = png_create_info_struct(png);
    std::vector<uint8_t> row(static_cast<size_t>(frame.width) * 3);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        out.clear();
        return out;
    }
    png_set_write_fn(png, &out, appendData, noFlush);
    png_set_compression_level(png, zlibLevel);
    png_set_filter(png, 0, PNG_FILTER_SUB);
    png_set_IHDR(png, info, frame.width, frame.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < frame.height; ++y) {
        const uint32_t* src = frame.pixels + static_cast<size_t>(y) * frame.stride;
        for (int x = 0; x < frame.width; ++x) {
            row[x * 3 + 0] = static_cast<uint8_t>(src[x] >> 16);
            row[x * 3 + 1] = static_cast<uint8_t>(src[x] >> 8);
            row[x * 3 + 2] = static_cast<uint8_t>(src[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

bool writePng(const std::string& file, const FrameView& frame)
{
    std::vector<uint8_t> data = encodePng(frame, 6);
    if (data.empty())
        return false;
    return writeFileAtomically(file, std::string(data.begin(), data.end()));
}

} // namespace host
