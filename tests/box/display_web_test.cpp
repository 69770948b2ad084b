// The browser display in-process, spoken to over loopback HTTP.
#include "box/display/GuardedServer.h"
#include "box/display/ListenAddress.h"
#include "box/display/WebFrontend.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <thread>
#include <future>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

std::vector<uint32_t> solidFrame(uint32_t colour)
{
    return std::vector<uint32_t>(720 * 576, colour);
}

host::FrameView view(const std::vector<uint32_t>& pixels)
{
    return host::FrameView{pixels.data(), 720, 576, 720};
}

// A raw connection, for clients that stop reading or vanish mid-response.
int openRaw(int port, const std::string& request)
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    timeval tv{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    return fd;
}

// Reads until `needle` arrived (or 5 s passed); returns everything read.
std::string readUntil(int fd, const std::string& needle)
{
    std::string got;
    char buf[1024];
    auto deadline = std::chrono::steady_clock::now() + 5s;
    while (got.find(needle) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        got.append(buf, static_cast<size_t>(n));
    }
    return got;
}

class WebDisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        testing::internal::CaptureStdout();
        web = box::WebFrontend::start(box::WebOptions{"127.0.0.1:0"}, &error);
        announced = testing::internal::GetCapturedStdout();
        ASSERT_TRUE(web) << error;
    }

    std::unique_ptr<httplib::Client> client()
    {
        auto c = std::make_unique<httplib::Client>("127.0.0.1", web->port());
        c->set_connection_timeout(5);
        c->set_read_timeout(5);
        return c;
    }

    // The next queued input, or a failed test instead of a hang: a request is
    // answered only after its input was queued.
    host::InputEvent next()
    {
        if (web->pendingInput() == 0) {
            ADD_FAILURE() << "no input queued";
            return host::InputEvent{};
        }
        return web->nextInput();
    }

    std::unique_ptr<box::WebFrontend> web;
    std::string announced;
};

TEST_F(WebDisplay, AnnouncesItsUrlAndServesThePage)
{
    EXPECT_EQ(announced, "Open " + web->url() + " in a browser\n");
    EXPECT_EQ(web->url(), "http://127.0.0.1:" + std::to_string(web->port()) + "/");

    auto c = client();
    auto page = c->Get("/");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_NE(page->body.find("<canvas id=\"screen\""), std::string::npos);
    // A button for every key of the remote.
    for (const char* key : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "red", "green", "yellow",
                            "blue", "ok", "exit", "up", "down", "left", "right"})
        EXPECT_NE(page->body.find("data-key=\"" + std::string(key) + "\""), std::string::npos) << key;
    EXPECT_NE(page->body.find("id=\"text-form\""), std::string::npos);

    for (const char* asset : {"/app.js", "/style.css", "/keymap.js", "/index.html", "/favicon.svg"}) {
        auto res = c->Get(asset);
        ASSERT_TRUE(res) << asset;
        EXPECT_EQ(res->status, 200) << asset;
        EXPECT_FALSE(res->body.empty()) << asset;
    }
    auto keymap = c->Get("/keymap.js");
    EXPECT_NE(keymap->body.find("\"F2\": \"green\""), std::string::npos);
    EXPECT_EQ(keymap->get_header_value("Content-Type"), "text/javascript; charset=utf-8");
}

TEST_F(WebDisplay, KeysAndTextFromTwoBrowsersArriveInOrder)
{
    auto a = client();
    auto b = client();
    const std::vector<std::pair<httplib::Client*, std::string>> presses = {
        {a.get(), "red"}, {b.get(), "2"}, {a.get(), "ok"}, {b.get(), "down\n"}, {a.get(), "backspace"}};
    for (const auto& [c, name] : presses) {
        auto res = c->Post("/key", name, "text/plain");
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 204) << name;
    }
    auto text = b->Post("/text", "Rai 1 è", "text/plain; charset=utf-8");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->status, 204);
    EXPECT_EQ(web->pendingInput(), 6u);

    for (eRCKey expected : {eRCKey::Red, eRCKey::Digit2, eRCKey::Ok, eRCKey::Down, eRCKey::Backspace}) {
        host::InputEvent e = next();
        EXPECT_EQ(e.kind, host::InputEvent::Kind::Key);
        EXPECT_EQ(e.key, expected);
    }
    host::InputEvent e = next();
    EXPECT_EQ(e.kind, host::InputEvent::Kind::Text);
    EXPECT_EQ(e.text, "Rai 1 è");
}

