#pragma once
// printf-style formatting into a string, for the texts the screens draw.
#include <string>

namespace ui {

__attribute__((format(printf, 1, 2))) std::string printed(const char* format, ...);

}  // namespace ui
