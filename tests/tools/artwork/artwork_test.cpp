// The editor's bitmaps: sizes and frame layouts the controls rely on, how
// each picture blends over the body, and that every frame shows its value.
#include "tools/artwork/artwork.h"
#include "tools/artwork/background.h"
#include "tools/artwork/canvas.h"
#include "tools/artwork/composite.h"
#include "tools/artwork/controls.h"
#include "tools/artwork/knob.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

using namespace sorvelt::artwork;

namespace
{

constexpr double kPi = 3.14159265358979323846;

class Artwork : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        fonts_ = Fonts::load(SORVELT_FONT_REGULAR, SORVELT_FONT_BOLD, error).release();
        ASSERT_NE(fonts_, nullptr) << error;
        for (RenderedBitmap& b : renderBitmaps(*fonts_))
            images_[b.layout->resource] = toImage(b.surface.get());
    }
    static void TearDownTestSuite()
    {
        images_.clear();
        delete fonts_;
        fonts_ = nullptr;
    }

    static const Image& image(int resource) { return images_.at(resource); }

    /// One frame of a strip as its own image.
    static Image frame(const Image& strip, int height, int k)
    {
        Image f;
        f.width = strip.width;
        f.height = height;
        const size_t rowBytes = static_cast<size_t>(strip.width) * 4;
        f.rgba.assign(strip.rgba.begin() + static_cast<std::ptrdiff_t>(rowBytes * height * k),
                      strip.rgba.begin() + static_cast<std::ptrdiff_t>(rowBytes * height * (k + 1)));
        return f;
    }

    static Fonts* fonts_;
    static std::map<int, Image> images_;
};

Fonts* Artwork::fonts_ = nullptr;
std::map<int, Image> Artwork::images_;

bool isAccent(const std::uint8_t* p)
{
    return p[3] > 150 && p[0] > 200 && p[1] > 110 && p[1] < 200 && p[2] < 120;
}
bool isPointer(const std::uint8_t* p)
{
    return p[3] > 200 && p[0] > 215 && p[1] > 215 && p[2] > 215;
}

/// Direction of the pointer's ink from the frame centre, in degrees
/// counter-clockwise from 3 o'clock; NaN without pointer pixels.
double pointerDegrees(const Image& f)
{
    const double c = f.width / 2.0;
    double sx = 0, sy = 0;
    int n = 0;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x)
        {
            const double dx = x + 0.5 - c, dy = y + 0.5 - c;
            // Only the cap: the ring's centre marks are light too.
            if (std::hypot(dx, dy) < c - 8.0 && isPointer(f.pixel(x, y)))
            {
                sx += dx;
                sy += dy;
                ++n;
            }
        }
    if (n == 0) return std::numeric_limits<double>::quiet_NaN();
    return std::atan2(-sy, sx) * 180.0 / kPi;
}

double angleDifference(double a, double b)
{
    double d = std::fmod(a - b, 360.0);
    if (d > 180.0) d -= 360.0;
    if (d < -180.0) d += 360.0;
    return std::fabs(d);
}

int countAccent(const Image& f)
{
    int n = 0;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            n += isAccent(f.pixel(x, y));
    return n;
}

} // namespace

TEST_F(Artwork, BitmapsHaveTheSizesAndFrameCountsTheEditorLoads)
{
    struct Expected
    {
        int resource, width, height, frameHeight, frames;
    };
    const Expected table[] = {
        {128, 420, 200, 200, 1},  {129, 45, 16245, 45, 361}, {130, 45, 8145, 45, 181},
        {131, 50, 9050, 50, 181}, {132, 50, 5050, 50, 101},  {133, 60, 180, 60, 3},
        {134, 40, 24, 24, 1},
    };
    std::string error;
    auto fonts = Fonts::load(SORVELT_FONT_REGULAR, SORVELT_FONT_BOLD, error);
    ASSERT_TRUE(fonts) << error;
    const auto bitmaps = renderBitmaps(*fonts);
    ASSERT_EQ(bitmaps.size(), std::size(table));
    for (size_t i = 0; i < bitmaps.size(); ++i)
    {
        SCOPED_TRACE(table[i].resource);
        EXPECT_EQ(bitmaps[i].layout->resource, table[i].resource);
        EXPECT_EQ(bitmaps[i].layout->frames, table[i].frames);
        EXPECT_EQ(bitmaps[i].layout->frameHeight, table[i].frameHeight);
        EXPECT_EQ(cairo_image_surface_get_width(bitmaps[i].surface.get()), table[i].width);
        EXPECT_EQ(cairo_image_surface_get_height(bitmaps[i].surface.get()), table[i].height);
    }
    EXPECT_EQ(bitmapFileName(128), "bmp00128.png");
    EXPECT_EQ(bitmapFileName(134), "bmp00134.png");
}

