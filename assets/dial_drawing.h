#pragma once
// Draws a dial scale: the arc the needle tip runs along, the red zone, the
// ticks and their numbers.
#include <string_view>

#include "dial_scales.h"
#include "image_canvas.h"
#include "image_text.h"

namespace images {

// unit, when not empty, is printed inside the arc above the pivot.
void drawDial(Canvas& canvas, Typesetter& typesetter, const DialScale& dial, std::string_view unit);

}  // namespace images
