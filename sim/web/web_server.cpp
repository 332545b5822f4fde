#include "sim/web/web_server.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "sim/common/line_channel.h"
#include "sim/web/base64.h"
#include "sim/web/station_feed.h"
#include "sim/web/web_access.h"

namespace sim::web {
namespace {

constexpr int kChannelTimeoutMs = 5000;
// A connection holds a thread while it lasts: the event streams (at most
// StationFeed::kMostWatchers) and the browsers' kept-alive connections must
// leave threads free for the key presses.
constexpr size_t kServerThreads = 16;

std::string event(const char* name, const std::string& data) {
    return std::string("event: ") + name + "\ndata: " + data + "\n\n";
}

// One command line from the page to a channel; the channel's answer back,
// 400 for an "error" answer, 502 when the channel does not answer.
void forward(const std::string& socketPath, const httplib::Request& request, httplib::Response& response,
             bool (*allowed)(const std::string&)) {
    if (!allowed(request.body)) {
        response.status = 403;
        response.set_content("error not a command this page sends\n", "text/plain");
        return;
    }
    ChannelAnswer answer = askChannel(socketPath, request.body, kChannelTimeoutMs);
    response.status = !answer.reached ? 502 : answer.text.starts_with("ok") ? 200 : 400;
    response.set_content(answer.text + "\n", "text/plain");
}

void streamEvents(StationFeed& feed, httplib::Response& response) {
    const uint64_t watcher = feed.watch();
    response.set_header("Cache-Control", "no-store");
    response.set_chunked_content_provider(
        "text/event-stream",
        [&feed, watcher, seen = FeedSeen{}](size_t, httplib::DataSink& sink) mutable {
            std::optional<FeedUpdate> update = feed.next(watcher, seen);
            if (!update) {
                sink.done();
                return true;
            }
            std::string text;
            if (update->frame.number != seen.frame) text += event("frame", base64(update->frame.text));
            if (update->state.number != seen.state) text += event("state", update->state.text);
            if (update->radio.number != seen.radio) text += event("radio", update->radio.text);
            seen = {update->frame.number, update->state.number, update->radio.number};
            return sink.write(text.data(), text.size());
        },
        [&feed, watcher](bool) { feed.unwatch(watcher); });
}

// Only SO_REUSEADDR: the library's default would also set SO_REUSEPORT, and
// then a second server on the same port shares its requests with the first.
void reuseAddressOnly(socket_t socket) {
    const int on = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
}

// Why the port cannot be had, by trying it the same way.
std::string bindFailure(const std::string& address, int port) {
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0) return std::strerror(errno);
    reuseAddressOnly(probe);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, address.c_str(), &where.sin_addr);
    const bool bound = ::bind(probe, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0;
    const std::string reason = bound ? "refused by the web library" : std::strerror(errno);
    ::close(probe);
    return reason;
}

// This computer's IPv4 addresses: the names a page may use when the server listens on all of them.
std::vector<std::string> machineAddresses() {
    std::vector<std::string> addresses;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return addresses;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr, text,
                  sizeof text);
        addresses.emplace_back(text);
    }
    freeifaddrs(list);
    return addresses;
}

}  // namespace

int serveStation(const WebOptions& options) {
    // SIGINT and SIGTERM are taken by a thread of their own that stops the server.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGINT);
    sigaddset(&endSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);

    StationFeed feed({options.root + "/run/panel.sock", options.root + "/run/amp-emulator.sock",
                      options.root + "/run/qor-emulator.sock", options.root + "/tmp/web-frame.png"});
    httplib::Server server;
    server.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    server.set_socket_options(reuseAddressOnly);
    ServedAt served = servedAt(options.listen, options.port, machineAddresses());
    server.set_pre_routing_handler([&served](const httplib::Request& request, httplib::Response& response) {
        RequestOrigin origin{request.remote_addr, request.get_header_value("Host"),
                             request.get_header_value("Origin")};
        if (requestAllowed(origin, served)) return httplib::Server::HandlerResponse::Unhandled;
        response.status = 403;
        response.set_content("This page serves this computer only.\n", "text/plain");
        return httplib::Server::HandlerResponse::Handled;
    });
    if (!server.set_mount_point("/", options.pageDir)) {
        std::fprintf(stderr, "brisel-sim-web: no page files in %s\n", options.pageDir.c_str());
        return 1;
    }
    server.Get("/events", [&feed](const httplib::Request&, httplib::Response& response) {
        streamEvents(feed, response);
    });
    // The unit's own remote page, served by the station on its remote port.
    server.Get("/remote", [&options](const httplib::Request& request, httplib::Response& response) {
        std::ifstream setup(options.root + "/opt/set/setup.txt");
        const std::string text((std::istreambuf_iterator<char>(setup)), std::istreambuf_iterator<char>());
        response.set_redirect(remotePageAddress(request.get_header_value("Host"), text));
    });
    server.Post("/panel", [&options](const httplib::Request& request, httplib::Response& response) {
        forward(options.root + "/run/panel.sock", request, response, panelCommandAllowed);
    });
    server.Post("/emulator", [&options](const httplib::Request& request, httplib::Response& response) {
        forward(options.root + "/run/amp-emulator.sock", request, response, emulatorCommandAllowed);
    });
    server.Post("/radio", [&options](const httplib::Request& request, httplib::Response& response) {
        forward(options.root + "/run/qor-emulator.sock", request, response, radioCommandAllowed);
    });

    const bool bound = served.port == 0 ? (served.port = server.bind_to_any_port(options.listen)) > 0
                                        : server.bind_to_port(options.listen, served.port);
    if (!bound) {
        std::fprintf(stderr, "brisel-sim-web: cannot listen on %s:%d: %s\n", options.listen.c_str(),
                     options.port, bindFailure(options.listen, options.port).c_str());
        return 1;
    }
    if (served.otherComputers)
        std::fprintf(
            stderr,
            "brisel-sim-web: listening on %s:%d: other computers that reach this address can see and "
            "operate the station, without a password\n",
            options.listen.c_str(), served.port);
    std::thread signals([&] {
        int signal = 0;
        sigwait(&endSignals, &signal);
        feed.stop();
        server.stop();
    });
    // Every address includes loopback, which this computer's browser reaches.
    const std::string shown = options.listen == "0.0.0.0" ? kLoopback : options.listen;
    std::printf("brisel-sim-web ready http://%s:%d/\n", shown.c_str(), served.port);
    std::fflush(stdout);
    const bool listened = server.listen_after_bind();
    // Ends the signal thread too when the server stopped for another reason.
    pthread_kill(signals.native_handle(), SIGTERM);
    signals.join();
    return listened ? 0 : 1;
}

}  // namespace sim::web
