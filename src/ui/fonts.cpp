#include "ui/fonts.h"

#include "core/works.h"
#include "platform/platform.h"
#include "ui/text.h"

namespace ui {
namespace {

constexpr const char* kBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr const char* kRegular = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kOblique = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Oblique.ttf";

struct Face {
    int slot;
    const char* path;
    int pixelSize;
};

const Face kFaces[] = {
    {0, kBold, 24},
    {1, kRegular, 22},
    {2, "/opt/fonts/PTS55F_W.ttf", 22},
    {4, "/opt/fonts/PTS75F_W.ttf", 24},
    {5, kRegular, 8},
    {6, kRegular, 14},
    {7, kOblique, 24},
    {8, kRegular, 20},
    {9, kRegular, 30},
    {10, kRegular, 18},
    {11, kBold, 21},
};

}  // namespace

void loadFonts(core::Works& works) {
    for (const Face& face : kFaces)
        TTFLoad(works.platform->root().resolve(face.path), face.pixelSize, face.slot);
}

}  // namespace ui
