#pragma once
// The notification-area view both back-ends show: a sunken strip of 16×16 icons in the classic colours.

#include <cstddef>
#include <vector>

#include "platform/display/Display.h"

namespace xj::display {

SIZE TrayStripSize(size_t count);  // 0 × 0 for no icons
// Bottom-right: centred in the band below the work area when `useTaskbarBand` and the band is high
// enough, otherwise inside the work area's bottom-right corner. Screen coordinates.
RECT TrayStripPlace(SIZE screen, const RECT& work, size_t count, bool useTaskbarBand);
// The icon's 16×16 square inside a strip at `strip`.
RECT TrayIconRectIn(const RECT& strip, size_t index);
int TrayIconIndexAt(const RECT& strip, size_t count, POINT pt);  // -1 when on no icon
// The icon's picture at w × h, 0xAARRGGBB: each target pixel averages the source pixels it covers,
// weighted by their alpha (so transparent pixels lend no colour); growing repeats pixels.
Image ScaleTrayPicture(const Image& picture, int w, int h);
// The picture in a w × h place: as large as fits in its own proportions, centred, the rest transparent.
Image FitTrayPicture(const Image& picture, int w, int h);
// Paints the strip with its top-left corner at `origin` of `target` (clipped).
void PaintTrayStrip(Image& target, POINT origin, const std::vector<TrayIcon>& icons);

}  // namespace xj::display
