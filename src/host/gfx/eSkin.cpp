#include "host/gfx/eSkin.h"
#include "host/platform/FileSystem.h"

#include "host/gfx/SkinImages.h"
#include "host/gfx/gPixmap.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

const char* const kDefaultFontDir = "/usr/share/fonts/opentype/urw-base35";
const char* const kDefaultFontFile = "NimbusSans-Regular.otf";

std::string trim(const std::string& s)
{
    const size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return std::string();
    const size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> splitComma(const std::string& s)
{
    std::vector<std::string> parts;
    std::stringstream in(s);
    std::string part;
    while (std::getline(in, part, ','))
        parts.push_back(trim(part));
    return parts;
}

bool toInt(const std::string& s, int& out)
{
    if (s.empty())
        return false;
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0' || v < -100000 || v > 100000)
        return false;
    out = static_cast<int>(v);
    return true;
}

std::unique_ptr<eSkin>& activeSkin()
{
    static std::unique_ptr<eSkin> skin;
    return skin;
}

} // namespace

eSkin::eSkin() : m_fontDir(kDefaultFontDir)
{
    loadText(host::kBuiltinSkin);
}

eSkin::~eSkin() = default;

eSkin* eSkin::getActive()
{
    auto& skin = activeSkin();
    if (!skin) {
        skin = std::make_unique<eSkin>();
#ifdef ORVALIS_DATA_DIR
        // The edited copy of the default skin, when the data folder is at hand.
        skin->loadFile(std::string(ORVALIS_DATA_DIR) + "/skins/default.skin");
#endif
    }
    return skin.get();
}

bool eSkin::load(const std::string& file)
{
    return getActive()->loadFile(file);
}

bool eSkin::loadFile(const std::string& file)
{
    // A regular file of skin size: a FIFO or device given by mistake never hangs the box.
    std::string text;
    if (!host::readRegularHostFile(file, &text, 4 << 20, nullptr))
        return false;
    const size_t slash = file.find_last_of('/');
    return loadText(text, slash == std::string::npos ? std::string(".") : file.substr(0, slash));
}

bool eSkin::loadText(const std::string& text, const std::string& baseDir)
{
    std::istringstream in(text);
    std::string line;
    std::string section;
    m_badLines = 0;
    while (std::getline(in, line)) {
        line = trim(line);
        // Comments take whole lines: '#' also starts colour values.
        if (line.empty() || line[0] == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            section = trim(line.substr(1, line.size() - 2));
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos || !parseLine(section, trim(line.substr(0, eq)), trim(line.substr(eq + 1)), baseDir))
            ++m_badLines;
    }
    return true;
}

bool eSkin::parseColor(const std::string& value, uint32_t& rgb) const
{
    if (value.size() == 7 && value[0] == '#') {
        char* end = nullptr;
        const unsigned long v = std::strtoul(value.c_str() + 1, &end, 16);
        if (*end != '\0')
            return false;
        rgb = static_cast<uint32_t>(v);
        return true;
    }
    auto it = m_colors.find(value);
    if (it == m_colors.end())
        return false;
    rgb = it->second.rgb();
    return true;
}

gColor eSkin::colorRef(const std::string& value) const
{
    if (value.empty() || value == "-")
        return gColor();
    auto it = m_colors.find(value);
    if (it != m_colors.end())
        return it->second;
    uint32_t rgb;
    if (parseColor(value, rgb))
        return gColor::fromRGB(rgb);
    return gColor();
}

bool eSkin::parseLine(const std::string& section, const std::string& key, const std::string& value,
                      const std::string& baseDir)
{
    if (key.empty())
        return false;
    if (section == "colors") {
        uint32_t rgb;
        if (!parseColor(value, rgb))
            return false;
        gColor::define(key, rgb);
        m_colors[key] = gColor::named(key);
        return true;
    }
    if (section == "fonts") {
        const auto parts = splitComma(value);
        int size;
        if (parts.size() != 2 || parts[0].empty() || !toInt(parts[1], size) || size <= 0)
            return false;
        m_fonts[key] = gFont(parts[0], size);
        return true;
    }
    if (section == "fontfiles") {
        if (key == "directory")
            m_fontDir = value.empty() || value[0] == '/' ? value : baseDir + "/" + value;
        else
            m_fontFiles[key] = value;
        return !value.empty();
    }
    if (section == "images") {
        std::unique_ptr<gPixmap> pm;
        if (value.rfind("builtin:", 0) == 0) {
            pm = host::drawBuiltinImage(value.substr(8));
        } else {
            pm = host::loadPngImage(value[0] == '/' ? value : baseDir + "/" + value);
            if (!pm)
                return false;
        }
        if (pm)
            m_images[key] = std::move(pm);
        else
            m_images.erase(key); // builtin:none removes the image
        return true;
    }
    if (section == "decorations") {
        const auto parts = splitComma(value);
        eDecoration d;
        if (parts.empty() || !toInt(parts[0], d.border) || d.border < 0)
            return false;
        if (parts.size() > 1)
            d.frame = colorRef(parts[1]);
        if (parts.size() > 2)
            d.fill = colorRef(parts[2]);
        if (parts.size() > 3)
            d.focusFrame = colorRef(parts[3]);
        m_decorations[key] = d;
        return true;
    }
    if (section == "values") {
        int v;
        if (!toInt(value, v))
            return false;
        m_values[key] = v;
        return true;
    }
    return false;
}

gColor eSkin::queryColor(const eString& name) const
{
    auto it = m_colors.find(name);
    return it == m_colors.end() ? gColor() : it->second;
}

gFont eSkin::queryFont(const eString& name) const
{
    auto it = m_fonts.find(name);
    if (it != m_fonts.end())
        return it->second;
    auto def = m_fonts.find("global.normal");
    return def != m_fonts.end() ? def->second : gFont("Nimbus", 20);
}

gPixmap* eSkin::queryImage(const eString& name) const
{
    auto it = m_images.find(name);
    return it == m_images.end() ? nullptr : it->second.get();
}

const eDecoration* eSkin::queryDecoration(const eString& name) const
{
    auto it = m_decorations.find(name);
    return it == m_decorations.end() ? nullptr : &it->second;
}

int eSkin::queryValue(const eString& name, int def) const
{
    auto it = m_values.find(name);
    return it == m_values.end() ? def : it->second;
}

std::string eSkin::fontFile(const eString& family) const
{
    auto it = m_fontFiles.find(family);
    if (it == m_fontFiles.end())
        it = m_fontFiles.find("Nimbus");
    const std::string file = it == m_fontFiles.end() ? std::string(kDefaultFontFile) : it->second;
    if (!file.empty() && file[0] == '/')
        return file;
    return (m_fontDir.empty() ? std::string(kDefaultFontDir) : m_fontDir) + "/" + file;
}