TEST_F(Artwork, BackgroundIsOpaqueEverywhere)
{
    const Image& bg = image(128);
    int seeThrough = 0;
    for (int y = 0; y < bg.height; ++y)
        for (int x = 0; x < bg.width; ++x)
            seeThrough += bg.pixel(x, y)[3] != 255;
    EXPECT_EQ(seeThrough, 0);
}

TEST_F(Artwork, StripFramesLeaveTheBodyVisibleAroundThem)
{
    // Every strip frame is blended over the background, so anything it paints
    // in its corners would show as a box around the round control.
    struct Strip
    {
        int resource, size, frames;
    };
    for (const Strip s : {Strip{129, 45, 361}, Strip{130, 45, 181}, Strip{131, 50, 181}, Strip{132, 50, 101}})
    {
        const Image& strip = image(s.resource);
        for (int k = 0; k < s.frames; ++k)
        {
            const int top = k * s.size, last = s.size - 1;
            for (const auto& [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}})
                ASSERT_EQ(strip.pixel(x, top + y)[3], 0) << "strip " << s.resource << " frame " << k;
        }
    }
    const Image& plate = image(134);
    EXPECT_EQ(plate.pixel(0, 0)[3], 0);
    EXPECT_EQ(plate.pixel(39, 23)[3], 0);
    EXPECT_EQ(plate.pixel(20, 12)[3], 255);
}

TEST_F(Artwork, EachKnobFrameShowsItsValue)
{
    // Frame k of N shows value k / (N - 1). The knobs turn as the control does:
    // from 225 degrees (7:30) clockwise by 270 to -45 (4:30); the azimuth knob
    // is a compass with front up and positive azimuth (low values) to the left.
    struct Case
    {
        int resource, size, frame;
        double degrees;
    };
    const Case cases[] = {
        {129, 45, 180, 90.0},  // 0 degrees azimuth: front
        {129, 45, 90, 180.0},  // +90: left
        {129, 45, 270, 0.0},   // -90: right
        {129, 45, 0, 270.0},   // +180: behind
        {129, 45, 360, 270.0}, // -180: behind
        {129, 45, 135, 135.0}, // +45: front left
        {130, 45, 0, 225.0},   {130, 45, 90, 90.0},  {130, 45, 180, -45.0},
        {131, 50, 0, 225.0},   {131, 50, 45, 157.5}, {131, 50, 180, -45.0},
        {132, 50, 0, 225.0},   {132, 50, 50, 90.0},  {132, 50, 100, -45.0},
    };
    for (const Case& c : cases)
    {
        const double seen = pointerDegrees(frame(image(c.resource), c.size, c.frame));
        EXPECT_LT(angleDifference(seen, c.degrees), 6.0)
            << "strip " << c.resource << " frame " << c.frame << " points at " << seen;
    }
}

