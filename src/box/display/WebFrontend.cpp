#include "box/display/WebFrontend.h"

#include "box/display/GuardedServer.h"
#include "box/display/KeyboardMap.h"
#include "box/display/ListenAddress.h"
#include "box/display/WebAssets.h"

#include <httplib.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <pthread.h>
#include <sys/socket.h>

namespace box {
namespace {

constexpr int kScreenWidth = 720;
constexpr int kScreenHeight = 576;
// Every open page holds one event stream, and each stream holds a server thread;
// the rest of the pool stays free for keys, pictures and the page itself.
constexpr int kMaxEventStreams = 8;
constexpr int kServerThreads = kMaxEventStreams + 16;
constexpr size_t kMaxBody = 4096;
// Connections that have not yet sent their whole request; beyond this the
// longest waiting is dropped, which leaves threads for the page and the keys.
constexpr size_t kMaxWaitingConnections = 12;
// Connections the kernel holds until the server accepts them.
constexpr int kListenBacklog = 256;
// Idle streams send a comment this often, which is also how a vanished browser
// is noticed and its thread freed.
constexpr auto kEventKeepAlive = std::chrono::seconds(10);

std::string regexEscape(std::string_view path)
{
    std::string out;
    for (char c : path) {
        if (std::strchr(".^$|()[]{}*+?\\", c))
            out += '\\';
        out += c;
    }
    return out;
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && std::strchr(" \t\r\n", s.front()))
        s.remove_prefix(1);
    while (!s.empty() && std::strchr(" \t\r\n", s.back()))
        s.remove_suffix(1);
    return s;
}

// Printable UTF-8 only: the text goes straight into an on-screen text field.
bool isPrintableUtf8(std::string_view s)
{
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 || c == 0x7f)
            return false;
        int extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xe ? 2 : (c >> 3) == 0x1e ? 3 : -1;
        if (extra < 0 || (extra == 1 && c < 0xc2) || i + extra >= s.size())
            return false;
        uint32_t cp = extra == 0 ? c : c & (0x3f >> extra);
        for (int k = 1; k <= extra; ++k) {
            unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xc0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3f);
        }
        if ((extra == 2 && (cp < 0x800 || (cp >= 0xd800 && cp <= 0xdfff)))
            || (extra == 3 && (cp < 0x10000 || cp > 0x10ffff)) || (cp >= 0x80 && cp < 0xa0))
            return false;
        i += extra + 1;
    }
    return true;
}

const char* statusText(int status)
{
    switch (status) {
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 413: return "Payload Too Large";
    case 414: return "URI Too Long";
    case 431: return "Request Header Fields Too Large";
    case 503: return "Service Unavailable";
    default: return status < 500 ? "Client Error" : "Server Error";
    }
}

void fail(httplib::Response& res, int status, const std::string& why)
{
    res.status = status;
    res.set_content(why + "\n", "text/plain; charset=utf-8");
}

// Another site's page in the same browser must not be able to press keys.
bool fromOurPage(const httplib::Request& req)
{
    if (!req.has_header("Origin"))
        return true; // not a browser page (curl, scripts)
    return req.get_header_value("Origin") == "http://" + req.get_header_value("Host");
}

void setPageHeaders(httplib::Response& res)
{
    res.set_header("Cache-Control", "no-cache");
    res.set_header("X-Content-Type-Options", "nosniff");
    res.set_header("Content-Security-Policy",
                   "default-src 'self'; img-src 'self'; style-src 'self'; script-src 'self'");
}

} // namespace

WebFrontend::WebFrontend(const WebOptions& options)
    : m_server(std::make_unique<GuardedServer>(options.requestTime, kMaxWaitingConnections, kServerThreads))
    , m_frames(kScreenWidth, kScreenHeight)
{
}

