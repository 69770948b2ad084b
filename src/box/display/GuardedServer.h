#pragma once
// The web display's HTTP server, with two guards the library lacks: a request
// must arrive in full within a time limit, and the connections still waiting
// for their request are limited in number (the longest waiting is dropped
// first). Slow or silent clients then cannot hold every server thread while
// the page and the keys wait.
#include <httplib.h>

#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>

namespace box {

class GuardedServer : public httplib::Server {
public:
    GuardedServer(std::chrono::milliseconds requestTime, std::size_t maxWaiting);
    std::size_t waitingConnections() const;

private:
    class DeadlineStream;

    bool process_and_close_socket(socket_t sock) override;
    void startWaiting(socket_t sock);
    void stopWaiting(socket_t sock);
    bool waitForRequest(socket_t sock) const;

    std::chrono::milliseconds m_requestTime;
    std::size_t m_maxWaiting;
    mutable std::mutex m_mutex;
    std::map<socket_t, std::chrono::steady_clock::time_point> m_waiting;
};

} // namespace box
