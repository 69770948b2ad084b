#pragma once
// The web display's HTTP server, with guards the library lacks: a request
// must arrive in full within a time limit, and the connections still waiting
// for their request (its header not yet complete) are limited in number:
// beyond that, a connection kept alive after its answer goes first (its client
// opens another at need), else the one waiting longest once it has been silent
// for half a second. Slow or silent clients then cannot hold every
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
    // After binding: room for this many connections not yet accepted. The library
    // leaves five, and a crowd of clients opening connections then makes the
    // kernel drop the opening of others (a key press) for a second or more.
    void setBacklog(int connections);
    // In place of set_pre_routing_handler, which the server uses itself.
    void setPreRouting(HandlerWithResponse handler) { m_preRouting = std::move(handler); }

private:
    class DeadlineStream;
    class CountingPool;

    bool process_and_close_socket(socket_t sock) override;
    // keptAlive: the connection had its answer and may send another request.
    void startWaiting(socket_t sock, bool keptAlive);
    void stopWaiting(socket_t sock);
    bool waitForRequest(socket_t sock) const;

    std::chrono::milliseconds m_requestTime;
    std::size_t m_maxWaiting;
    mutable std::mutex m_mutex;
    struct Waiting {
        std::chrono::steady_clock::time_point since;
        bool keptAlive;
    };
    std::map<socket_t, Waiting> m_waiting;
    // Accepted connections that no thread has taken up yet.
    std::atomic<std::size_t> m_queued{0};
    HandlerWithResponse m_preRouting;
};

} // namespace box
