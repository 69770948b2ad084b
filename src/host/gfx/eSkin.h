#pragma once
#include "host/eString.h"
#include "host/gfx/gColor.h"
#include "host/gfx/gFont.h"

#include <map>
#include <memory>
#include <string>

class gPixmap;

// The frame a decorated widget draws around itself, by decoration name.
struct eDecoration {
    int border = 0;    // width of the frame in pixels
    gColor frame;      // frame colour
    gColor fill;       // background inside the frame (invalid: none)
    gColor focusFrame; // frame colour while the widget has the focus (invalid: frame)
    bool isValid() const { return border > 0 || fill.isValid(); }
};

// Colours, fonts, images and decorations by name, read from a text file the user can
// edit. The active skin starts from built-in values, so every name resolves even when
// no file loads.
class eSkin {
public:
    eSkin();
    ~eSkin();

    static eSkin* getActive();

    // Reads a skin file into the active skin, on top of its current values.
    static bool load(const std::string& file);
    // Reads a skin file on top of this skin's values; false when it cannot be read
    // (nothing changes then). Lines that do not parse are skipped and counted.
    bool loadFile(const std::string& file);
    // Parses skin text; baseDir resolves relative image and font file names.
    bool loadText(const std::string& text, const std::string& baseDir = std::string());
    int badLines() const { return m_badLines; }

    gColor queryColor(const eString& name) const; // invalid colour when unknown
    gFont queryFont(const eString& name) const;   // Nimbus 20 when unknown
    gPixmap* queryImage(const eString& name) const;
    const eDecoration* queryDecoration(const eString& name) const;
    // A whole number from the [values] section, or def.
    int queryValue(const eString& name, int def) const;
    bool hasColor(const eString& name) const { return m_colors.count(name) != 0; }
    bool hasFont(const eString& name) const { return m_fonts.count(name) != 0; }

    // Font file for a family; unknown families take the default family's file.
    std::string fontFile(const eString& family) const;

private:
    bool parseLine(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& baseDir);
    bool parseColor(const std::string& value, uint32_t& rgb) const;
    gColor colorRef(const std::string& value) const;
    std::map<eString, gColor> m_colors;
    std::map<eString, gFont> m_fonts;
    std::map<eString, std::unique_ptr<gPixmap>> m_images;
    std::map<eString, eDecoration> m_decorations;
    std::map<eString, std::string> m_fontFiles;
    std::map<eString, int> m_values;
    std::string m_fontDir;
    int m_badLines = 0;
};