TEST_F(WebDisplay, BadRequestsAreRefusedAndQueueNothing)
{
    auto c = client();
    auto status = [](const httplib::Result& r) { return r ? r->status : -1; };

    EXPECT_EQ(status(c->Post("/key", "purple", "text/plain")), 400);
    EXPECT_EQ(status(c->Post("/key", "", "text/plain")), 400);
    EXPECT_EQ(status(c->Post("/key", "red green", "text/plain")), 400);
    EXPECT_EQ(status(c->Post("/key", std::string(10000, 'a'), "text/plain")), 413);
    EXPECT_EQ(status(c->Post("/text", "", "text/plain")), 400);
    EXPECT_EQ(status(c->Post("/text", "line\nbreak", "text/plain")), 400);
    EXPECT_EQ(status(c->Post("/text", "\xff\xfe", "text/plain")), 400);
    EXPECT_EQ(status(c->Post("/text", "\xc0\xaf", "text/plain")), 400); // overlong '/'
    EXPECT_EQ(status(c->Post("/text", std::string(5000, 'x'), "text/plain")), 413);

    EXPECT_EQ(status(c->Get("/key")), 405);
    EXPECT_EQ(status(c->Get("/text")), 405);
    EXPECT_EQ(status(c->Post("/", "x", "text/plain")), 405);
    EXPECT_EQ(status(c->Post("/screen.png", "x", "text/plain")), 405);
    EXPECT_EQ(status(c->Delete("/events")), 405);
    EXPECT_EQ(status(c->Put("/key", "red", "text/plain")), 405);

    EXPECT_EQ(status(c->Get("/nothing")), 404);
    EXPECT_EQ(status(c->Get("/web/index.html")), 404);
    EXPECT_EQ(status(c->Get("/../../etc/passwd")), 404);
    EXPECT_EQ(status(c->Post("/keys", "red", "text/plain")), 404);

    // Another site's page in the same browser cannot press keys.
    httplib::Headers foreign = {{"Origin", "http://example.invalid"}};
    EXPECT_EQ(status(c->Post("/key", foreign, "red", "text/plain")), 403);
    EXPECT_EQ(status(c->Post("/text", foreign, "abc", "text/plain")), 403);
    httplib::Headers own = {{"Origin", "http://127.0.0.1:" + std::to_string(web->port())}};
    EXPECT_EQ(status(c->Post("/key", own, "red", "text/plain")), 204);

    // A request line that is not HTTP at all.
    int fd = openRaw(web->port(), "GARBAGE\r\n\r\n");
    ASSERT_GE(fd, 0);
    EXPECT_NE(readUntil(fd, "\r\n").find(" 400 "), std::string::npos);
    close(fd);

    EXPECT_EQ(web->pendingInput(), 1u); // only the key from the own page
}

TEST_F(WebDisplay, EventsAnnounceEveryNewScreen)
{
    int fd = openRaw(web->port(), "GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    ASSERT_GE(fd, 0);
    std::string head = readUntil(fd, "data: 0\n\n");
    EXPECT_NE(head.find("text/event-stream"), std::string::npos);
    ASSERT_NE(head.find("data: 0\n\n"), std::string::npos) << head;

    auto red = solidFrame(0xff0000);
    web->present(view(red));
    EXPECT_NE(readUntil(fd, "data: 1\n\n").find("data: 1\n\n"), std::string::npos);
    // The same picture again is no news.
    web->present(view(red));
    auto blue = solidFrame(0x0000ff);
    web->present(view(blue));
    std::string more = readUntil(fd, "data: 2\n\n");
    EXPECT_NE(more.find("data: 2\n\n"), std::string::npos);
    close(fd);

    auto c = client();
    auto png = c->Get("/screen.png?g=2");
    ASSERT_TRUE(png);
    EXPECT_EQ(png->status, 200);
    EXPECT_EQ(png->get_header_value("Content-Type"), "image/png");
    EXPECT_EQ(png->get_header_value("X-Screen-Generation"), "2");
    ASSERT_GT(png->body.size(), 24u);
    EXPECT_EQ(png->body.substr(1, 3), "PNG");
    auto be32 = [&](size_t at) {
        auto b = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(png->body[at + i])); };
        return b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3);
    };
    EXPECT_EQ(be32(16), 720u);
    EXPECT_EQ(be32(20), 576u);
}

