#include "box/display/ListenAddress.h"

#include <arpa/inet.h>
#include <cctype>
#include <unistd.h>

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

namespace {

std::string lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool isIpv4(const std::string& h)
{
    in_addr a {};
    return inet_pton(AF_INET, h.c_str(), &a) == 1;
}

bool isIpv6(const std::string& h)
{
    in6_addr a {};
    return inet_pton(AF_INET6, h.c_str(), &a) == 1;
}

bool isLoopback(const std::string& h)
{
    in_addr a {};
    if (inet_pton(AF_INET, h.c_str(), &a) == 1)
        return (ntohl(a.s_addr) >> 24) == 127;
    return h == "::1" || h == "localhost";
}

} // namespace

bool ListenAddress::acceptsHost(std::string_view header, int boundPort) const
{
    // "name", "name:port", "[v6]" or "[v6]:port". The name is what matters
    // against rebinding; a port, when given, must be ours.
    std::string name;
    std::string_view portText;
    bool hasPort = false;
    if (!header.empty() && header.front() == '[') {
        size_t close = header.find(']');
        if (close == std::string_view::npos)
            return false;
        name = lower(header.substr(1, close - 1));
        std::string_view rest = header.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':')
                return false;
            portText = rest.substr(1);
            hasPort = true;
        }
        if (!isIpv6(name))
            return false;
    } else {
        size_t colon = header.find(':');
        name = lower(header.substr(0, colon));
        if (colon != std::string_view::npos) {
            portText = header.substr(colon + 1);
            hasPort = true;
        }
        if (!name.empty() && name.back() == '.')
            name.pop_back(); // "localhost." is localhost
    }
    int port = boundPort;
    if (hasPort) {
        if (portText.empty() || portText.size() > 5)
            return false;
        port = 0;
        for (char c : portText) {
            if (!std::isdigit(static_cast<unsigned char>(c)))
                return false;
            port = port * 10 + (c - '0');
        }
    }
    if (name.empty() || port != boundPort)
        return false;
    std::string own = lower(host);
    if (name == own)
        return true;
    bool wildcard = own == "0.0.0.0" || own == "::";
    if ((isLoopback(own) || wildcard) && isLoopback(name))
        return true;
    if (!wildcard)
        return false;
    // Name resolution (and so rebinding) never turns an address literal into
    // another host, and the machine's own name is not a stranger's to point.
    if (isIpv4(name) || isIpv6(name))
        return true;
    char self[256] = {};
    if (gethostname(self, sizeof self - 1) != 0 || !self[0])
        return false;
    std::string machine = lower(self);
    return name == machine || name == machine + ".local";
}

} // namespace box
