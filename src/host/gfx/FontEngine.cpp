#include "host/gfx/FontEngine.h"

#include "host/gfx/eSkin.h"

#include <ft2build.h>
#include FT_FREETYPE_H

namespace host {

struct FontEngine::Face {
    FT_Face ft = nullptr;
    int pixelSize = 0;
    FontMetrics metrics;
    std::unordered_map<char32_t, std::unique_ptr<Glyph>> glyphs;
};

FontEngine& FontEngine::instance()
{
    static FontEngine engine;
    return engine;
}

FontEngine::FontEngine()
{
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) == 0)
        m_library = lib;
}

FontEngine::~FontEngine()
{
    for (auto& f : m_faces)
        if (f.second->ft)
            FT_Done_Face(f.second->ft);
    if (m_library)
        FT_Done_FreeType(static_cast<FT_Library>(m_library));
}

FontEngine::Face* FontEngine::face(const gFont& font)
{
    const int size = font.pointSize > 0 ? font.pointSize : 20;
    const std::string file = eSkin::getActive()->fontFile(font.family);
    const std::string key = file + '#' + std::to_string(size);
    std::lock_guard<std::mutex> g(m_lock);
    auto it = m_faces.find(key);
    if (it != m_faces.end())
        return it->second.get();
    auto f = std::make_unique<Face>();
    f->pixelSize = size;
    FT_Face ft = nullptr;
    if (m_library && FT_New_Face(static_cast<FT_Library>(m_library), file.c_str(), 0, &ft) == 0) {
        FT_Set_Pixel_Sizes(ft, 0, size);
        f->ft = ft;
        f->metrics.ascender = static_cast<int>((ft->size->metrics.ascender + 63) >> 6);
        f->metrics.descender = static_cast<int>((-ft->size->metrics.descender + 63) >> 6);
        f->metrics.height = static_cast<int>((ft->size->metrics.height + 63) >> 6);
    } else {
        // No font file: keep a face without glyph shapes so text still lays out.
        f->metrics.ascender = size * 4 / 5;
        f->metrics.descender = size / 5;
        f->metrics.height = size * 6 / 5;
    }
    Face* raw = f.get();
    m_faces.emplace(key, std::move(f));
    return raw;
}

const Glyph* FontEngine::glyph(Face* face, char32_t c)
{
    std::lock_guard<std::mutex> g(m_lock);
    auto it = face->glyphs.find(c);
    if (it != face->glyphs.end())
        return it->second.get();
    auto gl = std::make_unique<Glyph>();
    if (face->ft && FT_Load_Char(face->ft, c, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) == 0) {
        FT_GlyphSlot slot = face->ft->glyph;
        gl->left = slot->bitmap_left;
        gl->top = slot->bitmap_top;
        gl->width = static_cast<int>(slot->bitmap.width);
        gl->height = static_cast<int>(slot->bitmap.rows);
        gl->advance = static_cast<int>((slot->advance.x + 32) >> 6);
        gl->coverage.resize(static_cast<size_t>(gl->width) * gl->height);
        for (int y = 0; y < gl->height; ++y) {
            const unsigned char* src = slot->bitmap.buffer + y * slot->bitmap.pitch;
            std::copy(src, src + gl->width, gl->coverage.begin() + static_cast<size_t>(y) * gl->width);
        }
    } else {
        gl->advance = face->pixelSize / 2;
    }
    ++m_rasterised;
    const Glyph* raw = gl.get();
    face->glyphs.emplace(c, std::move(gl));
    return raw;
}

FontMetrics FontEngine::metrics(Face* face) const
{
    return face->metrics;
}

int FontEngine::kerning(Face* face, char32_t left, char32_t right)
{
    if (!face->ft || !FT_HAS_KERNING(face->ft))
        return 0;
    std::lock_guard<std::mutex> g(m_lock);
    FT_Vector k;
    const FT_UInt a = FT_Get_Char_Index(face->ft, left);
    const FT_UInt b = FT_Get_Char_Index(face->ft, right);
    if (FT_Get_Kerning(face->ft, a, b, FT_KERNING_DEFAULT, &k) != 0)
        return 0;
    return static_cast<int>(k.x >> 6);
}

} // namespace host

int calcFontHeight(const gFont& font)
{
    auto& engine = host::FontEngine::instance();
    return engine.metrics(engine.face(font)).height;
}