std::unique_ptr<WebFrontend> WebFrontend::start(const WebOptions& options, std::string* error)
{
    auto setError = [&](const std::string& text) {
        if (error)
            *error = text;
    };
    std::optional<ListenAddress> address = ListenAddress::parse(options.listen);
    if (!address) {
        setError("invalid listen address \"" + options.listen + "\" (expected HOST:PORT, e.g. 127.0.0.1:8080)");
        return nullptr;
    }
    std::unique_ptr<WebFrontend> web(new WebFrontend(options));
    web->m_address = *address;
    GuardedServer& server = *web->m_server;
    // Only SO_REUSEADDR: port sharing would let a second box "bind" a port already in use.
    server.set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    server.set_read_timeout(5, 0);
    server.set_write_timeout(5, 0);
    server.set_keep_alive_timeout(2);
    server.set_keep_alive_max_count(100);
    server.set_payload_max_length(kMaxBody);
    web->addRoutes();

    errno = 0;
    int port = address->port;
    bool bound = port == 0 ? (port = server.bind_to_any_port(address->host)) > 0
                           : server.bind_to_port(address->host, port);
    if (!bound) {
        int err = errno;
        setError("cannot listen on " + options.listen + ": "
                 + (err ? std::strerror(err) : "address not available"));
        return nullptr;
    }
    server.setBacklog(kListenBacklog);
    web->m_port = port;
    web->m_url = address->url(port);
    web->m_thread = std::thread([w = web.get()] {
        // A browser that closes mid-response must not kill the box: the server
        // threads (all started from here) see EPIPE instead of SIGPIPE.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        w->m_server->listen_after_bind();
    });
    // stop() does nothing to a server that has not started listening yet, so the
    // destructor could wait forever on a frontend destroyed right after start().
    for (int i = 0; i < 500 && !server.is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::cout << "Open " << web->m_url << " in a browser" << std::endl;
    return web;
}

WebFrontend::~WebFrontend()
{
    m_stopping = true;
    m_frames.stop();
    m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
}

void WebFrontend::present(const host::FrameView& frame)
{
    m_frames.store(frame);
}

host::InputEvent WebFrontend::nextInput()
{
    return m_input.pop();
}

void WebFrontend::addRoutes()
{
    httplib::Server& s = *m_server;
    // Known paths answer the methods they do not take with 405 instead of 404.
    auto refuseOtherMethods = [&](const std::string& pattern, bool takesPost) {
        const char* allow = takesPost ? "POST" : "GET, HEAD";
        httplib::Server::Handler refuse = [allow](const httplib::Request&, httplib::Response& res) {
            res.set_header("Allow", allow);
            fail(res, 405, "method not allowed");
        };
        if (takesPost)
            s.Get(pattern, refuse);
        else
            s.Post(pattern, refuse);
        s.Put(pattern, refuse);
        s.Patch(pattern, refuse);
        s.Delete(pattern, refuse);
        s.Options(pattern, refuse);
    };
    auto readOnly = [&](const std::string& pattern) { refuseOtherMethods(pattern, false); };
    auto postOnly = [&](const std::string& pattern) { refuseOtherMethods(pattern, true); };

    for (const WebAsset& asset : webAssets()) {
        std::string pattern = asset.path == "/index.html" ? "/(index\\.html)?" : regexEscape(asset.path);
        s.Get(pattern, [&asset](const httplib::Request&, httplib::Response& res) {
            setPageHeaders(res);
            res.set_content(asset.body.data(), asset.body.size(), std::string(contentTypeFor(asset.path)).c_str());
        });
        readOnly(pattern);
    }
    static const std::string keymap = KeyboardMap::toJavaScript();
    s.Get("/keymap\\.js", [](const httplib::Request&, httplib::Response& res) {
        setPageHeaders(res);
        res.set_content(keymap, "text/javascript; charset=utf-8");
    });
    readOnly("/keymap\\.js");

    s.Get("/events", [this](const httplib::Request& req, httplib::Response& res) { serveEvents(req, res); });
    readOnly("/events");
    s.Get("/screen\\.png", [this](const httplib::Request& req, httplib::Response& res) { serveScreen(req, res); });
    readOnly("/screen\\.png");
    s.Post("/key", [this](const httplib::Request& req, httplib::Response& res) { takeKey(req, res); });
    postOnly("/key");
    s.Post("/text", [this](const httplib::Request& req, httplib::Response& res) { takeText(req, res); });
    postOnly("/text");

    // Every request, the page and the screen included, names this server: a
    // foreign name resolving to the box (DNS rebinding) gets nothing.
    m_server->setPreRouting([this](const httplib::Request& req, httplib::Response& res) {
        if (!req.has_header("Host") || m_address.acceptsHost(req.get_header_value("Host"), m_port))
            return httplib::Server::HandlerResponse::Unhandled;
        fail(res, 403, "this box is not reached under that name");
        return httplib::Server::HandlerResponse::Handled;
    });

    s.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (res.body.empty())
            res.set_content(std::to_string(res.status) + " " + statusText(res.status) + "\n",
                            "text/plain; charset=utf-8");
    });
    s.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        fail(res, 500, "internal error");
    });
}

