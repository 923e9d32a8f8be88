// Where the editor puts its controls and how its bitmaps are cut into frames.
// The artwork is drawn to fit these numbers exactly; the editor relies on them.
#pragma once

#include <array>

namespace sorvelt::artwork
{

/// A pixel rectangle, right and bottom exclusive, as the toolkit's CRect.
struct Rect
{
    int left, top, right, bottom;
    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr bool intersects(const Rect& o) const
    {
        return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
};

constexpr int kEditorWidth = 420;
constexpr int kEditorHeight = 200;

constexpr Rect kAzimuthKnob{196, 51, 241, 96};
constexpr Rect kElevationKnob{261, 51, 306, 96};
constexpr Rect kWidthKnob{112, 49, 162, 99};
constexpr Rect kGainKnob{347, 49, 397, 99};
constexpr Rect kInputSwitch{3, 72, 63, 132};
constexpr Rect kAzimuthDisplay{199, 103, 239, 127};
constexpr Rect kElevationDisplay{264, 103, 304, 127};
constexpr Rect kWidthDisplay{117, 103, 157, 127};
constexpr Rect kGainDisplay{352, 103, 392, 127};

constexpr std::array<Rect, 9> kControlRects{kAzimuthKnob,      kElevationKnob, kWidthKnob,
                                            kGainKnob,         kInputSwitch,   kAzimuthDisplay,
                                            kElevationDisplay, kWidthDisplay,  kGainDisplay};

/// One bitmap: its resource number and its frames, stacked top to bottom.
struct BitmapLayout
{
    int resource;
    int frameWidth;
    int frameHeight;
    int frames;
    constexpr int height() const { return frameHeight * frames; }
};

constexpr BitmapLayout kBackgroundBitmap{128, kEditorWidth, kEditorHeight, 1};
constexpr BitmapLayout kAzimuthStrip{129, 45, 45, 361};
constexpr BitmapLayout kElevationStrip{130, 45, 45, 181};
constexpr BitmapLayout kWidthStrip{131, 50, 50, 181};
constexpr BitmapLayout kGainStrip{132, 50, 50, 101};
constexpr BitmapLayout kSwitchStrip{133, 60, 60, 3};
constexpr BitmapLayout kDisplayBitmap{134, 40, 24, 1};

/// The switch's positions; the strip holds one picture per position, first on top.
constexpr int kSwitchPositions = 3;

/// The strip frame an animated knob shows for a value: the whole part of
/// value x (frames - 1), so only a value of exactly 1 reaches the last frame.
int animKnobFrame(float value, const BitmapLayout& strip);

/// The picture the vertical switch shows for a value: the nearest position.
int switchPicture(float value);

} // namespace sorvelt::artwork
