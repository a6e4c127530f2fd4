#include "batch/orderedpieces.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <thread>

using namespace Demagora;

namespace {

// Piece i is the line "i", after a pause that varies, so that later pieces often finish first.
char *numberedLine(std::size_t piece, char *buffer)
{
    std::this_thread::sleep_for(std::chrono::microseconds((piece * 7919) % 5 * 100));
    return buffer + std::snprintf(buffer, 32, "%zu\n", piece);
}

std::string numberedLines(std::size_t count)
{
    std::string text;
    for (std::size_t piece = 0; piece < count; ++piece)
        text += std::to_string(piece) + "\n";
    return text;
}

// Takes the first limit characters, then fails.
class FailingBuffer : public std::streambuf
{
public:
    explicit FailingBuffer(std::streamsize limit)
        : m_left(limit)
    { }

protected:
    std::streamsize xsputn(const char *, std::streamsize count) override
    {
        const std::streamsize taken = std::min(count, m_left);
        m_left -= taken;
        return taken;
    }

private:
    std::streamsize m_left;
};

} // namespace

// Pieces come out in their order for any number of workers, more pieces than the ring holds.
TEST(OrderedPiecesTest, PiecesAreWrittenInOrder)
{
    for (const unsigned workers : { 1U, 2U, 5U }) {
        SCOPED_TRACE(workers);
        std::ostringstream out;
        writePiecesInOrder(
            out, 200, workers, 32, [](std::size_t piece, unsigned worker, char *buffer) {
                EXPECT_LT(worker, 5U);
                return numberedLine(piece, buffer);
            });
        EXPECT_EQ(out.str(), numberedLines(200));
    }
}

// A failing piece ends the writing with its exception, after the pieces before it that the
// ring let through; a failing stream ends it too, long before every piece is formatted.
TEST(OrderedPiecesTest, FailuresEndTheWriting)
{
    std::ostringstream out;
    EXPECT_THROW(writePiecesInOrder(out, 500, 3, 32,
                     [](std::size_t piece, unsigned, char *buffer) {
                         if (piece == 37)
                             throw std::runtime_error("piece 37");
                         return numberedLine(piece, buffer);
                     }),
        std::runtime_error);
    // Piece 37 could only start once piece 29 was out: the ring holds eight pieces.
    EXPECT_EQ(out.str().substr(0, numberedLines(30).size()), numberedLines(30));

    for (const unsigned workers : { 1U, 3U }) {
        FailingBuffer failing(100);
        std::ostream stream(&failing);
        std::atomic<std::size_t> formatted { 0 };
        writePiecesInOrder(
            stream, 5000, workers, 32, [&](std::size_t piece, unsigned, char *buffer) {
                ++formatted;
                return numberedLine(piece, buffer);
            });
        EXPECT_TRUE(stream.bad());
        EXPECT_LT(formatted.load(), 200u) << workers;
    }
}
