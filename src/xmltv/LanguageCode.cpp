#include "xmltv/LanguageCode.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace xmltv {
namespace {

struct Code {
    const char* three;
    const char* two;
};

// Sorted by the three-letter code, bibliographic and terminology forms both listed.
constexpr Code kCodes[] = {
    {"afr", "af"}, {"alb", "sq"}, {"amh", "am"}, {"ara", "ar"}, {"arm", "hy"}, {"aze", "az"}, {"bak", "ba"},
    {"baq", "eu"}, {"bel", "be"}, {"ben", "bn"}, {"bos", "bs"}, {"bre", "br"}, {"bul", "bg"}, {"cat", "ca"},
    {"ces", "cs"}, {"che", "ce"}, {"chi", "zh"}, {"cos", "co"}, {"cym", "cy"}, {"cze", "cs"}, {"dan", "da"},
    {"deu", "de"}, {"dut", "nl"}, {"ell", "el"}, {"eng", "en"}, {"epo", "eo"}, {"est", "et"}, {"eus", "eu"},
    {"fao", "fo"}, {"fas", "fa"}, {"fin", "fi"}, {"fra", "fr"}, {"fre", "fr"}, {"fry", "fy"}, {"geo", "ka"},
    {"ger", "de"}, {"gla", "gd"}, {"gle", "ga"}, {"glg", "gl"}, {"gre", "el"}, {"guj", "gu"}, {"hau", "ha"},
    {"heb", "he"}, {"hin", "hi"}, {"hrv", "hr"}, {"hun", "hu"}, {"hye", "hy"}, {"ice", "is"}, {"ind", "id"},
    {"isl", "is"}, {"ita", "it"}, {"jpn", "ja"}, {"kan", "kn"}, {"kat", "ka"}, {"kaz", "kk"}, {"khm", "km"},
    {"kir", "ky"}, {"kor", "ko"}, {"kur", "ku"}, {"lat", "la"}, {"lav", "lv"}, {"lit", "lt"}, {"ltz", "lb"},
    {"mac", "mk"}, {"mal", "ml"}, {"mar", "mr"}, {"may", "ms"}, {"mkd", "mk"}, {"mlt", "mt"}, {"mon", "mn"},
    {"msa", "ms"}, {"nep", "ne"}, {"nld", "nl"}, {"nno", "nn"}, {"nob", "nb"}, {"nor", "no"}, {"oci", "oc"},
    {"pan", "pa"}, {"per", "fa"}, {"pol", "pl"}, {"por", "pt"}, {"roh", "rm"}, {"ron", "ro"}, {"rum", "ro"},
    {"rus", "ru"}, {"sin", "si"}, {"slk", "sk"}, {"slo", "sk"}, {"slv", "sl"}, {"sme", "se"}, {"som", "so"},
    {"spa", "es"}, {"sqi", "sq"}, {"srp", "sr"}, {"swa", "sw"}, {"swe", "sv"}, {"tam", "ta"}, {"tat", "tt"},
    {"tel", "te"}, {"tgk", "tg"}, {"tgl", "tl"}, {"tha", "th"}, {"tuk", "tk"}, {"tur", "tr"}, {"ukr", "uk"},
    {"urd", "ur"}, {"uzb", "uz"}, {"vie", "vi"}, {"wel", "cy"}, {"xho", "xh"}, {"yid", "yi"}, {"yor", "yo"},
    {"zho", "zh"}, {"zul", "zu"},
};

} // namespace

std::string xmltvLanguage(const std::string& iso639)
{
    if (iso639.size() != 3)
        return {};
    std::string code;
    for (char c : iso639) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c < 'a' || c > 'z')
            return {};
        code += c;
    }
    if (code == "und" || code == "zxx")
        return {};
    auto it = std::lower_bound(std::begin(kCodes), std::end(kCodes), code,
                               [](const Code& a, const std::string& b) { return std::strcmp(a.three, b.c_str()) < 0; });
    if (it != std::end(kCodes) && code == it->three)
        return it->two;
    return code;
}

} // namespace xmltv
