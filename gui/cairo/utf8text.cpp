// Windows-1252 (or already UTF-8) text to UTF-8 for cairo.
#include "gui/cairo/utf8text.h"

namespace VSTGUI
{

namespace
{

bool isUtf8(const unsigned char* s)
{
    while (*s)
    {
        int follow = 0;
        if (*s < 0x80)
            follow = 0;
        else if ((*s & 0xe0) == 0xc0 && *s >= 0xc2)
            follow = 1;
        else if ((*s & 0xf0) == 0xe0)
            follow = 2;
        else if ((*s & 0xf8) == 0xf0 && *s <= 0xf4)
            follow = 3;
        else
            return false;
        ++s;
        for (int i = 0; i < follow; ++i, ++s)
            if ((*s & 0xc0) != 0x80) return false;
    }
    return true;
}

void appendUtf8(std::string& out, unsigned codePoint)
{
    if (codePoint < 0x80)
    {
        out += static_cast<char>(codePoint);
    }
    else if (codePoint < 0x800)
    {
        out += static_cast<char>(0xc0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3f));
    }
    else
    {
        out += static_cast<char>(0xe0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (codePoint & 0x3f));
    }
}

} // namespace

std::string toUtf8(const char* text)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    if (isUtf8(bytes)) return text;
    static constexpr unsigned short k1252[32] = {
        0x20ac, 0xfffd, 0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021, 0x02c6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xfffd, 0x017d, 0xfffd, 0xfffd, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022,
        0x2013, 0x2014, 0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0xfffd, 0x017e, 0x0178};
    std::string out;
    for (; *bytes; ++bytes)
        appendUtf8(out, *bytes >= 0x80 && *bytes < 0xa0 ? k1252[*bytes - 0x80] : *bytes);
    return out;
}

} // namespace VSTGUI
