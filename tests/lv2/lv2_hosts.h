// Running the real LV2 hosts (lv2ls, lv2info, lv2apply, jalv) on the built bundle: a
// private LV2_PATH that holds only our bundle and the system's LV2 core and extension bundles,
// and commands run with their output and errors captured.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace lv2test
{

namespace fs = std::filesystem;

inline const std::string kUri = "https://sorvelt.example.org/plugins/sorvelt";

/// A host program loads an AddressSanitizer bundle only with the sanitizer's runtime loaded
/// first. Leaks stay unchecked there: the toolkit libraries that go with the bundle when the
/// host unloads it leave their static allocations behind, which LeakSanitizer then reports.
inline std::vector<std::string> hostEnvironment()
{
#ifdef SORVELT_HOST_PRELOAD
    return {"LD_PRELOAD=" SORVELT_HOST_PRELOAD, "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1"};
#else
    return {};
#endif
}

/// `command` (a host program and its arguments, shell syntax) run in that environment.
inline std::string host(const std::string& command)
{
    std::string line;
    for (const std::string& setting : hostEnvironment())
        line += "'" + setting + "' ";
    return line.empty() ? command : "env " + line + command;
}

/// Under ThreadSanitizer no host can load the bundle; those builds leave the host tests
/// to the plain and AddressSanitizer builds.
class HostTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
#ifdef SORVELT_THREAD_SANITIZED
        GTEST_SKIP() << "the LV2 hosts cannot load a ThreadSanitizer bundle";
#endif
    }
};

/// A scratch folder of this test program's own, removed at the end.
class ScratchDir
{
public:
    ScratchDir()
    {
        path = fs::temp_directory_path() /
               ("sorvelt-lv2-" + std::to_string(getpid()) + "-" + std::to_string(counter()++));
        fs::create_directories(path);
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string operator/(const std::string& name) const { return (path / name).string(); }

    fs::path path;

private:
    static int& counter()
    {
        static int n = 0;
        return n;
    }
};

/// Points LV2_PATH at a folder holding only the built bundle (the build folder itself
/// holds much that is not a bundle) and at the system's bundles.
class BundlePath
{
public:
    BundlePath()
    {
        fs::create_directory_symlink(SORVELT_LV2_BUNDLE, dir.path / "sorvelt.lv2");
        setenv("LV2_PATH", (dir.path.string() + ":/usr/lib/lv2").c_str(), 1);
    }

private:
    ScratchDir dir;
};

struct Outcome
{
    int status = -1;
    std::string out;
    std::string err;
};

/// Runs a shell command, its standard output and error captured separately.
inline Outcome run(const std::string& command)
{
    ScratchDir scratch;
    const std::string errFile = scratch / "stderr";
    Outcome outcome;
    std::FILE* pipe = popen((command + " 2>'" + errFile + "'").c_str(), "r");
    if (!pipe) return outcome;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        outcome.out.append(buffer, got);
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errFile);
    std::stringstream text;
    text << err.rdbuf();
    outcome.err = text.str();
    return outcome;
}

} // namespace lv2test
