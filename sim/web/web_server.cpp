#include "web/web_server.h"

#include <httplib.h>
#include <signal.h>

#include <cstdio>
#include <thread>

#include "web/base64.h"
#include "web/line_channel.h"
#include "web/station_feed.h"
#include "web/web_access.h"

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
        [&feed, watcher, seenFrame = uint64_t{0}, seenState = uint64_t{0}](size_t,
                                                                           httplib::DataSink& sink) mutable {
            std::optional<FeedUpdate> update = feed.next(watcher, seenFrame, seenState);
            if (!update) {
                sink.done();
                return true;
            }
            std::string text;
            if (update->frameNumber != seenFrame) text += event("frame", base64(update->framePng));
            if (update->stateNumber != seenState) text += event("state", update->state);
            seenFrame = update->frameNumber;
            seenState = update->stateNumber;
            return sink.write(text.data(), text.size());
        },
        [&feed, watcher](bool) { feed.unwatch(watcher); });
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
                      options.root + "/tmp/web-frame.png"});
    httplib::Server server;
    server.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    int port = options.port;
    server.set_pre_routing_handler([&port](const httplib::Request& request, httplib::Response& response) {
        RequestOrigin origin{request.remote_addr, request.get_header_value("Host"),
                             request.get_header_value("Origin")};
        if (fromThisComputer(origin, port)) return httplib::Server::HandlerResponse::Unhandled;
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
    server.Post("/panel", [&options](const httplib::Request& request, httplib::Response& response) {
        forward(options.root + "/run/panel.sock", request, response, panelCommandAllowed);
    });
    server.Post("/emulator", [&options](const httplib::Request& request, httplib::Response& response) {
        forward(options.root + "/run/amp-emulator.sock", request, response, emulatorCommandAllowed);
    });
    server.Post("/radio", [&options](const httplib::Request& request, httplib::Response& response) {
        forward(options.root + "/run/qor-emulator.sock", request, response, radioCommandAllowed);
    });

    const bool bound = port == 0 ? (port = server.bind_to_any_port("127.0.0.1")) > 0
                                 : server.bind_to_port("127.0.0.1", port);
    if (!bound) {
        std::fprintf(stderr, "brisel-sim-web: cannot listen on 127.0.0.1:%d\n", options.port);
        return 1;
    }
    std::thread signals([&] {
        int signal = 0;
        sigwait(&endSignals, &signal);
        feed.stop();
        server.stop();
    });
    std::printf("brisel-sim-web ready http://127.0.0.1:%d/\n", port);
    std::fflush(stdout);
    const bool served = server.listen_after_bind();
    // Ends the signal thread too when the server stopped for another reason.
    pthread_kill(signals.native_handle(), SIGTERM);
    signals.join();
    return served ? 0 : 1;
}

}  // namespace sim::web
