// Progress bar and summary.
#include "tools/render/progress.h"

#include "tools/render/units.h"

#include <algorithm>
#include <cmath>

namespace sorvelt::render
{

ProgressBar::ProgressBar(std::FILE* s, bool on, int64_t t) : stream(s), enabled(on), total(t) {}

std::string ProgressBar::bar(double fraction, int width)
{
    fraction = std::clamp(fraction, 0.0, 1.0);
    const int filled = static_cast<int>(fraction * width);
    char percent[16];
    std::snprintf(percent, sizeof percent, "] %3d%%", static_cast<int>(fraction * 100.0));
    // Appended piece by piece: g++ 12 at -O3 warns falsely (restrict) on "[" + std::string(...).
    std::string line(1, '[');
    line.append(static_cast<size_t>(filled), '#');
    line.append(static_cast<size_t>(width - filled), '.');
    return line + percent;
}

void ProgressBar::update(int64_t done)
{
    if (!enabled || total <= 0) return;
    const auto now = Clock::now();
    // A job that ends within half a second never shows a bar; after that, ten updates a second.
    if (now - started < std::chrono::milliseconds(500) ||
        (drawn && now - lastDrawn < std::chrono::milliseconds(100)))
        return;
    std::fprintf(stream, "\r%s", bar(static_cast<double>(done) / static_cast<double>(total), 40).c_str());
    std::fflush(stream);
    lastDrawn = now;
    drawn = true;
}

void ProgressBar::finish()
{
    if (!drawn) return;
    std::fprintf(stream, "\r%s\r", std::string(48, ' ').c_str());
    std::fflush(stream);
    drawn = false;
}

std::string summaryLine(int64_t frames, int sampleRate, const std::vector<std::string>& channelNames,
                        const std::vector<double>& peaks, double wallSeconds)
{
    const double audioSeconds = sampleRate > 0 ? static_cast<double>(frames) / sampleRate : 0.0;
    char head[96];
    std::snprintf(head, sizeof head, "%lld frames, %.2f s of audio; peak", static_cast<long long>(frames),
                  audioSeconds);
    std::string line = head;
    for (size_t c = 0; c < peaks.size() && c < channelNames.size(); ++c)
        line += (c ? ", " : " ") + channelNames[c] + " " + peakToDbfs(peaks[c]);
    line += " dBFS; ";
    char speed[64];
    if (wallSeconds > 0)
        std::snprintf(speed, sizeof speed, "%.1fx real time", audioSeconds / wallSeconds);
    else
        std::snprintf(speed, sizeof speed, "too fast to time");
    return line + speed;
}

} // namespace sorvelt::render
