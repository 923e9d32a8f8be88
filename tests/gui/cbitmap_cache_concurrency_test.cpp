// Embedded images are decoded once per process and shared: bitmaps made on several threads at
// once all show one decoding, identical to decoding the bytes afresh, and writing into one
// bitmap's pixels leaves the others as they were.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "gui/cbitmap.h"
#include "gui/platform.h"

using namespace VSTGUI;

namespace
{

constexpr long kFirst = 128, kLast = 134;
constexpr int kThreads = 4;

std::vector<std::uint8_t> bytesOf(const PixelBuffer& buffer)
{
    std::vector<std::uint8_t> bytes;
    for (int y = 0; y < buffer.height; ++y)
        bytes.insert(bytes.end(), buffer.pixel(0, y), buffer.pixel(0, y) + buffer.width * 4);
    return bytes;
}

TEST(CBitmapCache, BitmapsMadeOnSeveralThreadsShareOneDecodingOfEachImage)
{
    std::vector<std::vector<CBitmap*>> made(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(
            [&made, t]
            {
                for (long id = kFirst; id <= kLast; ++id)
                    made[static_cast<size_t>(t)].push_back(new CBitmap(id));
            });
    for (std::thread& thread : threads)
        thread.join();

    for (long id = kFirst; id <= kLast; ++id)
    {
        const size_t index = static_cast<size_t>(id - kFirst);
        const ResourceBytes bytes = findPngResource(id);
        CBitmap fresh;
        ASSERT_TRUE(fresh.loadFromPNG(bytes.data, bytes.size)) << id;
        const PixelBuffer first = made[0][index]->getPixels();
        EXPECT_EQ(bytesOf(first), bytesOf(fresh.getPixels())) << id;
        for (int t = 1; t < kThreads; ++t)
            EXPECT_EQ(made[static_cast<size_t>(t)][index]->getPixels().data, first.data) << id;
    }

    // A bitmap drawn into gets pixels of its own; the shared decoding stays as it was.
    CBitmap* written = made[0][0];
    const std::vector<std::uint8_t> before = bytesOf(made[1][0]->getPixels());
    const PixelBuffer own = written->getHandle();
    ASSERT_TRUE(own.isValid());
    for (int y = 0; y < own.height; ++y) // row by row: the rows may be stored bottom-up
        std::memset(own.pixel(0, y), 0x5a, static_cast<size_t>(own.width) * 4);
    EXPECT_NE(own.data, made[1][0]->getPixels().data);
    EXPECT_EQ(bytesOf(made[1][0]->getPixels()), before);
    EXPECT_EQ(bytesOf(CBitmap(kFirst).getPixels()), before);
    EXPECT_EQ(bytesOf(written->getPixels()), bytesOf(own));

    for (auto& bitmaps : made)
        for (CBitmap* bitmap : bitmaps)
            bitmap->forget();
}

} // namespace
