#include "host/gfx/SkinImages.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace host {
namespace {

uint32_t argb(unsigned a, uint32_t rgb) { return (a << 24) | (rgb & 0xFFFFFF); }

// Coverage of a pixel by a thick segment, from the distance of its centre.
unsigned segmentCoverage(double px, double py, double x0, double y0, double x1, double y1, double halfWidth)
{
    const double vx = x1 - x0, vy = y1 - y0;
    double t = ((px - x0) * vx + (py - y0) * vy) / (vx * vx + vy * vy);
    t = std::clamp(t, 0.0, 1.0);
    const double dx = px - (x0 + t * vx), dy = py - (y0 + t * vy);
    const double d = std::sqrt(dx * dx + dy * dy);
    const double c = std::clamp(halfWidth + 0.5 - d, 0.0, 1.0);
    return static_cast<unsigned>(c * 255 + 0.5);
}

std::unique_ptr<gPixmap> drawFolder()
{
    auto pm = std::make_unique<gPixmap>(24, 20, true, 0);
    const uint32_t tab = 0xD9A52B, body = 0xF2C445, edge = 0x8A6212, shine = 0xFBE08A;
    for (int y = 2; y < 6; ++y)
        for (int x = 1; x < 10; ++x)
            pm->setPixel(x, y, argb(255, (y == 2 || x == 1 || x == 9) ? edge : tab));
    for (int y = 5; y < 19; ++y)
        for (int x = 1; x < 23; ++x) {
            const bool border = y == 5 || y == 18 || x == 1 || x == 22;
            pm->setPixel(x, y, argb(255, border ? edge : (y == 6 ? shine : body)));
        }
    return pm;
}

std::unique_ptr<gPixmap> drawCheck()
{
    auto pm = std::make_unique<gPixmap>(20, 20, true, 0);
    const uint32_t green = 0x5FD35F;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const unsigned a = std::max(segmentCoverage(px, py, 3, 10.5, 8, 16, 1.7),
                                        segmentCoverage(px, py, 8, 16, 17, 4, 1.7));
            if (a)
                pm->setPixel(x, y, argb(a, green));
        }
    return pm;
}

} // namespace

std::unique_ptr<gPixmap> drawBuiltinImage(const std::string& name)
{
    if (name == "folder")
        return drawFolder();
    if (name == "check")
        return drawCheck();
    return nullptr;
}

std::unique_ptr<gPixmap> loadPngImage(const std::string& file)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, file.c_str()))
        return nullptr;
    // Icons are small; anything larger than the screen is not an icon.
    if (image.width == 0 || image.height == 0 || image.width > 720 || image.height > 576) {
        png_image_free(&image);
        return nullptr;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> bytes(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) {
        png_image_free(&image);
        return nullptr;
    }
    auto pm = std::make_unique<gPixmap>(static_cast<int>(image.width), static_cast<int>(image.height), true);
    uint32_t* out = pm->data();
    for (size_t i = 0; i + 3 < bytes.size(); i += 4)
        *out++ = (uint32_t(bytes[i + 3]) << 24) | (uint32_t(bytes[i]) << 16) | (uint32_t(bytes[i + 1]) << 8) | bytes[i + 2];
    return pm;
}

} // namespace host
