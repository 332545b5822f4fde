#include <ctime>

#include "core/works.h"
#include "ui/main_loop.h"

namespace ui {

void ReadDataOra(core::Works& works, std::time_t now) {
    if (works.clockSecond.exchange(now) == now) return;
    std::tm local{};
    localtime_r(&now, &local);
    char text[80];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    works.clockText.set(text);
}

}  // namespace ui
