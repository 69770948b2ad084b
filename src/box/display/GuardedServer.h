#pragma once
// The web display's HTTP server, with guards the library lacks: a request
// must arrive in full within a time limit, and the connections still waiting
// for their request (its header not yet complete) are limited in number, the
// longest waiting dropped first. Slow or silent clients then cannot hold every
// server thread while the page and the keys wait; a request that has arrived
// is never dropped, however long its answer takes. A kept-alive connection gives its thread up
// after a request whenever other connections wait for one, so that clients
// fetching in a loop (the screen) take turns with the keys instead of holding
// every thread between their requests.
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>

namespace box {

class GuardedServer : public httplib::Server {
public:
    GuardedServer(std::chrono::milliseconds requestTime, std::size_t maxWaiting, std::size_t threads);
    std::size_t waitingConnections() const;
    // In place of set_pre_routing_handler, which the server uses itself.
    void setPreRouting(HandlerWithResponse handler) { m_preRouting = std::move(handler); }

private:
    class DeadlineStream;
    class CountingPool;

    bool process_and_close_socket(socket_t sock) override;
    void startWaiting(socket_t sock);
    void stopWaiting(socket_t sock);
    bool waitForRequest(socket_t sock) const;

    std::chrono::milliseconds m_requestTime;
    std::size_t m_maxWaiting;
    mutable std::mutex m_mutex;
    std::map<socket_t, std::chrono::steady_clock::time_point> m_waiting;
    // Accepted connections that no thread has taken up yet.
    std::atomic<std::size_t> m_queued{0};
    HandlerWithResponse m_preRouting;
};

} // namespace box
