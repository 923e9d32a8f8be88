// FreeType faces handed to cairo. cairo may keep a face in its caches after
// we let go of it, so each face holds its own reference to the FreeType
// library and closes both when cairo finally releases it.
#include "tools/artwork/fonts.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_MODULE_H

namespace sorvelt::artwork
{

namespace
{

const cairo_user_data_key_t kFaceKey{};

struct OpenFace
{
    FT_Library library;
    FT_Face face;
};

void closeFace(void* data)
{
    auto* open = static_cast<OpenFace*>(data);
    FT_Done_Face(open->face);
    FT_Done_FreeType(open->library);
    delete open;
}

cairo_font_face_t* openFace(FT_Library library, const std::string& path, std::string& error)
{
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), 0, &face) != 0)
    {
        error = "cannot load the font " + path + " (the fonts-liberation package provides it)";
        return nullptr;
    }
    FT_Reference_Library(library);
    auto* open = new OpenFace{library, face};
    cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(face, 0);
    if (cairo_font_face_set_user_data(cairoFace, &kFaceKey, open, closeFace) != CAIRO_STATUS_SUCCESS)
    {
        cairo_font_face_destroy(cairoFace);
        closeFace(open);
        error = "cannot hand the font " + path + " to cairo";
        return nullptr;
    }
    return cairoFace;
}

} // namespace

std::unique_ptr<Fonts> Fonts::load(const std::string& regularPath, const std::string& boldPath,
                                   std::string& error)
{
    std::unique_ptr<Fonts> fonts(new Fonts);
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
    {
        error = "cannot start FreeType";
        return nullptr;
    }
    fonts->library_ = library;
    fonts->regular_ = openFace(library, regularPath, error);
    if (!fonts->regular_) return nullptr;
    fonts->bold_ = openFace(library, boldPath, error);
    if (!fonts->bold_) return nullptr;
    return fonts;
}

Fonts::~Fonts()
{
    if (regular_) cairo_font_face_destroy(regular_);
    if (bold_) cairo_font_face_destroy(bold_);
    if (library_) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

void Fonts::select(cairo_t* cr, bool bold, double size) const
{
    cairo_set_font_face(cr, bold ? bold_ : regular_);
    cairo_set_font_size(cr, size);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

} // namespace sorvelt::artwork