TEST_F(WebDisplay, VanishedOrStuckBrowsersNeverHoldUpTheBox)
{
    // One browser reads a little and goes away; another never reads at all.
    int gone = openRaw(web->port(), "GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    ASSERT_GE(gone, 0);
    readUntil(gone, "data: 0");
    close(gone);
    int stuck = openRaw(web->port(), "GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    ASSERT_GE(stuck, 0);

    auto painting = std::async(std::launch::async, [this] {
        for (uint32_t i = 1; i <= 60; ++i)
            web->present(view(solidFrame(i * 0x010203)));
    });
    EXPECT_EQ(painting.wait_for(20s), std::future_status::ready);

    // A browser that stays is still served, and its keys still reach the box.
    int live = openRaw(web->port(), "GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    ASSERT_GE(live, 0);
    EXPECT_NE(readUntil(live, "data: 60\n\n").find("data: 60\n\n"), std::string::npos);
    auto c = client();
    auto res = c->Post("/key", "blue", "text/plain");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 204);
    EXPECT_EQ(next().key, eRCKey::Blue);
    close(live);
    close(stuck);
}

TEST_F(WebDisplay, EventStreamsAreBoundedButKeysStillGetThrough)
{
    std::vector<int> streams;
    for (int i = 0; i < 8; ++i) {
        int fd = openRaw(web->port(), "GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        ASSERT_GE(fd, 0);
        ASSERT_NE(readUntil(fd, "data: 0").find("data: 0"), std::string::npos) << "stream " << i;
        streams.push_back(fd);
    }
    auto c = client();
    auto refused = c->Get("/events");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 503);
    auto key = c->Post("/key", "yellow", "text/plain");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->status, 204);
    auto page = c->Get("/");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    for (int fd : streams)
        close(fd);
}

TEST_F(WebDisplay, SilentConnectionsCannotStarveTheServer)
{
    // More idle connections than the server has threads: they must be dropped in
    // time for a real request to get through.
    std::vector<int> silent;
    for (int i = 0; i < 40; ++i) {
        int fd = openRaw(web->port(), "");
        ASSERT_GE(fd, 0);
        silent.push_back(fd);
    }
    auto c = client();
    c->set_read_timeout(15);
    auto res = c->Post("/key", "ok", "text/plain");
    ASSERT_TRUE(res) << "the server stayed busy with connections that never spoke";
    EXPECT_EQ(res->status, 204);
    for (int fd : silent)
        close(fd);
}

TEST(WebDisplayStart, RefusesBadOrBusyAddresses)
{
    std::string error;
    EXPECT_FALSE(box::WebFrontend::start(box::WebOptions{"localhost"}, &error));
    EXPECT_NE(error.find("invalid listen address"), std::string::npos) << error;

    testing::internal::CaptureStdout();
    auto first = box::WebFrontend::start(box::WebOptions{"127.0.0.1:0"}, &error);
    ASSERT_TRUE(first) << error;
    std::string busy = "127.0.0.1:" + std::to_string(first->port());
    error.clear();
    auto second = box::makeWebFrontend(box::WebOptions{busy}, &error);
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(second);
    EXPECT_NE(error.find("cannot listen on " + busy), std::string::npos) << error;
    EXPECT_EQ(printed.find(busy), printed.rfind(busy)) << "only the first server announces itself";
}

} // namespace

