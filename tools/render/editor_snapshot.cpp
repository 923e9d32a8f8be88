// The editor's picture goes through the plug-in's own window code: the plug-in
// exports nothing but its entry, so the honest way to see what it draws is to
// give it a window, let it paint, and read that window back.
#include "tools/render/editor_snapshot.h"

#include <png.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

namespace sorvelt::render
{

namespace
{

/// True while the window still shows one flat colour: the editor has not painted yet.
bool isBlank(const RgbImage& image)
{
    for (size_t i = 3; i < image.pixels.size(); ++i)
        if (image.pixels[i] != image.pixels[i % 3]) return false;
    return true;
}

/// Idles the editor until it has painted and two captures in a row agree (nothing
/// moves any more), or gives up after a few seconds.
bool captureSteadyPicture(EditorHostWindow& host, RgbImage& image, std::string& error)
{
    constexpr int kMinimumIdles = 5;
    constexpr auto kInterval = std::chrono::milliseconds(20);
    constexpr int kMaximumIdles = 250;
    RgbImage previous;
    for (int idles = 1; idles <= kMaximumIdles; ++idles)
    {
        if (!host.pumpEvents())
        {
            error = "the editor window was closed before its picture was taken";
            return false;
        }
        host.idleEditor();
        std::this_thread::sleep_for(kInterval);
        if (idles < kMinimumIdles) continue;
        if (!host.capture(image, error)) return false;
        if (isBlank(image)) continue;
        if (image.pixels == previous.pixels) return true;
        previous = image;
    }
    error = previous.pixels.empty() ? "the editor did not paint its window"
                                    : "the editor's picture did not settle";
    return false;
}

struct PngFile
{
    std::FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngFile()
    {
        if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
        if (file) std::fclose(file);
    }
};

bool encodePng(const RgbImage& image, const std::string& path, std::string& error)
{
    PngFile out;
    out.file = std::fopen(path.c_str(), "wb");
    if (!out.file)
    {
        error = "cannot write " + path;
        return false;
    }
    out.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (out.png) out.info = png_create_info_struct(out.png);
    if (!out.png || !out.info)
    {
        error = "out of memory while encoding the picture";
        return false;
    }
    if (setjmp(png_jmpbuf(out.png)))
    {
        error = "cannot encode the picture into " + path;
        return false;
    }
    png_init_io(out.png, out.file);
    png_set_IHDR(out.png, out.info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(out.png, out.info);
    for (int row = 0; row < image.height; ++row)
        png_write_row(out.png, image.pixels.data() + static_cast<size_t>(row) * image.width * 3);
    png_write_end(out.png, out.info);
    if (std::fflush(out.file) != 0)
    {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

} // namespace

bool writePng(const RgbImage& image, const std::string& path, std::string& error)
{
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<size_t>(image.width) * image.height * 3)
    {
        error = "no picture to write";
        return false;
    }
    namespace fs = std::filesystem;
    const fs::path target(path);
    fs::path temporary = target;
    temporary += ".part";
    bool written = encodePng(image, temporary.string(), error);
    std::error_code code;
    if (written)
    {
        fs::rename(temporary, target, code);
        if (code)
        {
            error = "cannot write " + path + ": " + code.message();
            written = false;
        }
    }
    if (!written) fs::remove(temporary, code);
    return written;
}

int writeEditorSnapshot(AEffect* effect, const std::string& path)
{
    std::string error;
    RgbImage image;
    {
        auto host = EditorHostWindow::open(effect, EditorHostWindow::Kind::Undecorated, error);
        if (!host || !captureSteadyPicture(*host, image, error))
        {
            std::fprintf(stderr, "sorvelt-render: %s\n", error.c_str());
            return 1;
        }
    }
    if (!writePng(image, path, error))
    {
        std::fprintf(stderr, "sorvelt-render: %s\n", error.c_str());
        return 1;
    }
    std::printf("Wrote the editor's picture (%d x %d) to %s\n", image.width, image.height, path.c_str());
    return 0;
}

} // namespace sorvelt::render
