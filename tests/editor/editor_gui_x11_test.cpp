// End to end on a real X server: sorvelt-render --gui hosts the built plug-in's
// editor, xdotool plays the user, and the window must show what the editor
// draws off-screen at the same parameter values.
#include "tests/editor/editor_harness.h"

#include <X11/Xlib.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

using namespace editortest;
using namespace std::chrono_literals;

namespace
{

/// sorvelt-render --gui as a child process whose standard output we read line by line.
class GuiSession
{
public:
    GuiSession()
    {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0) return;
        pid = fork();
        if (pid == 0)
        {
            dup2(pipeEnds[1], STDOUT_FILENO);
            close(pipeEnds[0]);
            close(pipeEnds[1]);
            execl(SORVELT_RENDER_COMMAND, SORVELT_RENDER_COMMAND, "--plugin", SORVELT_PLUGIN_FILE, "--gui",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeEnds[1]);
        reader = std::thread(
            [this, fd = pipeEnds[0]]
            {
                std::FILE* in = fdopen(fd, "r");
                char line[512];
                while (in && std::fgets(line, sizeof line, in))
                {
                    std::string text(line);
                    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
                        text.pop_back();
                    std::lock_guard lock(mutex);
                    lines.push_back(text);
                    arrived.notify_all();
                }
                if (in) std::fclose(in);
            });
    }

    ~GuiSession()
    {
        if (pid > 0 && !exited)
        {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        if (reader.joinable()) reader.join();
    }

    /// Waits for a line starting with `prefix` at or after line `from`; its index, or -1.
    int waitFor(const std::string& prefix, size_t from = 0, std::chrono::milliseconds timeout = 10s)
    {
        std::unique_lock lock(mutex);
        int found = -1;
        arrived.wait_for(lock, timeout,
                         [&]
                         {
                             for (size_t i = from; i < lines.size(); ++i)
                                 if (lines[i].rfind(prefix, 0) == 0)
                                 {
                                     found = static_cast<int>(i);
                                     return true;
                                 }
                             return false;
                         });
        return found;
    }

    std::vector<std::string> linesFrom(size_t from)
    {
        std::lock_guard lock(mutex);
        return {lines.begin() + static_cast<long>(std::min(from, lines.size())), lines.end()};
    }

    size_t lineCount()
    {
        std::lock_guard lock(mutex);
        return lines.size();
    }

    /// The exit status once the process ends, or -1 if it does not end in time.
    int waitExit(std::chrono::milliseconds timeout = 10s)
    {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end)
        {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid)
            {
                exited = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(20ms);
        }
        return -1;
    }

    pid_t pid = -1;

private:
    bool exited = false;
    std::thread reader;
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::string> lines;
};

void xdotool(const std::string& arguments)
{
    const std::string command = "xdotool " + arguments;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

/// Holds the button long enough for the editor's 20 ms idle to see it pressed, as a person's click is.
void pressAndRelease(const std::string& window, int x, int y)
{
    xdotool("mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y) +
            " mousedown 1");
    std::this_thread::sleep_for(200ms);
    xdotool("mouseup 1");
}

struct RgbPicture
{
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

bool readPng(const std::string& path, RgbPicture& picture)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr) != 0;
}

/// The editor drawn in this process, off-screen, as 8-bit RGB (its background is opaque).
RgbPicture offscreenEditor(const std::vector<std::pair<int, float>>& values)
{
    EditorHost host;
    for (auto [index, value] : values)
        host.set(index, value);
    RgbPicture picture;
    if (!host.openEditor()) return picture;
    const Picture drawn = drawFrame(host.frame());
    picture.width = static_cast<int>(drawn.width);
    picture.height = static_cast<int>(drawn.height);
    for (std::uint32_t bgra : drawn.pixels)
    {
        picture.rgb.push_back(static_cast<unsigned char>(bgra >> 16));
        picture.rgb.push_back(static_cast<unsigned char>(bgra >> 8));
        picture.rgb.push_back(static_cast<unsigned char>(bgra));
    }
    return picture;
}

long differingPixels(const RgbPicture& a, const RgbPicture& b)
{
    long count = 0;
    for (size_t i = 0; i + 2 < a.rgb.size() && i + 2 < b.rgb.size(); i += 3)
        count += a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2];
    return count;
}

/// What a window manager sends when the user clicks the window's close button.
bool sendDeleteWindow(unsigned long window)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XCloseDisplay(display);
    return sent != 0;
}

