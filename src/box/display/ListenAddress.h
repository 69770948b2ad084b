#pragma once
// "HOST:PORT" as given on the command line; IPv6 hosts in brackets ("[::1]:8080").
#include <optional>
#include <string>
#include <string_view>

namespace box {

struct ListenAddress {
    std::string host;
    int port = 0; // 0: any free port

    static std::optional<ListenAddress> parse(std::string_view text);
    // The URL a browser on this machine opens to reach the address.
    std::string url(int boundPort) const;

    // Whether a request's Host header names this server. A page on another name
    // that resolves to the box (DNS rebinding) must not reach it: accepted are
    // the listen host itself, localhost and loopback literals when listening on
    // loopback, and any address literal or the machine's own name (also
    // with ".local") when listening on all addresses; a
    // port, when given, must be the bound one.
    bool acceptsHost(std::string_view hostHeader, int boundPort) const;
};

} // namespace box
