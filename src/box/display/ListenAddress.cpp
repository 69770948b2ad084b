#include "box/display/ListenAddress.h"

#include <cctype>

namespace box {

std::optional<ListenAddress> ListenAddress::parse(std::string_view text)
{
    size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0)
        return std::nullopt;
    std::string_view host = text.substr(0, colon);
    std::string_view port = text.substr(colon + 1);
    if (host.front() == '[') {
        if (host.size() < 3 || host.back() != ']')
            return std::nullopt;
        host = host.substr(1, host.size() - 2);
    } else if (host.find(':') != std::string_view::npos) {
        return std::nullopt; // a bare IPv6 address is ambiguous with the port
    }
    if (port.empty() || port.size() > 5)
        return std::nullopt;
    int value = 0;
    for (char c : port) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > 65535)
        return std::nullopt;
    for (char c : host)
        if (std::isspace(static_cast<unsigned char>(c)) || c == '/' || c == '[' || c == ']')
            return std::nullopt;
    return ListenAddress{std::string(host), value};
}

std::string ListenAddress::url(int boundPort) const
{
    // The wildcard addresses are not something to type into a browser.
    std::string shown = host;
    if (shown == "0.0.0.0")
        shown = "127.0.0.1";
    else if (shown == "::")
        shown = "::1";
    if (shown.find(':') != std::string::npos)
        shown = "[" + shown + "]";
    return "http://" + shown + ":" + std::to_string(boundPort) + "/";
}

} // namespace box