/// The window id that sorvelt-render --gui announces, or 0.
unsigned long announcedWindow(GuiSession& gui)
{
    const int line = gui.waitFor("editor open in window ");
    if (line < 0) return 0;
    std::istringstream words(gui.linesFrom(static_cast<size_t>(line)).front());
    std::string word;
    while (words >> word)
        if (word.rfind("0x", 0) == 0) return std::stoul(word, nullptr, 16);
    return 0;
}

class EditorGuiX11 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        ASSERT_TRUE(display && *display)
            << "this test needs an X display: set DISPLAY (scripts/test.sh starts Xvfb)";
        ASSERT_EQ(std::system("xdotool version >/dev/null 2>&1"), 0) << "xdotool is missing";
    }
};

TEST_F(EditorGuiX11, DragClickAndPictureThroughTheStandaloneHost)
{
    GuiSession gui;
    ASSERT_GT(gui.pid, 0);
    const unsigned long windowId = announcedWindow(gui);
    ASSERT_NE(windowId, 0u) << "sorvelt-render --gui did not open its window";
    const std::string window = std::to_string(windowId);
    std::this_thread::sleep_for(300ms); // let the window map and paint

    // Drag the azimuth knob (centre 218, 73) 100 pixels to the right: linear mode
    // turns that into +0.5, from the default 0.5 up to the end of the range.
    size_t mark = gui.lineCount();
    xdotool("mousemove --window " + window + " 218 73 mousedown 1");
    for (int step = 1; step <= 10; ++step)
    {
        std::this_thread::sleep_for(40ms);
        xdotool("mousemove --window " + window + " " + std::to_string(218 + 10 * step) + " 73");
    }
    std::this_thread::sleep_for(100ms);
    xdotool("mouseup 1");
    const int dragEnd = gui.waitFor("endEdit 0", mark);
    ASSERT_GE(dragEnd, 0) << "no endEdit for the azimuth drag";
    std::vector<std::string> drag = gui.linesFrom(mark);
    drag.resize(static_cast<size_t>(dragEnd) - mark + 1);
    ASSERT_GE(drag.size(), 3u);
    EXPECT_EQ(drag.front(), "beginEdit 0");
    EXPECT_EQ(drag.back(), "endEdit 0");
    float previous = 0.5f;
    for (size_t i = 1; i + 1 < drag.size(); ++i)
    {
        float value = -1.0f;
        int index = -1;
        ASSERT_EQ(std::sscanf(drag[i].c_str(), "automate %d %f", &index, &value), 2) << drag[i];
        EXPECT_EQ(index, 0);
        EXPECT_GE(value, previous) << "the value went back during a rightward drag";
        previous = value;
    }
    EXPECT_EQ(drag[drag.size() - 2], "automate 0 1.000000");

    // The switch's middle row (rows 20..39 of the control at 3, 72) selects Stereo.
    mark = gui.lineCount();
    pressAndRelease(window, 33, 102);
    const int clickEnd = gui.waitFor("endEdit 3", mark);
    ASSERT_GE(clickEnd, 0) << "no endEdit for the switch click";
    std::vector<std::string> click = gui.linesFrom(mark);
    click.resize(static_cast<size_t>(clickEnd) - mark + 1);
    ASSERT_GE(click.size(), 3u);
    EXPECT_EQ(click.front(), "beginEdit 3");
    EXPECT_EQ(click.back(), "endEdit 3");
    // The switch reports on every pass of its loop until the next redraw, so the
    // same value may arrive more than once; never another one.
    for (size_t i = 1; i + 1 < click.size(); ++i)
        EXPECT_EQ(click[i], "automate 3 0.500000");

    // Move the pointer off the window and let the last idle passes paint, then compare.
    xdotool("mousemove 900 700");
    std::this_thread::sleep_for(300ms);
    const auto shot =
        std::filesystem::temp_directory_path() / ("sorvelt-gui-" + std::to_string(gui.pid) + ".png");
    const std::string import = "import -window " + window + " png24:" + shot.string();
    ASSERT_EQ(std::system(import.c_str()), 0) << import;
    RgbPicture screen;
    ASSERT_TRUE(readPng(shot.string(), screen));
    std::filesystem::remove(shot);
    const RgbPicture expected = offscreenEditor({{SourceAzimuth, 1.0f}, {InputFormat, 0.5f}});
    ASSERT_EQ(screen.width, expected.width);
    ASSERT_EQ(screen.height, expected.height);
    EXPECT_EQ(differingPixels(screen, expected), 0);
    // The same comparison must be able to fail: the default values look different.
    EXPECT_GT(differingPixels(screen, offscreenEditor({})), 0);

    // Closing the window ends the host cleanly.
    xdotool("windowclose " + window);
    EXPECT_GE(gui.waitFor("editor closed", 0), 0);
    EXPECT_EQ(gui.waitExit(), 0);
}

