// The render's two threads: blocks reach the writer in order and whole, failures stop both sides
// and the first one in stream order is reported, and a threaded render writes the very bytes a
// single-threaded one does.
#include "tools/render/block_pipeline.h"
#include "tools/render/options.h"
#include "tools/render/render_job.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

using namespace sorvelt::render;
namespace fs = std::filesystem;

namespace
{

/// A producer that writes its block number into every slot and a consumer that checks the
/// numbers arrive in order, with uneven pauses so that each side sometimes waits for the other.
struct Ledger
{
    static constexpr int kSlots = 3;
    int blocks = 0;        // the input holds this many blocks
    int readFailsAt = -1;  // the producer fails on reaching this block (it still hands over what it has)
    int writeFailsAt = -1; // the consumer fails on this block
    int slotBlocks = 2;    // blocks per slot

    std::vector<std::vector<int>> slots = std::vector<std::vector<int>>(kSlots);
    int produced = 0;
    std::vector<int> written;

    static void pause(int n)
    {
        if (n % 3 == 0) std::this_thread::sleep_for(std::chrono::microseconds(50 * (n % 7)));
    }

    Produced produce(int slot)
    {
        std::vector<int>& s = slots[static_cast<size_t>(slot)];
        s.clear();
        while (static_cast<int>(s.size()) < slotBlocks)
        {
            if (produced == readFailsAt) return {!s.empty(), Produced::Then::Failed};
            if (produced == blocks) return {!s.empty(), Produced::Then::End};
            pause(produced);
            s.push_back(produced++);
        }
        return {true, Produced::Then::More};
    }

    bool consume(int slot)
    {
        for (int block : slots[static_cast<size_t>(slot)])
        {
            pause(block + 1);
            if (block == writeFailsAt) return false;
            written.push_back(block);
        }
        return true;
    }

    PipelineOutcome run(bool threaded)
    {
        return runBlockPipeline(
            kSlots, threaded, [this](int slot) { return produce(slot); },
            [this](int slot) { return consume(slot); });
    }
};

std::vector<int> count(int n)
{
    std::vector<int> v;
    for (int i = 0; i < n; ++i)
        v.push_back(i);
    return v;
}

TEST(RenderPipeline, BlocksArriveInOrderAndTheFirstFailureInStreamOrderWins)
{
    struct Case
    {
        const char* name;
        int blocks, readFailsAt, writeFailsAt;
        PipelineOutcome outcome;
        int writtenBlocks;
    } cases[] = {
        {"all of it", 40, -1, -1, PipelineOutcome::Done, 40},
        {"odd end in a half slot", 41, -1, -1, PipelineOutcome::Done, 41},
        {"empty input", 0, -1, -1, PipelineOutcome::Done, 0},
        {"read fails mid-slot: what came before is written", 40, 13, -1, PipelineOutcome::ProducerFailed, 13},
        {"read fails on a slot boundary", 40, 12, -1, PipelineOutcome::ProducerFailed, 12},
        {"read fails at once", 40, 0, -1, PipelineOutcome::ProducerFailed, 0},
        {"write fails", 40, -1, 9, PipelineOutcome::ConsumerFailed, 9},
        {"write fails before a later read failure", 40, 30, 9, PipelineOutcome::ConsumerFailed, 9},
        {"read fails before a later write failure", 40, 9, 30, PipelineOutcome::ProducerFailed, 9},
        {"write fails on the last block", 40, -1, 39, PipelineOutcome::ConsumerFailed, 39},
    };
    for (const Case& c : cases)
        for (const bool threaded : {false, true})
            for (int repeat = 0; repeat < (threaded ? 20 : 1); ++repeat)
            {
                Ledger ledger;
                ledger.blocks = c.blocks;
                ledger.readFailsAt = c.readFailsAt;
                ledger.writeFailsAt = c.writeFailsAt;
                EXPECT_EQ(ledger.run(threaded), c.outcome) << c.name << (threaded ? ", threaded" : "");
                EXPECT_EQ(ledger.written, count(c.writtenBlocks)) << c.name << (threaded ? ", threaded" : "");
                if (::testing::Test::HasFailure()) return;
            }
}

// ---- whole renders -----------------------------------------------------------------------------------

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ThreadedRender : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(SORVELT_PLUGIN_FILE)) << "the plug-in has not been built";
        char pattern[] = "/tmp/sorvelt-pipeline-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
        // Noise on four channels, long enough for many slots at the default block size.
        SF_INFO info{};
        info.channels = 4;
        info.samplerate = 48000;
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        SNDFILE* file = sf_open((dir / "in.wav").c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr);
        std::vector<float> frames(4 * kFrames);
        unsigned state = 5;
        for (float& s : frames)
        {
            state = state * 1664525u + 1013904223u;
            s = static_cast<float>(static_cast<int>(state >> 9) % 16001 - 8000) / 9000.0f;
        }
        sf_writef_float(file, frames.data(), kFrames);
        sf_close(file);
        quiet = std::fopen("/dev/null", "w");
    }
    void TearDown() override
    {
        if (quiet) std::fclose(quiet);
        fs::remove_all(dir);
    }

    static constexpr int kFrames = 70001;
    fs::path dir;
    std::FILE* quiet = nullptr;
};

TEST_F(ThreadedRender, WritesTheSameBytesAsASingleThread)
{
    struct Case
    {
        const char* output;
        int block;
        bool precise;
        SampleEncoding encoding;
    } cases[] = {
        // Integer samples only: a float file's PEAK chunk carries the time it was written.
        {"a.flac", 512, false, SampleEncoding::Float32}, // 24-bit FLAC, the usual job
        {"b.wav", 1000, false, SampleEncoding::Pcm24},   // blocks that do not fill a slot evenly
        {"c.wav", 65536, true, SampleEncoding::Pcm16},   // one block per slot, double precision
        {"d.flac", 7, false, SampleEncoding::Pcm16},
    };
    for (const Case& c : cases)
    {
        RenderOptions options;
        options.plugin = SORVELT_PLUGIN_FILE;
        options.input = (dir / "in.wav").string();
        options.blockSize = c.block;
        options.doublePrecision = c.precise;
        options.encoding = c.encoding;
        std::string bytes[2];
        for (const bool threaded : {false, true})
        {
            options.threaded = threaded;
            options.output = (dir / (std::string(threaded ? "t-" : "s-") + c.output)).string();
            ASSERT_EQ(runJob(options, quiet, stderr), 0) << c.output;
            bytes[threaded] = slurp(options.output);
        }
        EXPECT_GT(bytes[0].size(), 4u * 3 * kFrames / 4) << c.output;
        EXPECT_TRUE(bytes[0] == bytes[1]) << c.output << " differs between one thread and two";
    }
}

} // namespace
