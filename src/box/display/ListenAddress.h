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
};

} // namespace box
