#include "box/display/GuardedServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace box {

using Clock = std::chrono::steady_clock;

namespace {
// The connection this server thread is serving.
thread_local socket_t t_socket = INVALID_SOCKET;
} // namespace

// A socket stream whose reads end at a deadline, however slowly the bytes
// trickle in; the first write (the response) ends the wait for the request.
class GuardedServer::DeadlineStream : public httplib::Stream {
public:
    DeadlineStream(GuardedServer& server, socket_t sock, Clock::time_point deadline)
        : m_server(server), m_sock(sock), m_deadline(deadline)
    {
    }

    bool is_readable() const override { return m_pos < m_len || waitFor(POLLIN, readWait()); }
    bool is_writable() const override { return waitFor(POLLOUT, writeWait()); }

    ssize_t read(char* ptr, size_t size) override
    {
        if (m_pos == m_len) {
            if (!waitFor(POLLIN, readWait()))
                return -1;
            ssize_t n;
            do
                n = ::recv(m_sock, m_buffer, sizeof m_buffer, 0);
            while (n < 0 && errno == EINTR);
            if (n <= 0)
                return n;
            m_pos = 0;
            m_len = static_cast<size_t>(n);
        }
        size_t n = std::min(size, m_len - m_pos);
        std::memcpy(ptr, m_buffer + m_pos, n);
        m_pos += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char* ptr, size_t size) override
    {
        if (!m_answering) {
            m_answering = true;
            m_server.stopWaiting(m_sock);
        }
        if (!is_writable())
            return -1;
        ssize_t n;
        do
            n = ::send(m_sock, ptr, size, MSG_NOSIGNAL);
        while (n < 0 && errno == EINTR);
        return n;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override { address(true, ip, port); }
    void get_local_ip_and_port(std::string& ip, int& port) const override { address(false, ip, port); }
    socket_t socket() const override { return m_sock; }

private:
    // Milliseconds a read may wait: the read timeout, cut short by the deadline.
    int readWait() const
    {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - Clock::now()).count();
        long long timeout = m_server.read_timeout_sec_ * 1000LL + m_server.read_timeout_usec_ / 1000;
        return static_cast<int>(std::max(0LL, std::min<long long>(left, timeout)));
    }
    int writeWait() const { return static_cast<int>(m_server.write_timeout_sec_ * 1000 + m_server.write_timeout_usec_ / 1000); }

    bool waitFor(short events, int ms) const
    {
        if (ms <= 0 && events == POLLIN)
            return false;
        pollfd p{m_sock, events, 0};
        int r;
        do
            r = ::poll(&p, 1, ms);
        while (r < 0 && errno == EINTR);
        return r > 0 && (p.revents & (events | POLLHUP | POLLERR));
    }

    void address(bool remote, std::string& ip, int& port) const
    {
        sockaddr_storage addr{};
        socklen_t len = sizeof addr;
        int r = remote ? getpeername(m_sock, reinterpret_cast<sockaddr*>(&addr), &len)
                       : getsockname(m_sock, reinterpret_cast<sockaddr*>(&addr), &len);
        if (r != 0)
            return;
        char text[INET6_ADDRSTRLEN] = {};
        if (addr.ss_family == AF_INET) {
            auto* a = reinterpret_cast<sockaddr_in*>(&addr);
            inet_ntop(AF_INET, &a->sin_addr, text, sizeof text);
            port = ntohs(a->sin_port);
        } else if (addr.ss_family == AF_INET6) {
            auto* a = reinterpret_cast<sockaddr_in6*>(&addr);
            inet_ntop(AF_INET6, &a->sin6_addr, text, sizeof text);
            port = ntohs(a->sin6_port);
        }
        ip = text;
    }

    GuardedServer& m_server;
    socket_t m_sock;
    Clock::time_point m_deadline;
    bool m_answering = false;
    char m_buffer[4096];
    size_t m_pos = 0, m_len = 0;
};

