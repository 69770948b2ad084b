#pragma once
// The browser page's files, compiled into the box from web/ so the server never
// touches the file system.
#include <string_view>
#include <vector>

namespace box {

struct WebAsset {
    std::string_view path; // "/index.html", "/app.js", ...
    std::string_view body;
};

const std::vector<WebAsset>& webAssets(); // generated at build time
const WebAsset* findWebAsset(std::string_view path);
std::string_view contentTypeFor(std::string_view path);

} // namespace box
