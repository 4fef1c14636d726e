#pragma once

namespace tarnix::platform {

// Sizes and positions are kept in twips (1/1440 inch) and turned into pixels
// once, here, at the screen's logical resolution.
inline constexpr double TwipsPerInch = 1440.0;

constexpr int twipsToPixels(double twips, double dotsPerInch) {
    const double pixels = twips * dotsPerInch / TwipsPerInch;
    return int(pixels < 0 ? pixels - 0.5 : pixels + 0.5);
}

constexpr double pixelsToTwips(double pixels, double dotsPerInch) {
    return pixels * TwipsPerInch / dotsPerInch;
}

} // namespace tarnix::platform
