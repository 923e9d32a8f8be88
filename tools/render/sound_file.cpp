// libsndfile reader and the temporary-file-and-rename writer.
#include "tools/render/sound_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvelt::render
{

namespace
{

std::string lowerExtension(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The temporary file of the run in progress, so an interrupted run removes it too.
// Only async-signal-safe calls touch it from the handler.
char pendingTemporary[4096];
volatile std::sig_atomic_t pendingSet = 0;

extern "C" void removePendingAndExit(int signalNumber)
{
    if (pendingSet) ::unlink(pendingTemporary);
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

void watchTemporary(const std::string& path)
{
    if (path.size() >= sizeof pendingTemporary) return;
    std::memcpy(pendingTemporary, path.c_str(), path.size() + 1);
    pendingSet = 1;
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        std::signal(s, removePendingAndExit);
}

void forgetTemporary()
{
    pendingSet = 0;
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        std::signal(s, SIG_DFL);
}

} // namespace

// ---- reading --------------------------------------------------------------------------------------------

struct SoundFileSource::State
{
    SNDFILE* file = nullptr;
    SF_INFO info{};
    std::string error;
};

SoundFileSource::SoundFileSource(std::unique_ptr<State> s) : state(std::move(s)) {}

SoundFileSource::~SoundFileSource()
{
    if (state->file) sf_close(state->file);
}

bool SoundFileSource::isRaw(const std::string& path)
{
    return lowerExtension(path) == "raw";
}

std::unique_ptr<SoundFileSource> SoundFileSource::open(const std::string& path, const RawLayout& raw,
                                                       std::string& error)
{
    struct stat status
    {
    };
    if (::stat(path.c_str(), &status) != 0)
    {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    if (S_ISDIR(status.st_mode))
    {
        error = "cannot read " + path + ": it is a folder";
        return nullptr;
    }
    auto state = std::make_unique<State>();
    if (isRaw(path))
    {
        state->info.format = SF_FORMAT_RAW | SF_FORMAT_FLOAT | SF_ENDIAN_LITTLE;
        state->info.channels = raw.channels;
        state->info.samplerate = raw.sampleRate;
    }
    state->file = sf_open(path.c_str(), SFM_READ, &state->info);
    if (!state->file)
    {
        error = "cannot read " + path + ": " + sf_strerror(nullptr);
        return nullptr;
    }
    if (state->info.channels < 1 || state->info.samplerate < 1)
    {
        error = "cannot read " + path + ": it declares no channels or no sample rate";
        return nullptr;
    }
    return std::unique_ptr<SoundFileSource>(new SoundFileSource(std::move(state)));
}

int SoundFileSource::channels() const
{
    return state->info.channels;
}
int SoundFileSource::sampleRate() const
{
    return state->info.samplerate;
}
int64_t SoundFileSource::frames() const
{
    return state->info.frames;
}
std::string SoundFileSource::error() const
{
    return state->error;
}

namespace
{

/// One read through libsndfile's float or double call; a short read is an error only if it says so.
template <typename Sample>
int64_t readFrames(SNDFILE* file, Sample* interleaved, int64_t count, std::string& error,
                   sf_count_t (*reader)(SNDFILE*, Sample*, sf_count_t))
{
    const sf_count_t got = reader(file, interleaved, count);
    if (got < count && sf_error(file) != SF_ERR_NO_ERROR)
    {
        error = sf_strerror(file);
        return -1;
    }
    return got;
}

} // namespace

int64_t SoundFileSource::read(float* interleaved, int64_t count)
{
    return readFrames(state->file, interleaved, count, state->error, sf_readf_float);
}

int64_t SoundFileSource::read(double* interleaved, int64_t count)
{
    return readFrames(state->file, interleaved, count, state->error, sf_readf_double);
}

// ---- writing --------------------------------------------------------------------------------------------

struct SoundFileSink::State
{
    SNDFILE* file = nullptr;
    std::string destination;
    std::string temporary;
    int channels = 0;
    bool committed = false;
};

SoundFileSink::SoundFileSink(std::unique_ptr<State> s) : state(std::move(s)) {}

SoundFileSink::~SoundFileSink()
{
    if (state->file) sf_close(state->file);
    if (!state->committed)
    {
        ::unlink(state->temporary.c_str());
        forgetTemporary();
    }
}

int SoundFileSink::formatFor(const std::string& path, SampleEncoding encoding)
{
    const std::string extension = lowerExtension(path);
    const int pcm = encoding == SampleEncoding::Pcm16 ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_24;
    if (extension == "flac")
        return SF_FORMAT_FLAC | pcm; // FLAC holds integers only: 24-bit unless 16 is asked for
    if (extension == "ogg" || extension == "oga") return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    const int subtype = encoding == SampleEncoding::Float32 ? SF_FORMAT_FLOAT : pcm;
    if (extension == "aif" || extension == "aiff" || extension == "aifc") return SF_FORMAT_AIFF | subtype;
    if (extension == "caf") return SF_FORMAT_CAF | subtype;
    if (extension == "w64") return SF_FORMAT_W64 | subtype;
    return SF_FORMAT_WAV | subtype;
}

std::unique_ptr<SoundFileSink> SoundFileSink::create(const std::string& path, int channels, int sampleRate,
                                                     SampleEncoding encoding, std::string& error)
{
    struct stat existing
    {
    };
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
    {
        error = "cannot write " + path + ": it is a folder";
        return nullptr;
    }
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = sampleRate;
    info.format = formatFor(path, encoding);
    if (!sf_format_check(&info))
    {
        error = "cannot write " + path + ": this file type cannot hold " + std::to_string(channels) +
                " channels at " + std::to_string(sampleRate) + " Hz";
        return nullptr;
    }

    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string pattern = folderOf(path) + "/." + name + ".part-XXXXXX";
    const int descriptor = ::mkstemp(pattern.data());
    if (descriptor < 0)
    {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    auto state = std::make_unique<State>();
    state->destination = path;
    state->temporary = pattern;
    state->channels = channels;
    watchTemporary(pattern);
    auto sink = std::unique_ptr<SoundFileSink>(new SoundFileSink(std::move(state)));

    // mkstemp makes the file private; the result should carry the mode a plain create (or the
    // file it replaces) would have.
    mode_t mode = 0;
    if (exists)
        mode = existing.st_mode & 07777;
    else
    {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(descriptor, mode);

    sink->state->file = sf_open_fd(descriptor, SFM_WRITE, &info, SF_TRUE);
    if (!sink->state->file)
    {
        ::close(descriptor);
        error = "cannot write " + path + ": " + sf_strerror(nullptr);
        return nullptr;
    }
    // Integer output saturates instead of wrapping round on samples beyond full scale.
    sf_command(sink->state->file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    return sink;
}

namespace
{

template <typename Sample>
bool writeFrames(SNDFILE* file, const std::string& destination, const Sample* interleaved, int64_t count,
                 std::string& error, sf_count_t (*writer)(SNDFILE*, const Sample*, sf_count_t))
{
    if (writer(file, interleaved, count) == count) return true;
    error = "cannot write " + destination + ": " + sf_strerror(file);
    return false;
}

} // namespace

bool SoundFileSink::write(const float* interleaved, int64_t count, std::string& error)
{
    return writeFrames(state->file, state->destination, interleaved, count, error, sf_writef_float);
}

bool SoundFileSink::write(const double* interleaved, int64_t count, std::string& error)
{
    return writeFrames(state->file, state->destination, interleaved, count, error, sf_writef_double);
}

bool SoundFileSink::commit(std::string& error)
{
    sf_write_sync(state->file);
    const int closeStatus = sf_close(state->file);
    state->file = nullptr;
    if (closeStatus != 0)
    {
        error = "cannot write " + state->destination + ": " + sf_error_number(closeStatus);
        return false;
    }
    if (::rename(state->temporary.c_str(), state->destination.c_str()) != 0)
    {
        error = "cannot write " + state->destination + ": " + std::strerror(errno);
        return false;
    }
    state->committed = true;
    forgetTemporary();
    return true;
}

bool sameFile(const std::string& a, const std::string& b)
{
    struct stat first
    {
    }, second{};
    if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace sorvelt::render
