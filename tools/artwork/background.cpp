// The background is the only opaque bitmap: every other picture is blended
// over it, so it alone decides the body colour behind every control.
#include "tools/artwork/background.h"

#include <cmath>

namespace sorvelt::artwork
{

namespace
{

constexpr double kPi = 3.14159265358979323846;
constexpr double kTitleBarHeight = 34.0;
constexpr double kFooterTop = 176.0;
constexpr double kLabelBaseline = 141.0;
constexpr double kCaptionBaseline = 160.0;
// The three control groups, between the grooved separators.
constexpr double kSeparatorLeft = 108.0, kSeparatorRight = 326.0;
constexpr Rect kInputGroup{6, 44, 102, 166};
constexpr Rect kSourceGroup{114, 44, 320, 166};
constexpr Rect kOutputGroup{332, 44, 412, 166};

double centreX(const Rect& r)
{
    return (r.left + r.right) / 2.0;
}

std::vector<TextItem> makeTexts()
{
    using namespace palette;
    const auto rowBaseline = [](int position)
    {
        // Vertically centred on the switch row that selects the position.
        return kInputSwitch.top + 10.0 + 20.0 * position + 3.5;
    };
    const double compassBaseline = (kAzimuthKnob.top + kAzimuthKnob.bottom) / 2.0 + 3.0;
    return {
        {"Sorvelt", true, 19.0, 0.0, 12.0, 24.0, Align::Left, kTitleText},
        {"UHJ ENCODER", false, 9.0, 1.6, 96.0, 23.0, Align::Left, kAccent},
        {"Mono", false, 9.5, 0.0, 65.0, rowBaseline(0), Align::Left, kLabelText},
        {"Stereo", false, 9.5, 0.0, 65.0, rowBaseline(1), Align::Left, kLabelText},
        {"B-Format", false, 9.5, 0.0, 65.0, rowBaseline(2), Align::Left, kLabelText},
        {"Width", false, 11.0, 0.0, centreX(kWidthDisplay), kLabelBaseline, Align::Centre, kLabelText},
        {"Azimuth", false, 11.0, 0.0, centreX(kAzimuthDisplay), kLabelBaseline, Align::Centre, kLabelText},
        {"Elevation", false, 11.0, 0.0, centreX(kElevationDisplay), kLabelBaseline, Align::Centre,
         kLabelText},
        {"Gain", false, 11.0, 0.0, centreX(kGainDisplay), kLabelBaseline, Align::Centre, kLabelText},
        // Beside the azimuth compass: the listener's left and right.
        {"L", true, 8.0, 0.0, kAzimuthKnob.left - 2.0, compassBaseline, Align::Right, kQuietText},
        {"R", true, 8.0, 0.0, kAzimuthKnob.right + 2.0, compassBaseline, Align::Left, kQuietText},
        // Group captions, one row under the labels.
        {"INPUT", true, 8.0, 1.4, centreX(kInputGroup), kCaptionBaseline, Align::Centre, kQuietText},
        {"SOURCE", true, 8.0, 1.4, centreX(kSourceGroup), kCaptionBaseline, Align::Centre, kQuietText},
        {"OUTPUT", true, 8.0, 1.4, centreX(kOutputGroup), kCaptionBaseline, Align::Centre, kQuietText},
        {"MONO \xc2\xb7 STEREO \xc2\xb7 B-FORMAT  \xe2\x86\x92  UHJ  L \xc2\xb7 R \xc2\xb7 T \xc2\xb7 Q",
         false, 7.5, 0.9, 12.0, 191.0, Align::Left, kQuietText},
        {"VST 2.4", false, 7.5, 0.9, 408.0, 191.0, Align::Right, kQuietText},
    };
}

/// Advance of the text with its tracking, and the offset of its first ink.
double advance(cairo_t* cr, const TextItem& item)
{
    cairo_text_extents_t e;
    cairo_text_extents(cr, item.text.c_str(), &e);
    if (item.tracking == 0.0) return e.x_advance;
    double total = 0.0;
    // Tracking goes between characters, counted per UTF-8 sequence.
    int characters = 0;
    for (unsigned char ch : item.text)
        if ((ch & 0xc0) != 0x80) ++characters;
    total = e.x_advance + item.tracking * (characters - 1);
    return total;
}

double startX(cairo_t* cr, const TextItem& item)
{
    const double width = advance(cr, item);
    switch (item.align)
    {
    case Align::Left:
        return item.x;
    case Align::Centre:
        return std::round(item.x - width / 2.0);
    case Align::Right:
        return std::round(item.x - width);
    }
    return item.x;
}

/// Calls `each` with every character and its pen position.
template <typename Each> void forEachCharacter(cairo_t* cr, const TextItem& item, Each each)
{
    double x = startX(cr, item);
    if (item.tracking == 0.0)
    {
        each(item.text, x);
        return;
    }
    for (size_t i = 0; i < item.text.size();)
    {
        size_t n = 1;
        while (i + n < item.text.size() && (static_cast<unsigned char>(item.text[i + n]) & 0xc0) == 0x80)
            ++n;
        const std::string ch = item.text.substr(i, n);
        each(ch, x);
        cairo_text_extents_t e;
        cairo_text_extents(cr, ch.c_str(), &e);
        x += e.x_advance + item.tracking;
        i += n;
    }
}

} // namespace

const std::vector<TextItem>& backgroundTexts()
{
    static const std::vector<TextItem> texts = makeTexts();
    return texts;
}

Rect measureText(cairo_t* cr, const Fonts& fonts, const TextItem& item)
{
    fonts.select(cr, item.bold, item.size);
    double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
    forEachCharacter(cr, item,
                     [&](const std::string& text, double x)
                     {
                         cairo_text_extents_t e;
                         cairo_text_extents(cr, text.c_str(), &e);
                         if (e.width <= 0.0) return;
                         left = std::min(left, x + e.x_bearing);
                         right = std::max(right, x + e.x_bearing + e.width);
                         top = std::min(top, item.baseline + e.y_bearing);
                         bottom = std::max(bottom, item.baseline + e.y_bearing + e.height);
                     });
    return {static_cast<int>(std::floor(left)), static_cast<int>(std::floor(top)),
            static_cast<int>(std::ceil(right)), static_cast<int>(std::ceil(bottom))};
}

void drawText(cairo_t* cr, const Fonts& fonts, const TextItem& item)
{
    fonts.select(cr, item.bold, item.size);
    setColour(cr, item.colour);
    forEachCharacter(cr, item,
                     [&](const std::string& text, double x)
                     {
                         cairo_move_to(cr, x, item.baseline);
                         cairo_show_text(cr, text.c_str());
                     });
}

namespace
{

void paintBody(cairo_t* cr)
{
    cairo_pattern_t* body = cairo_pattern_create_linear(0, 0, 0, kEditorHeight);
    addStop(body, 0.0, palette::kBodyTop);
    addStop(body, 1.0, palette::kBodyBottom);
    cairo_set_source(cr, body);
    cairo_paint(cr);
    cairo_pattern_destroy(body);

    // Title bar with an accent rule under it.
    cairo_rectangle(cr, 0, 0, kEditorWidth, kTitleBarHeight);
    setColour(cr, palette::kTitleBar);
    cairo_fill(cr);
    cairo_rectangle(cr, 0, kTitleBarHeight, kEditorWidth, 1);
    setColour(cr, palette::kAccentDim);
    cairo_fill(cr);
    cairo_rectangle(cr, 0, kTitleBarHeight + 1, kEditorWidth, 1);
    setColour(cr, rgb(0x000000, 0.35));
    cairo_fill(cr);

    // Footer band.
    cairo_rectangle(cr, 0, kFooterTop, kEditorWidth, kEditorHeight - kFooterTop);
    setColour(cr, rgb(0x000000, 0.22));
    cairo_fill(cr);
    cairo_rectangle(cr, 0, kFooterTop, kEditorWidth, 1);
    setColour(cr, palette::kHighlight);
    cairo_fill(cr);
}

/// A grooved vertical line between control groups.
void separator(cairo_t* cr, double x, double top, double bottom)
{
    cairo_rectangle(cr, x, top, 1, bottom - top);
    setColour(cr, rgb(0x000000, 0.45));
    cairo_fill(cr);
    cairo_rectangle(cr, x + 1, top, 1, bottom - top);
    setColour(cr, palette::kHighlight);
    cairo_fill(cr);
}

/// A hairline across a group at its caption, broken where the caption is printed.
void captionRule(cairo_t* cr, const Fonts& fonts, const Rect& group)
{
    for (const TextItem& item : backgroundTexts())
    {
        if (item.baseline != kCaptionBaseline || item.x != centreX(group)) continue;
        const Rect text = measureText(cr, fonts, item);
        const double y = kCaptionBaseline - 3.0;
        setColour(cr, rgb(0xffffff, 0.10));
        cairo_rectangle(cr, group.left, y, text.left - 6 - group.left, 1);
        cairo_rectangle(cr, text.right + 6, y, group.right - text.right - 6, 1);
        cairo_fill(cr);
    }
}

/// A soft recess under a knob so it sits in the panel rather than on it.
void knobWell(cairo_t* cr, const Rect& r)
{
    const double cx = centreX(r), cy = (r.top + r.bottom) / 2.0;
    const double radius = r.width() / 2.0 + 1.5;
    cairo_pattern_t* well = cairo_pattern_create_radial(cx, cy, radius - 4.0, cx, cy, radius);
    addStop(well, 0.0, rgb(0x000000, 0.0));
    addStop(well, 0.7, rgb(0x000000, 0.16));
    addStop(well, 1.0, rgb(0x000000, 0.0));
    cairo_set_source(cr, well);
    cairo_arc(cr, cx, cy, radius, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(well);
}

} // namespace

Surface renderBackground(const Fonts& fonts)
{
    Surface surface = makeSurface(kEditorWidth, kEditorHeight);
    Context context = makeContext(surface);
    cairo_t* cr = context.get();

    paintBody(cr);
    separator(cr, kSeparatorLeft, 46.0, 166.0);
    separator(cr, kSeparatorRight, 46.0, 166.0);
    for (const Rect& group : {kInputGroup, kSourceGroup, kOutputGroup})
        captionRule(cr, fonts, group);
    for (const Rect& knob : {kWidthKnob, kAzimuthKnob, kElevationKnob, kGainKnob})
        knobWell(cr, knob);
    for (const TextItem& item : backgroundTexts())
        drawText(cr, fonts, item);
    return surface;
}

} // namespace sorvelt::artwork
