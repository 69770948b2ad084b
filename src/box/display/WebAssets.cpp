#include "box/display/WebAssets.h"

namespace box {

const WebAsset* findWebAsset(std::string_view path)
{
    for (const WebAsset& a : webAssets())
        if (a.path == path)
            return &a;
    return nullptr;
}

std::string_view contentTypeFor(std::string_view path)
{
    auto endsWith = [&](std::string_view ext) {
        return path.size() >= ext.size() && path.substr(path.size() - ext.size()) == ext;
    };
    if (endsWith(".html"))
        return "text/html; charset=utf-8";
    if (endsWith(".css"))
        return "text/css; charset=utf-8";
    if (endsWith(".js"))
        return "text/javascript; charset=utf-8";
    if (endsWith(".svg"))
        return "image/svg+xml";
    if (endsWith(".png"))
        return "image/png";
    return "application/octet-stream";
}

} // namespace box