TEST_F(EditorGuiX11, QuickClicksOnTheSwitchReachThePlugIn)
{
    GuiSession gui;
    ASSERT_GT(gui.pid, 0);
    const unsigned long windowId = announcedWindow(gui);
    ASSERT_NE(windowId, 0u) << "sorvelt-render --gui did not open its window";
    const std::string window = std::to_string(windowId);
    std::this_thread::sleep_for(300ms); // let the window map and paint

    // xdotool's click is over long before the host's next idle looks at the press.
    struct Case
    {
        int y;
        const char* automated;
    };
    const Case cases[] = {{125, "automate 3 1.000000"}, {80, "automate 3 0.000000"}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.y);
        const size_t mark = gui.lineCount();
        xdotool("mousemove --window " + window + " 33 " + std::to_string(c.y) + " click 1");
        const int end = gui.waitFor("endEdit 3", mark);
        ASSERT_GE(end, 0) << "the click never reached the switch";
        std::vector<std::string> click = gui.linesFrom(mark);
        click.resize(static_cast<size_t>(end) - mark + 1);
        ASSERT_GE(click.size(), 3u);
        EXPECT_EQ(click.front(), "beginEdit 3");
        EXPECT_EQ(click[1], c.automated);
    }
    xdotool("windowclose " + window);
    EXPECT_GE(gui.waitFor("editor closed", 0), 0);
    EXPECT_EQ(gui.waitExit(), 0);
}

TEST_F(EditorGuiX11, CloseButtonClosesTheEditorAndEndsTheHost)
{
    GuiSession gui;
    ASSERT_GT(gui.pid, 0);
    const unsigned long window = announcedWindow(gui);
    ASSERT_NE(window, 0u) << "sorvelt-render --gui did not open its window";
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(sendDeleteWindow(window));
    EXPECT_GE(gui.waitFor("editor closed"), 0);
    EXPECT_EQ(gui.waitExit(), 0);
}

/// Runs a shell command; its exit status.
int run(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string quoted(const std::string& text)
{
    return "'" + text + "'";
}

TEST_F(EditorGuiX11, SnapshotIsTheOffscreenPictureAtTheSameValues)
{
    const auto path =
        std::filesystem::temp_directory_path() / ("sorvelt-snapshot-" + std::to_string(getpid()) + ".png");
    const std::string command = std::string(SORVELT_RENDER_COMMAND) + " --plugin " + SORVELT_PLUGIN_FILE +
                                " --snapshot " + quoted(path.string()) +
                                " --azimuth -180 --elevation 45 --width 90 --format stereo --gain-linear 0.5"
                                " >/dev/null";
    ASSERT_EQ(run(command), 0) << command;
    RgbPicture snapshot;
    ASSERT_TRUE(readPng(path.string(), snapshot));
    std::filesystem::remove(path);
    const RgbPicture expected = offscreenEditor({{SourceAzimuth, 1.0f},
                                                 {SourceElevation, 0.75f},
                                                 {SourceWidth, 0.5f},
                                                 {InputFormat, 0.5f},
                                                 {Gain, 0.5f}});
    ASSERT_EQ(snapshot.width, expected.width);
    ASSERT_EQ(snapshot.height, expected.height);
    EXPECT_EQ(differingPixels(snapshot, expected), 0);
}

TEST_F(EditorGuiX11, SnapshotWithoutADisplayFailsAndWritesNothing)
{
    const auto path =
        std::filesystem::temp_directory_path() / ("sorvelt-nodisplay-" + std::to_string(getpid()) + ".png");
    const std::string command = "DISPLAY= " + std::string(SORVELT_RENDER_COMMAND) + " --plugin " +
                                SORVELT_PLUGIN_FILE + " --snapshot " + quoted(path.string()) + " 2>/dev/null";
    EXPECT_EQ(run(command), 1);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(path.string() + ".part"));
}

} // namespace