namespace {

TEST(WebDisplayHost, OnlyNamesOfTheListenAddressAreAccepted)
{
    auto loopback = *box::ListenAddress::parse("127.0.0.1:8080");
    for (const char* ok : {"127.0.0.1:8080", "localhost:8080", "LocalHost.:8080", "[::1]:8080", "127.0.0.1"})
        EXPECT_TRUE(loopback.acceptsHost(ok, 8080)) << ok;
    for (const char* bad : {"rebind.example:8080", "127.0.0.1:8081", "127.0.0.1:", "localhost:80x", "[::1",
                            "10.0.0.2:8080", "", "127.0.0.1.example:8080"})
        EXPECT_FALSE(loopback.acceptsHost(bad, 8080)) << bad;

    // On all addresses any address literal names the box; a name still does not.
    auto any = *box::ListenAddress::parse("0.0.0.0:8080");
    EXPECT_TRUE(any.acceptsHost("192.168.1.5:8080", 8080));
    EXPECT_TRUE(any.acceptsHost("[fe80::1]:8080", 8080));
    EXPECT_FALSE(any.acceptsHost("box.rebind.example:8080", 8080));
    char self[256] = {};
    ASSERT_EQ(gethostname(self, sizeof self - 1), 0);
    EXPECT_TRUE(any.acceptsHost(std::string(self) + ".local:8080", 8080));
}

TEST_F(WebDisplay, AForeignHostNameGetsNeitherScreenNorKeys)
{
    // A page on a name that resolves to the box: its Origin and Host agree.
    const std::string port = std::to_string(web->port());
    httplib::Headers rebound = {{"Host", "rebind.example:" + port}, {"Origin", "http://rebind.example:" + port}};
    auto c = client();
    auto screen = c->Get("/screen.png", rebound);
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->status, 403);
    auto key = c->Post("/key", rebound, "red", "text/plain");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->status, 403);
    EXPECT_EQ(web->pendingInput(), 0u);

    httplib::Headers local = {{"Host", "localhost:" + port}, {"Origin", "http://localhost:" + port}};
    auto own = c->Post("/key", local, "red", "text/plain");
    ASSERT_TRUE(own);
    EXPECT_EQ(own->status, 204);
}

TEST_F(WebDisplay, AFloodOfInputIsRefusedOnceTheQueueIsFull)
{
    // Nobody takes input (the box is busy reading tables): the queue stops growing.
    auto c = client();
    const std::string text(4000, 'x');
    int accepted = 0, busy = 0;
    for (int i = 0; i < 300; ++i) {
        auto res = c->Post(i % 2 ? "/text" : "/key", i % 2 ? text : std::string("ok"), "text/plain");
        ASSERT_TRUE(res);
        if (res->status == 204)
            ++accepted;
        else if (res->status == 503)
            ++busy;
    }
    EXPECT_EQ(accepted, static_cast<int>(box::InputQueue::kDefaultCapacity));
    EXPECT_EQ(busy, 300 - accepted);
    EXPECT_EQ(web->pendingInput(), box::InputQueue::kDefaultCapacity);
    next();
    auto again = c->Post("/key", "ok", "text/plain");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->status, 204); // room again once the box took one
}

TEST(WebDisplaySlowClients, TrickledRequestsAreCutOffAndOthersStillServed)
{
    std::string error;
    testing::internal::CaptureStdout();
    auto web = box::WebFrontend::start(box::WebOptions{"127.0.0.1:0", 1500ms}, &error);
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(web) << error;

    // More slow clients than the server has threads, each sending a header line
    // now and then and never finishing its request.
    std::vector<int> slow;
    for (int i = 0; i < 30; ++i) {
        int fd = openRaw(web->port(), "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n");
        ASSERT_GE(fd, 0);
        slow.push_back(fd);
    }
    std::atomic<bool> stop{false};
    std::thread trickle([&] {
        while (!stop) {
            for (int fd : slow)
                send(fd, "X-Slow: 1\r\n", 11, MSG_NOSIGNAL);
            std::this_thread::sleep_for(300ms);
        }
    });

    httplib::Client c("127.0.0.1", web->port());
    c.set_connection_timeout(3);
    c.set_read_timeout(3);
    for (int i = 0; i < 5; ++i) {
        auto page = c.Get("/");
        auto key = c.Post("/key", "ok", "text/plain");
        if (!page || !key) {
            ADD_FAILURE() << "request " << i << " found no free server thread";
            break;
        }
        EXPECT_EQ(page->status, 200);
        EXPECT_EQ(key->status, 204);
        std::this_thread::sleep_for(200ms);
    }
    // Past the time limit, the first slow client has been cut off although it keeps sending.
    char buf[512];
    ssize_t n;
    errno = 0;
    while ((n = recv(slow[0], buf, sizeof buf, MSG_DONTWAIT)) > 0) {
    }
    EXPECT_TRUE(n == 0 || errno == ECONNRESET) << "still open: " << std::strerror(errno);

    stop = true;
    trickle.join();
    for (int fd : slow)
        close(fd);
}