TEST_F(Artwork, LitArcGrowsFromTheKnobsOrigin)
{
    // Width and gain light up from their minimum; elevation and azimuth from
    // their centre (level, front), so those are dark at 0.5.
    struct Case
    {
        int resource, size, frame;
        bool lit;
    };
    const Case cases[] = {
        {131, 50, 0, false},  {131, 50, 180, true}, {132, 50, 0, false},  {132, 50, 100, true},
        {130, 45, 90, false}, {130, 45, 0, true},   {130, 45, 180, true}, {129, 45, 180, false},
        {129, 45, 0, true},   {129, 45, 360, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(countAccent(frame(image(c.resource), c.size, c.frame)) > 20, c.lit)
            << "strip " << c.resource << " frame " << c.frame;

    // The arc is longer the further the value is from the origin.
    const Image& gain = image(132);
    int previous = -1;
    for (int k = 0; k <= 100; k += 10)
    {
        const int lit = countAccent(frame(gain, 50, k));
        EXPECT_GT(lit, previous) << "gain frame " << k;
        previous = lit;
    }
}

TEST_F(Artwork, SwitchMarksOnlyTheRowThatSelectsItsPosition)
{
    // The switch picks its position from thirds of its 60 pixels, first on
    // top, and shows picture k for position k: the lit lamp and the lever's
    // accent must sit in that third and nowhere else.
    const Image& strip = image(133);
    for (int position = 0; position < 3; ++position)
    {
        const Image f = frame(strip, 60, position);
        int inside = 0, outside = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 60; ++x)
                if (isAccent(f.pixel(x, y))) (y / 20 == position ? inside : outside) += 1;
        EXPECT_GT(inside, 10) << "position " << position;
        EXPECT_EQ(outside, 0) << "position " << position;
    }
}

TEST_F(Artwork, ReadoutPlateKeepsBlackTextLegible)
{
    // The editor prints the read-outs in black: the plate must give it at
    // least the 7:1 contrast of good practice for small text.
    const auto luminance = [](const std::uint8_t* p)
    {
        const auto linear = [](double c)
        {
            c /= 255.0;
            return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(p[0]) + 0.7152 * linear(p[1]) + 0.0722 * linear(p[2]);
    };
    const Image& plate = image(134);
    for (int y = 4; y < 20; ++y)
        for (int x = 4; x < 36; ++x)
        {
            const double contrast = (luminance(plate.pixel(x, y)) + 0.05) / 0.05;
            ASSERT_GE(contrast, 7.0) << "at " << x << "," << y;
        }
}

TEST_F(Artwork, PrintedLabelsStayClearOfTheControls)
{
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(scratch);
    std::map<std::string, Rect> boxes;
    for (const TextItem& item : backgroundTexts())
    {
        const Rect box = measureText(cr, *fonts_, item);
        SCOPED_TRACE(item.text);
        EXPECT_GE(box.left, 0);
        EXPECT_GE(box.top, 0);
        EXPECT_LE(box.right, kEditorWidth);
        EXPECT_LE(box.bottom, kEditorHeight);
        for (const Rect& control : kControlRects)
            EXPECT_FALSE(box.intersects(control))
                << "box " << box.left << "," << box.top << "," << box.right << "," << box.bottom;
        for (const auto& [other, otherBox] : boxes)
            EXPECT_FALSE(box.intersects(otherBox)) << "overlaps " << other;
        boxes[item.text] = box;
    }
    cairo_destroy(cr);
    cairo_surface_destroy(scratch);

    // The format names sit beside the switch, each in the row that selects it.
    const std::pair<const char*, int> rows[] = {{"Mono", 0}, {"Stereo", 1}, {"B-Format", 2}};
    for (const auto& [name, row] : rows)
    {
        ASSERT_TRUE(boxes.count(name)) << name;
        const Rect& b = boxes[name];
        EXPECT_GE(b.left, kInputSwitch.right) << name;
        EXPECT_GE(b.top, kInputSwitch.top + 20 * row) << name;
        EXPECT_LE(b.bottom, kInputSwitch.top + 20 * (row + 1)) << name;
    }
    // Each parameter name is centred under its read-out.
    const std::pair<const char*, Rect> under[] = {{"Width", kWidthDisplay},
                                                  {"Azimuth", kAzimuthDisplay},
                                                  {"Elevation", kElevationDisplay},
                                                  {"Gain", kGainDisplay}};
    for (const auto& [name, display] : under)
    {
        ASSERT_TRUE(boxes.count(name)) << name;
        const Rect& b = boxes[name];
        EXPECT_GE(b.top, display.bottom) << name;
        EXPECT_LE(b.top, display.bottom + 10) << name;
        EXPECT_NEAR((b.left + b.right) / 2.0, (display.left + display.right) / 2.0, 1.5) << name;
    }
}

TEST(ArtworkLayout, FramesAreChosenAsTheControlsChooseThem)
{
    struct KnobCase
    {
        const BitmapLayout* strip;
        float value;
        int frame;
    };
    const KnobCase knobs[] = {
        {&kAzimuthStrip, 0.0f, 0},          {&kAzimuthStrip, 0.5f, 180}, {&kAzimuthStrip, 0.999f, 359},
        {&kAzimuthStrip, 1.0f, 360},        {&kGainStrip, 0.5f, 50},     {&kAzimuthStrip, -0.2f, 0},
        {&kAzimuthStrip, std::nanf(""), 0}, {&kGainStrip, 1.7f, 100},
    };
    for (const KnobCase& c : knobs)
        EXPECT_EQ(animKnobFrame(c.value, *c.strip), c.frame) << c.value;

    const std::pair<float, int> switches[] = {{0.f, 0},  {0.24f, 0}, {0.25f, 1},
                                              {0.7f, 1}, {0.8f, 2},  {1.f, 2}};
    for (const auto& [value, picture] : switches)
        EXPECT_EQ(switchPicture(value), picture) << value;
}

TEST(ArtworkPng, EncodingKeepsStraightPixelsAndRepeatsItsBytes)
{
    Surface s = makeSurface(7, 5);
    Context cr = makeContext(s);
    cairo_set_source_rgba(cr.get(), 0.9, 0.4, 0.1, 0.5);
    cairo_rectangle(cr.get(), 1, 1, 3, 2);
    cairo_fill(cr.get());
    cairo_set_source_rgba(cr.get(), 0.2, 0.6, 1.0, 1.0);
    cairo_rectangle(cr.get(), 4, 3, 3, 2);
    cairo_fill(cr.get());

    std::string error;
    const auto first = encodePng(s.get(), error);
    const auto second = encodePng(s.get(), error);
    ASSERT_TRUE(first && second) << error;
    EXPECT_EQ(*first, *second);

    const auto decoded = decodePng(*first, error);
    ASSERT_TRUE(decoded) << error;
    const Image straight = toImage(s.get());
    EXPECT_EQ(decoded->width, 7);
    EXPECT_EQ(decoded->height, 5);
    EXPECT_EQ(decoded->rgba, straight.rgba);
    // Half-covered orange keeps its colour, not the darker premultiplied one.
    const std::uint8_t* p = decoded->pixel(2, 1);
    EXPECT_NEAR(p[0], 230, 2);
    EXPECT_NEAR(p[1], 102, 2);
    EXPECT_NEAR(p[3], 128, 1);
    EXPECT_EQ(decoded->pixel(0, 0)[3], 0);
    EXPECT_EQ(decoded->pixel(6, 4)[3], 255);

    // Going back to a surface for compositing gives the pixels we started from.
    const Surface again = toSurface(*decoded);
    EXPECT_EQ(toImage(again.get()).rgba, straight.rgba);
}

TEST(ArtworkPng, DamagedBytesAreRefusedWithAReason)
{
    Surface s = makeSurface(4, 4);
    std::string error;
    const auto good = encodePng(s.get(), error);
    ASSERT_TRUE(good);
    const std::vector<std::vector<std::uint8_t>> damaged = {
        {},
        {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'},
        std::vector<std::uint8_t>(good->begin(),
                                  good->begin() + static_cast<std::ptrdiff_t>(good->size() / 2)),
    };
    for (const auto& bytes : damaged)
    {
        error.clear();
        EXPECT_FALSE(decodePng(bytes, error)) << bytes.size();
        EXPECT_FALSE(error.empty()) << bytes.size();
    }
}

TEST(ArtworkFonts, MissingFontFileIsReported)
{
    std::string error;
    EXPECT_EQ(Fonts::load("/nonexistent/Font.ttf", SORVELT_FONT_BOLD, error), nullptr);
    EXPECT_NE(error.find("/nonexistent/Font.ttf"), std::string::npos) << error;
}
