// The progress bar on a terminal and the closing summary of a render.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace sorvelt::render
{

/// Draws a bar on a terminal once a job has run for more than a moment; silent otherwise.
class ProgressBar
{
public:
    /// `enabled` is normally whether the stream is a terminal.
    ProgressBar(std::FILE* stream, bool enabled, int64_t total);
    /// Updates the bar, at most ten times a second.
    void update(int64_t done);
    /// Clears the bar's line, if one was drawn.
    void finish();

    /// The bar's text for a fraction done: "[#####.....]  50%".
    static std::string bar(double fraction, int width);

private:
    using Clock = std::chrono::steady_clock;
    std::FILE* stream;
    bool enabled;
    int64_t total;
    Clock::time_point started = Clock::now();
    Clock::time_point lastDrawn{};
    bool drawn = false;
};

/// One line at the end of a render: frames, seconds of audio, each channel's peak, speed.
std::string summaryLine(int64_t frames, int sampleRate, const std::vector<std::string>& channelNames,
                        const std::vector<double>& peaks, double wallSeconds);

} // namespace sorvelt::render