// The server under the web display on its own, with few threads, so that what a
// crowd of clients does to the full display happens with two or three.
class GuardedServerTest : public ::testing::Test {
protected:
    void start(std::size_t maxWaiting, std::size_t threads)
    {
        server = std::make_unique<box::GuardedServer>(10000ms, maxWaiting, threads);
        server->set_keep_alive_timeout(5);
        server->set_keep_alive_max_count(100); // as the web display
        server->Get("/ping", [](const httplib::Request&, httplib::Response& res) { res.set_content("pong", "text/plain"); });
        server->Get("/slow", [](const httplib::Request&, httplib::Response& res) {
            std::this_thread::sleep_for(500ms); // as a picture being encoded
            res.set_content("done", "text/plain");
        });
        port = server->bind_to_any_port("127.0.0.1");
        ASSERT_GT(port, 0);
        thread = std::thread([this] { server->listen_after_bind(); });
        while (!server->is_running())
            std::this_thread::sleep_for(1ms);
    }
    void TearDown() override
    {
        if (server)
            server->stop();
        if (thread.joinable())
            thread.join();
    }
    httplib::Client client(int timeoutSeconds)
    {
        httplib::Client c("127.0.0.1", port);
        c.set_connection_timeout(timeoutSeconds);
        c.set_read_timeout(timeoutSeconds);
        return c;
    }

    std::unique_ptr<box::GuardedServer> server;
    std::thread thread;
    int port = 0;
};

TEST_F(GuardedServerTest, AKeptAliveClientGivesItsThreadUpToOneThatWaits)
{
    // One thread, and a client that asks again every 50 ms on its kept-alive
    // connection (a page following the screen): another request must not wait
    // for its hundred requests.
    start(12, 1);
    std::atomic<bool> stop{false};
    std::atomic<int> answers{0};
    std::thread looping([&] {
        httplib::Client c = client(10);
        c.set_keep_alive(true);
        while (!stop) {
            if (auto res = c.Get("/ping"); res && res->status == 200)
                ++answers;
            std::this_thread::sleep_for(50ms);
        }
    });
    while (answers < 2)
        std::this_thread::sleep_for(5ms);
    for (int i = 0; i < 3; ++i) {
        httplib::Client other = client(2);
        auto res = other.Get("/ping");
        EXPECT_TRUE(res && res->status == 200) << "request " << i << " waited for the kept-alive client";
    }
    const int before = answers;
    std::this_thread::sleep_for(200ms);
    EXPECT_GT(answers, before); // and that client is still served
    stop = true;
    looping.join();
}

TEST_F(GuardedServerTest, ARequestBeingAnsweredIsNeverDroppedForNewConnections)
{
    // Room for two waiting connections: slow answers already under way are not
    // waiting, whatever number of new connections come meanwhile.
    start(2, 8);
    std::vector<std::future<bool>> slow;
    for (int i = 0; i < 3; ++i)
        slow.push_back(std::async(std::launch::async, [this] {
            httplib::Client c = client(5);
            auto res = c.Get("/slow");
            return res && res->status == 200 && res->body == "done";
        }));
    std::this_thread::sleep_for(150ms);
    for (int i = 0; i < 3; ++i) {
        httplib::Client c = client(5);
        auto res = c.Get("/ping");
        EXPECT_TRUE(res && res->status == 200);
    }
    for (size_t i = 0; i < slow.size(); ++i)
        EXPECT_TRUE(slow[i].get()) << "slow answer " << i << " was cut off";
}

TEST_F(GuardedServerTest, AFreshConnectionOutlivesKeptAliveOnesWhenRoomIsShort)
{
    // Room for two waiting connections and three clients fetching in a loop on
    // kept-alive connections, which go back to waiting after every answer and so
    // always look young. A new connection whose request takes a moment to come
    // (a key press) must not be the one dropped to make room.
    start(2, 8);
    std::atomic<bool> stop{false};
    std::vector<std::thread> looping;
    for (int i = 0; i < 3; ++i)
        looping.emplace_back([&] {
            httplib::Client c = client(5);
            c.set_keep_alive(true);
            while (!stop)
                c.Get("/ping"); // a dropped connection is opened again on the next request
        });
    std::this_thread::sleep_for(100ms);
    int answered = 0;
    for (int i = 0; i < 10; ++i) {
        int fd = openRaw(port, "");
        ASSERT_GE(fd, 0);
        std::this_thread::sleep_for(50ms);
        const std::string get = "GET /ping HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
        send(fd, get.data(), get.size(), MSG_NOSIGNAL);
        if (readUntil(fd, "pong").find("pong") != std::string::npos)
            ++answered;
        close(fd);
    }
    stop = true;
    for (std::thread& t : looping)
        t.join();
    EXPECT_EQ(answered, 10);
}

} // namespace
