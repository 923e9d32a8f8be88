// The UI in a real host on a real display: jalv.gtk3 on a private JACK server (dummy
// driver) embeds the bundle's X11 UI. Its window must show what the editor draws
// off-screen at the value the host set, and an xdotool drag on the azimuth knob must reach the host's
// plug-in: a sine played into the instance comes out panned hard right after the drag.
#include "tests/lv2/lv2_hosts.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>
#include <signal.h>
#include <sndfile.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "tests/editor/editor_harness.h"

using namespace lv2test;
using namespace std::chrono_literals;

namespace
{

/// A program this test starts, stopped (by its own pid) when the object goes.
class Child
{
public:
    explicit Child(std::vector<std::string> argv)
    {
        pid = fork();
        if (pid == 0)
        {
            std::vector<char*> args;
            for (std::string& a : argv)
                args.push_back(a.data());
            args.push_back(nullptr);
            freopen("/dev/null", "w", stdout);
            execvp(args[0], args.data());
            _exit(127);
        }
    }
    ~Child()
    {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        for (int i = 0; i < 100 && waitpid(pid, nullptr, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(20ms);
        if (waitpid(pid, nullptr, WNOHANG) == 0)
        {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    /// Still running?
    bool alive() const { return pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0; }

    pid_t pid = -1;
};

/// Polls `ready` every 50 ms for up to `timeout`.
template <class Ready> bool waitUntil(Ready ready, std::chrono::milliseconds timeout = 10s)
{
    for (auto end = std::chrono::steady_clock::now() + timeout; std::chrono::steady_clock::now() < end;)
    {
        if (ready()) return true;
        std::this_thread::sleep_for(50ms);
    }
    return ready();
}

/// The editor's window inside the host: 420 x 200, unnamed, mapped, with no children of
/// its own (the host's socket and plug around it have the same size but hold a child).
Window findEditorWindow(Display* display, Window under)
{
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, under, &root, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i)
    {
        XWindowAttributes a;
        char* name = nullptr;
        Window r, p, *grandChildren = nullptr;
        unsigned grandCount = 0;
        if (XGetWindowAttributes(display, children[i], &a) && a.map_state == IsViewable && a.width == 420 &&
            a.height == 200 && !XFetchName(display, children[i], &name) &&
            XQueryTree(display, children[i], &r, &p, &grandChildren, &grandCount) && grandCount == 0)
            found = children[i];
        if (name) XFree(name);
        if (grandChildren) XFree(grandChildren);
        if (!found) found = findEditorWindow(display, children[i]);
    }
    if (children) XFree(children);
    return found;
}

std::vector<unsigned char> screenshotRgb(Window window, const ScratchDir& scratch, int& width, int& height)
{
    const std::string path = scratch / "shot.png";
    const std::string import = "import -window " + std::to_string(window) + " png24:'" + path + "'";
    if (std::system(import.c_str()) != 0) return {};
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    return rgb;
}

/// The VST build's editor drawn off-screen, as 8-bit RGB, with one parameter set.
std::vector<unsigned char> offscreenEditorRgb(int parameter, float value)
{
    editortest::EditorHost host;
    host.set(parameter, value);
    std::vector<unsigned char> rgb;
    if (!host.openEditor()) return rgb;
    for (std::uint32_t bgra : editortest::drawFrame(host.frame()).pixels)
        for (int shift : {16, 8, 0})
            rgb.push_back(static_cast<unsigned char>(bgra >> shift));
    return rgb;
}

/// Energies of the left and right channels of a recording, after its first tenth.
bool channelEnergies(const std::string& path, double& left, double& right)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return false;
    std::vector<float> data(static_cast<size_t>(info.channels * info.frames));
    sf_readf_float(file, data.data(), info.frames);
    sf_close(file);
    if (info.channels != 2 || info.frames < 1000) return false;
    left = right = 0.0;
    for (sf_count_t i = info.frames / 10; i < info.frames; ++i)
    {
        left += data[static_cast<size_t>(2 * i)] * data[static_cast<size_t>(2 * i)];
        right += data[static_cast<size_t>(2 * i + 1)] * data[static_cast<size_t>(2 * i + 1)];
    }
    return true;
}

class JalvX11 : public HostTest
{
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        if (IsSkipped()) return;
#ifdef SORVELT_HOST_PRELOAD
        GTEST_SKIP()
            << "jalv.gtk3 does not start with the sanitizer runtime preloaded; the plain build runs this";
#endif
        const char* display = std::getenv("DISPLAY");
        ASSERT_TRUE(display && *display)
            << "this test needs an X display: set DISPLAY (scripts/test.sh starts Xvfb)";
        for (const char* tool : {"jalv.gtk3", "jackd", "jack_rec", "jack_simple_client", "xdotool", "import"})
            ASSERT_EQ(run(std::string("command -v ") + tool).status, 0) << tool << " is missing";
        // A JACK server of this test's own, so no other test or user shares its clients.
        server = "sorvelt-lv2-" + std::to_string(getpid());
        setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
        setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
        jackd = std::make_unique<Child>(std::vector<std::string>{"jackd", "--no-realtime", "-n", server, "-d",
                                                                 "dummy", "-r", "48000", "-p", "256"});
        ASSERT_TRUE(waitUntil([] { return run("jack_lsp").status == 0; })) << "jackd did not start";
    }

    std::string server;
    BundlePath bundle;
    std::unique_ptr<Child> jackd;
};

TEST_F(JalvX11, ShowsTheEditorAndADragMovesTheHostsControl)
{
    // The host starts with the elevation at 45 degrees: the UI learns it from the host's port event.
    Child jalv(
        {"jalv.gtk3", "--jack-name", "sorvelt", "--exact-jack-name", "--control", "elevation=45", kUri});
    Window editor = 0;
    {
        std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(nullptr), XCloseDisplay);
        ASSERT_NE(display, nullptr);
        ASSERT_TRUE(waitUntil(
            [&]
            { return (editor = findEditorWindow(display.get(), DefaultRootWindow(display.get()))) != 0; }))
            << "jalv did not show the UI";
    }
    ASSERT_TRUE(jalv.alive());
    const std::string window = std::to_string(editor);