void WebFrontend::serveEvents(const httplib::Request&, httplib::Response& res)
{
    if (++m_eventStreams > kMaxEventStreams) {
        --m_eventStreams;
        res.set_header("Retry-After", "5");
        fail(res, 503, "too many open pages");
        return;
    }
    res.set_header("Cache-Control", "no-store");
    res.set_header("X-Accel-Buffering", "no");
    auto sent = std::make_shared<std::optional<uint64_t>>();
    res.set_chunked_content_provider(
        "text/event-stream",
        [this, sent](size_t, httplib::DataSink& sink) {
            if (m_stopping)
                return false;
            std::string message;
            if (!*sent) {
                // The page shows the current screen at once and reconnects quickly if cut off.
                uint64_t g = m_frames.generation();
                message = "retry: 1000\nevent: frame\ndata: " + std::to_string(g) + "\n\n";
                *sent = g;
            } else {
                uint64_t g = m_frames.waitNewer(**sent, kEventKeepAlive);
                if (m_stopping)
                    return false;
                if (g != **sent) {
                    message = "event: frame\ndata: " + std::to_string(g) + "\n\n";
                    *sent = g;
                } else {
                    message = ": idle\n\n";
                }
            }
            return sink.write(message.data(), message.size());
        },
        [this](bool) { --m_eventStreams; });
}

void WebFrontend::serveScreen(const httplib::Request&, httplib::Response& res)
{
    uint64_t generation = 0;
    auto png = m_frames.png(&generation);
    res.set_header("Cache-Control", "no-store");
    res.set_header("X-Screen-Generation", std::to_string(generation));
    res.set_content(reinterpret_cast<const char*>(png->data()), png->size(), "image/png");
}

void WebFrontend::takeKey(const httplib::Request& req, httplib::Response& res)
{
    if (!fromOurPage(req))
        return fail(res, 403, "keys are taken from the box's own page only");
    std::string_view name = trim(req.body);
    std::optional<eRCKey> key = parseRCKey(name);
    if (!key)
        return fail(res, 400, "unknown key \"" + std::string(name.substr(0, 32)) + "\"");
    host::InputEvent event;
    event.kind = host::InputEvent::Kind::Key;
    event.key = *key;
    queue(std::move(event), res);
}

void WebFrontend::queue(host::InputEvent event, httplib::Response& res)
{
    if (!m_input.push(std::move(event))) {
        res.set_header("Retry-After", "1");
        return fail(res, 503, "the box is busy; too many keys are waiting");
    }
    res.status = 204;
}

void WebFrontend::takeText(const httplib::Request& req, httplib::Response& res)
{
    if (!fromOurPage(req))
        return fail(res, 403, "text is taken from the box's own page only");
    if (req.body.empty())
        return fail(res, 400, "no text");
    if (!isPrintableUtf8(req.body))
        return fail(res, 400, "text must be printable UTF-8");
    host::InputEvent event;
    event.kind = host::InputEvent::Kind::Text;
    event.text = req.body;
    queue(std::move(event), res);
}

std::unique_ptr<host::Frontend> makeWebFrontend(const WebOptions& options, std::string* error)
{
    return WebFrontend::start(options, error);
}

} // namespace box
