// brisel-sim-web: the simulated station in a web browser.
#include <cstdio>
#include <string>
#include <vector>

#include "sim/web/web_options.h"
#include "sim/web/web_server.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        std::fputs(sim::web::kWebUsage, stdout);
        return 0;
    }
    std::string error;
    std::optional<sim::web::WebOptions> options =
        sim::web::parseWebOptions(arguments, BRISEL_WEB_PAGE_DIR, error);
    if (!options) {
        std::fprintf(stderr, "brisel-sim-web: %s\n%s", error.c_str(), sim::web::kWebUsage);
        return 2;
    }
    return sim::web::serveStation(*options);
}
