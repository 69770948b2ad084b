#pragma once
// The box's screen and remote control in a web browser: an HTTP server on its own
// threads serves the page, pushes every new screen generation as a server-sent
// event (/events, then /screen.png), and queues keys and text POSTed to /key and
// /text for nextInput(). The GUI thread never waits on the network.
#include "box/display/FrameStore.h"
#include "box/display/InputQueue.h"
#include "box/display/ListenAddress.h"
#include "host/gui/Frontend.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace box {

class GuardedServer;

struct WebOptions {
    std::string listen = "127.0.0.1:8080"; // port 0 picks a free port
    // A request must arrive in full within this time, however slowly it trickles in.
    std::chrono::milliseconds requestTime{10000};
};

class WebFrontend : public host::Frontend {
public:
    // Binds and starts serving; nullptr and a reason in *error when it cannot.
    static std::unique_ptr<WebFrontend> start(const WebOptions& options, std::string* error);
    ~WebFrontend() override;

    void present(const host::FrameView& frame) override;
    host::InputEvent nextInput() override;

    int port() const { return m_port; }
    const std::string& url() const { return m_url; }
    std::size_t pendingInput() const { return m_input.size(); }

private:
    explicit WebFrontend(const WebOptions& options);
    void addRoutes();
    void serveEvents(const httplib::Request& req, httplib::Response& res);
    void serveScreen(const httplib::Request& req, httplib::Response& res);
    void takeKey(const httplib::Request& req, httplib::Response& res);
    void takeText(const httplib::Request& req, httplib::Response& res);
    void queue(host::InputEvent event, httplib::Response& res);

    std::unique_ptr<GuardedServer> m_server;
    std::thread m_thread;
    FrameStore m_frames;
    InputQueue m_input;
    std::atomic<int> m_eventStreams{0};
    std::atomic<bool> m_stopping{false};
    ListenAddress m_address;
    int m_port = 0;
    std::string m_url;
};

std::unique_ptr<host::Frontend> makeWebFrontend(const WebOptions& options, std::string* error);

} // namespace box
