#pragma once
// FreeType behind the toolkit: one face per font file and pixel size, and every
// glyph rasterised once into a cache that lives as long as the process.
#include "host/gfx/gFont.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace host {

struct Glyph {
    int left = 0;    // bitmap offset from the pen position
    int top = 0;     // bitmap top above the baseline
    int width = 0;
    int height = 0;
    int advance = 0; // pen advance in pixels
    std::vector<uint8_t> coverage; // width * height, 0..255
};

struct FontMetrics {
    int ascender = 0;
    int descender = 0; // positive, below the baseline
    int height = 0;    // line distance
};

class FontEngine {
public:
    struct Face;

    static FontEngine& instance();
    ~FontEngine();

    Face* face(const gFont& font);
    const Glyph* glyph(Face* face, char32_t c);
    FontMetrics metrics(Face* face) const;
    int kerning(Face* face, char32_t left, char32_t right);
    // Glyphs rasterised since start (repaints must not add to it).
    uint64_t rasterised() const { return m_rasterised; }

private:
    FontEngine();
    std::mutex m_lock;
    void* m_library = nullptr; // FT_Library
    std::unordered_map<std::string, std::unique_ptr<Face>> m_faces;
    uint64_t m_rasterised = 0;
};

} // namespace host
