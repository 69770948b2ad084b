#include "box/KeyScript.h"

#include <cctype>
#include <sstream>

namespace box {
namespace {

bool hexValue(char c, int* v)
{
    if (c >= '0' && c <= '9')
        *v = c - '0';
    else if (c >= 'a' && c <= 'f')
        *v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        *v = c - 'A' + 10;
    else
        return false;
    return true;
}

std::optional<std::string> unescape(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out += s[i];
            continue;
        }
        int hi = 0, lo = 0;
        if (i + 2 >= s.size() || !hexValue(s[i + 1], &hi) || !hexValue(s[i + 2], &lo))
            return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

bool validShotName(const std::string& name)
{
    if (name.empty() || name.size() > 100)
        return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.')
            return false;
    return name[0] != '.';
}

} // namespace

std::optional<std::vector<ScriptStep>> parseKeyScript(const std::string& script, std::string* error)
{
    std::vector<ScriptStep> steps;
    std::istringstream in(script);
    std::string token;
    while (in >> token) {
        ScriptStep step;
        step.token = token;
        if (token.rfind("text:", 0) == 0) {
            auto text = unescape(token.substr(5));
            if (!text || text->empty()) {
                if (error)
                    *error = "bad text token '" + token + "'";
                return std::nullopt;
            }
            step.kind = ScriptStep::Kind::Text;
            step.text = *text;
        } else if (token.rfind("shot:", 0) == 0) {
            step.kind = ScriptStep::Kind::Shot;
            step.text = token.substr(5);
            // The name becomes a file name in the screenshot folder: no paths.
            if (!validShotName(step.text)) {
                if (error)
                    *error = "bad screenshot name in '" + token + "' (letters, digits, - _ . only)";
                return std::nullopt;
            }
        } else if (auto key = parseRCKey(token)) {
            step.key = *key;
        } else {
            if (error)
                *error = "unknown key '" + token + "'";
            return std::nullopt;
        }
        steps.push_back(step);
    }
    return steps;
}

} // namespace box
