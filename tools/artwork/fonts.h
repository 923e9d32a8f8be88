// Liberation Sans, loaded straight from its files so that no font
// configuration of the machine can change a single pixel of the artwork.
#pragma once

#include <cairo.h>

#include <memory>
#include <string>

namespace sorvelt::artwork
{

class Fonts
{
public:
    /// Loads the regular and bold faces; null with `error` set when a file is missing.
    static std::unique_ptr<Fonts> load(const std::string& regularPath, const std::string& boldPath,
                                       std::string& error);
    ~Fonts();
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;

    /// Selects a face and pixel size with fixed antialiasing and hinting.
    void select(cairo_t* cr, bool bold, double size) const;

private:
    Fonts() = default;
    void* library_ = nullptr;
    cairo_font_face_t* regular_ = nullptr;
    cairo_font_face_t* bold_ = nullptr;
};

} // namespace sorvelt::artwork