    // The picture: what the editor draws off-screen at that elevation, once painted.
    ScratchDir scratch;
    const std::vector<unsigned char> expected = offscreenEditorRgb(SourceElevation, 0.75f);
    ASSERT_EQ(expected.size(), 420u * 200u * 3u);
    std::vector<unsigned char> shot;
    int width = 0, height = 0;
    waitUntil([&] { return (shot = screenshotRgb(editor, scratch, width, height)) == expected; }, 5s);
    ASSERT_EQ(width, 420);
    ASSERT_EQ(height, 200);
    long differing = 0;
    for (size_t i = 0; i + 2 < shot.size(); i += 3)
        differing +=
            shot[i] != expected[i] || shot[i + 1] != expected[i + 1] || shot[i + 2] != expected[i + 2];
    EXPECT_EQ(differing, 0) << "pixels of jalv's window that differ from the off-screen editor";

    // A sine into the W input, the outputs L and R recorded before and after the drag.
    Child sine({"jack_simple_client", "sine"});
    ASSERT_TRUE(waitUntil([] { return run("jack_connect sine:output1 sorvelt:in_w").status == 0; }))
        << "cannot connect the sine to the plug-in";
    auto record = [&](const std::string& name, double& left, double& right)
    {
        const Outcome rec = run("jack_rec -f '" + scratch / name + "' -d 1 sorvelt:out_l sorvelt:out_r");
        return rec.status == 0 && channelEnergies(scratch / name, left, right);
    };
    double leftBefore = 0, rightBefore = 0;
    ASSERT_TRUE(record("before.wav", leftBefore, rightBefore));
    ASSERT_GT(leftBefore, 0.0) << "nothing came through the plug-in";
    // In front (at any elevation), UHJ's left and right carry the same energy.
    EXPECT_NEAR(rightBefore / leftBefore, 1.0, 0.2);

    // Azimuth knob (centre 218, 73): 50 pixels to the right in linear mode is +0.25,
    // from straight ahead to -90 degrees (hard right).
    ASSERT_EQ(run("xdotool mousemove --window " + window + " 218 73 mousedown 1").status, 0);
    for (int step = 1; step <= 5; ++step)
    {
        std::this_thread::sleep_for(40ms);
        ASSERT_EQ(run("xdotool mousemove --window " + window + " " + std::to_string(218 + 10 * step) + " 73")
                      .status,
                  0);
    }
    std::this_thread::sleep_for(100ms);
    ASSERT_EQ(run("xdotool mouseup 1").status, 0);
    std::this_thread::sleep_for(300ms);

    double leftAfter = 0, rightAfter = 0;
    ASSERT_TRUE(record("after.wav", leftAfter, rightAfter));
    EXPECT_GT(rightAfter / leftAfter, 10.0) << "the drag did not pan the host's instance to the right";
    EXPECT_TRUE(jalv.alive());
}

} // namespace
