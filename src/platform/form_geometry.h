// Where a form's controls land in pixels at a given DPI: the one rule both the window and its
// tests use.
#pragma once

#include <vector>

#include "platform/forms.h"

namespace brellix::platform {

struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Overlaps(const PixelRect& other) const {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
    bool Contains(const PixelRect& other) const {
        return left <= other.left && top <= other.top && other.right <= right && other.bottom <= bottom;
    }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

inline constexpr int kTwipsPerInch = 1440;

// Twips to pixels, to the nearest pixel (halves up). A control's position and its size are each
// converted, so that controls of equal size stay equal wherever they sit.
int TwipsToPixels(int twips, int dpi);

// The em height of a font in pixels (the height CreateFont takes, as a negative number).
int FontPixelHeight(float points, int dpi);

// The height of one row of a check-box list: the font's em plus two pixels per 96 DPI, so that
// the rows follow the font's size rather than a substitute face's leading.
int CheckListRowHeight(float points, int dpi);

struct ControlPlacement {
    int id = 0;
    PixelRect rect;     // in the client area
    int rowHeight = 0;  // check-box lists only
};

struct FormGeometry {
    int clientWidth = 0, clientHeight = 0;
    std::vector<ControlPlacement> controls;  // the controls that have a place, in the form's order
    const ControlPlacement* Find(int id) const;
};

// Every control with a place on the form (not timers, not menus) at the design rectangle.
FormGeometry LayoutForm(const FormSpec& form, int dpi);

// True for the kinds of control that own a window and draw over the form's surface.
bool HasPlaceOnForm(ControlType type);

}  // namespace brellix::platform
