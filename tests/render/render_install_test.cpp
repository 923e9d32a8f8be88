// sorvelt-render as installed: a copy of the command in <root>/bin finds the plug-in beside it
// first, else in <root>/lib/vst, and --version names the one it loaded.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

struct Outcome
{
    int status = -1;
    std::string output; ///< standard output and error together
};

Outcome run(const fs::path& command, const std::string& arguments)
{
    Outcome outcome;
    std::string line = "'";
    line += command.string() + "' " + arguments + " 2>&1";
    FILE* pipe = ::popen(line.c_str(), "r");
    if (!pipe) return outcome;
    char buffer[4096];
    while (const size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        outcome.output.append(buffer, n);
    const int status = ::pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

class InstalledLayout : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("sorvelt-install-" + std::to_string(::getpid()));
        fs::create_directories(root / "bin");
        fs::create_directories(root / "lib/vst");
        // A copy, not a link: the command finds its folder through /proc/self/exe.
        fs::copy_file(SORVELT_RENDER_COMMAND, command());
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path command() const { return root / "bin/sorvelt-render"; }

    fs::path root;
};

TEST_F(InstalledLayout, FindsThePluginBesideItFirstThenInLibVst)
{
    const Outcome none = run(command(), "--version");
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.output.find("sorvelt-render " SORVELT_VERSION "\n"), std::string::npos) << none.output;
    EXPECT_NE(none.output.find("cannot load plug-in " + (root / "bin/sorvelt.so").string()),
              std::string::npos)
        << none.output;

    fs::copy_file(SORVELT_PLUGIN_FILE, root / "lib/vst/sorvelt.so");
    const Outcome installed = run(command(), "--version");
    EXPECT_EQ(installed.status, 0);
    EXPECT_EQ(installed.output,
              "sorvelt-render " SORVELT_VERSION "\nPlug-in: " + (root / "lib/vst/sorvelt.so").string() +
                  " (Sorvelt, vendor version 1000)\n");

    // One beside the command wins: a build tree keeps working with a package installed.
    fs::copy_file(SORVELT_FIXTURE_DIR "/probe_plugin.so", root / "bin/sorvelt.so");
    const Outcome beside = run(command(), "--info");
    EXPECT_EQ(beside.status, 0);
    EXPECT_EQ(beside.output.rfind("Plug-in: " + (root / "bin/sorvelt.so").string() + "\n", 0), 0u)
        << beside.output;
}

} // namespace
