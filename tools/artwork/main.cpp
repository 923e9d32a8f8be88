// sorvelt-artwork: draws the editor's seven bitmaps and a picture of the
// assembled editor. Usage: sorvelt-artwork RESOURCES_DIR DOCS_DIR
#include "tools/artwork/artwork.h"
#include "tools/artwork/canvas.h"
#include "tools/artwork/composite.h"
#include "tools/artwork/fonts.h"

#include <cstdio>
#include <string>

using namespace sorvelt::artwork;

namespace
{

int run(const std::string& resources, const std::string& docs, const Fonts& fonts)
{
    std::string error;
    const std::vector<RenderedBitmap> bitmaps = renderBitmaps(fonts);
    Bitmaps decoded;
    int i = 0;
    for (const auto& [layout, surface] : bitmaps)
    {
        const auto png = encodePng(surface.get(), error);
        if (!png || !writeFile(resources + "/" + bitmapFileName(layout->resource), *png, error))
        {
            std::fprintf(stderr, "sorvelt-artwork: %s\n", error.c_str());
            return 1;
        }
        // The picture of the editor is built from the bytes we ship, not from
        // the surfaces, so it shows any loss the encoding brings.
        auto image = decodePng(*png, error);
        if (!image)
        {
            std::fprintf(stderr, "sorvelt-artwork: %s\n", error.c_str());
            return 1;
        }
        decoded[static_cast<size_t>(i++)] = std::move(*image);
    }

    const EditorValues shown{0.375f, 0.6f, 0.5f, 0.5f, 0.8f};
    const Surface editor = renderComposite(fonts, decoded, shown);
    const auto png = encodePng(editor.get(), error);
    if (!png || !writeFile(docs + "/editor-artwork.png", *png, error))
    {
        std::fprintf(stderr, "sorvelt-artwork: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: sorvelt-artwork RESOURCES_DIR DOCS_DIR\n"
                             "  writes bmp00128.png .. bmp00134.png into RESOURCES_DIR\n"
                             "  and editor-artwork.png (the assembled editor) into DOCS_DIR\n");
        return 2;
    }
    std::string error;
    auto fonts = Fonts::load(SORVELT_FONT_REGULAR, SORVELT_FONT_BOLD, error);
    if (!fonts)
    {
        std::fprintf(stderr, "sorvelt-artwork: %s\n", error.c_str());
        return 1;
    }
    return run(argv[1], argv[2], *fonts);
}