// The library's pool, counting the connections still waiting for a thread.
class GuardedServer::CountingPool : public httplib::TaskQueue {
public:
    CountingPool(std::size_t threads, std::atomic<std::size_t>& queued) : m_pool(threads), m_queued(queued) {}

    void enqueue(std::function<void()> fn) override
    {
        ++m_queued;
        m_pool.enqueue([this, fn = std::move(fn)] {
            --m_queued;
            fn();
        });
    }
    void shutdown() override { m_pool.shutdown(); }

private:
    httplib::ThreadPool m_pool;
    std::atomic<std::size_t>& m_queued;
};

GuardedServer::GuardedServer(std::chrono::milliseconds requestTime, std::size_t maxWaiting, std::size_t threads)
    : m_requestTime(requestTime), m_maxWaiting(maxWaiting)
{
    new_task_queue = [this, threads] { return new CountingPool(threads, m_queued); };
    // The library calls this once the request line and header are in: from then
    // on the connection is being answered, not waiting.
    set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        stopWaiting(t_socket);
        return m_preRouting ? m_preRouting(req, res) : HandlerResponse::Unhandled;
    });
}

void GuardedServer::setBacklog(int connections)
{
    // Listening again on a listening socket only changes its backlog.
    if (svr_sock_ != INVALID_SOCKET)
        ::listen(svr_sock_, connections);
}

std::size_t GuardedServer::waitingConnections() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_waiting.size();
}

void GuardedServer::startWaiting(socket_t sock, bool keptAlive)
{
    // A real request arrives within milliseconds; only a connection silent for
    // longer than this is suspected of holding its thread for nothing.
    constexpr auto kSuspect = std::chrono::milliseconds(500);
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto now = Clock::now();
    if (m_waiting.size() >= m_maxWaiting) {
        // Make room: an idle kept-alive connection first, longest idle first (its
        // client opens another at need); else the connection that has waited
        // longest for its first request, once it is suspect. Clients fetching in a
        // loop go back to waiting after every answer and always look young, so a
        // new connection, a key press whose thread is slow to read it, would
        // otherwise be the one dropped. The socket stays open until its own thread,
        // which must take this mutex to stop waiting, closes it.
        auto first = [](const auto& a, const auto& b) {
            return a.second.keptAlive != b.second.keptAlive ? a.second.keptAlive : a.second.since < b.second.since;
        };
        auto victim = std::min_element(m_waiting.begin(), m_waiting.end(), first);
        if (victim->second.keptAlive || now - victim->second.since >= kSuspect) {
            ::shutdown(victim->first, SHUT_RDWR);
            m_waiting.erase(victim);
        }
    }
    m_waiting[sock] = Waiting{now, keptAlive};
}

void GuardedServer::stopWaiting(socket_t sock)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_waiting.erase(sock);
}

bool GuardedServer::waitForRequest(socket_t sock) const
{
    // In short steps, so that stopping the server is noticed.
    auto until = Clock::now() + std::chrono::seconds(keep_alive_timeout_sec_);
    while (svr_sock_ != INVALID_SOCKET) {
        pollfd p{sock, POLLIN, 0};
        int r = ::poll(&p, 1, 100);
        if (r > 0)
            return true;
        if ((r < 0 && errno != EINTR) || Clock::now() >= until)
            return false;
    }
    return false;
}

bool GuardedServer::process_and_close_socket(socket_t sock)
{
    t_socket = sock;
    bool ret = false;
    for (size_t left = keep_alive_max_count_; left > 0 && svr_sock_ != INVALID_SOCKET; --left) {
        startWaiting(sock, left != keep_alive_max_count_);
        if (!waitForRequest(sock))
            break;
        DeadlineStream stream(*this, sock, Clock::now() + m_requestTime);
        bool closed = false;
        const bool last = left == 1 || m_queued > 0;
        ret = process_request(stream, last, closed, nullptr);
        stopWaiting(sock);
        if (!ret || closed || last)
            break;
    }
    stopWaiting(sock);
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return ret;
}

} // namespace box
