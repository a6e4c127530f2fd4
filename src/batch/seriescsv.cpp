#include "batch/seriescsv.h"

#include "model/paralleltasks.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace Demagora {

namespace {

// Powers of five up to 5^27 < 2^63: with a 53-bit mantissa the product stays below 2^116.
constexpr int FastScales = 28;

constexpr std::array<std::uint64_t, FastScales> powersOfFive()
{
    std::array<std::uint64_t, FastScales> powers {};
    std::uint64_t power = 1;
    for (int k = 0; k < FastScales; ++k) {
        powers[static_cast<std::size_t>(k)] = power;
        power *= 5;
    }
    return powers;
}

constexpr std::array<std::uint64_t, FastScales> PowersOfFive = powersOfFive();
constexpr std::uint64_t Digits16 = 10'000'000'000'000'000ULL; // 10^16
constexpr std::uint64_t Digits17 = 100'000'000'000'000'000ULL; // 10^17

char *writeSlow(char *out, double value)
{
    return std::to_chars(out, out + MaxCsvRealLength, value, std::chars_format::general, 17).ptr;
}

// The 17 significant digits of a positive normal value as an integer from 10^16 to 10^17 - 1
// and the decimal exponent of its first digit, computed exactly in integers: value * 10^k is
// mantissa * 5^k * 2^(binaryExponent + k), rounded to nearest. The exponent is first estimated
// from the binary one, which can be one too small: then the product has 18 digits and the
// last of them is rounded off as well. Both outcomes are formed and one is chosen, without a
// branch that the varying magnitudes of a series would keep mispredicting. False for values
// whose scale lies outside the table and for exact ties, which the library's conversion settles.
bool seventeenDigits(double value, std::uint64_t &digits, int &exponent)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const int biased = static_cast<int>(bits >> 52);
    if (biased == 0)
        return false;
    const std::uint64_t mantissa
        = (bits & ((std::uint64_t { 1 } << 52) - 1)) | (std::uint64_t { 1 } << 52);
    const int binaryExponent = biased - 1075; // value = mantissa * 2^binaryExponent
    // floor(log10(2^(binaryExponent + 52))): the decimal exponent or one less.
    const int decimal = ((binaryExponent + 52) * 78913) >> 18;
    const int scale = 16 - decimal;
    if (scale < 0 || scale >= FastScales)
        return false;
    const unsigned __int128 product
        = static_cast<unsigned __int128>(mantissa) * PowersOfFive[static_cast<std::size_t>(scale)];
    const int shift = binaryExponent + scale;
    // value * 10^scale = whole + fraction, with fraction compared against one half.
    std::uint64_t whole = 0;
    bool aboveHalf = false;
    bool atHalf = false;
    bool fractionZero = true;
    if (shift >= 0) {
        if (shift >= 64 || (product >> (64 - shift)) != 0)
            return false;
        whole = static_cast<std::uint64_t>(product << shift);
    } else {
        const int right = -shift;
        if (right >= 120)
            return false;
        const unsigned __int128 remainder
            = product & ((static_cast<unsigned __int128>(1) << right) - 1);
        const unsigned __int128 half = static_cast<unsigned __int128>(1) << (right - 1);
        whole = static_cast<std::uint64_t>(product >> right);
        aboveHalf = remainder > half;
        atHalf = remainder == half;
        fractionZero = remainder == 0;
    }
    // whole < 10^18: the estimate is at most one too small.
    const bool eighteen = whole >= Digits17;
    const std::uint64_t tenth = whole / 10;
    const std::uint64_t lastDigit = whole % 10;
    if (eighteen ? (lastDigit == 5 && fractionZero) : atHalf)
        return false;
    const bool up = eighteen ? (lastDigit > 5 || (lastDigit == 5 && !fractionZero)) : aboveHalf;
    std::uint64_t rounded = (eighteen ? tenth : whole) + (up ? 1 : 0);
    int first = decimal + (eighteen ? 1 : 0);
    if (rounded >= Digits17) {
        // Rounded up to the next power of ten.
        rounded = Digits16;
        ++first;
    }
    if (rounded < Digits16)
        return false;
    digits = rounded;
    exponent = first;
    return true;
}

// Eight decimal digits of value < 10^8 as the bytes 0 to 9, most significant digit in the
// lowest byte, so that storing the word writes them in reading order: the value is split into
// two, four and eight lanes of one word, each lane divided by the same constant at once.
inline __attribute__((always_inline)) std::uint64_t eightDigits(std::uint32_t value)
{
    const std::uint64_t merged = (value / 10000) | (std::uint64_t { value % 10000 } << 32);
    const std::uint64_t top = ((merged * 10486) >> 20) & ((std::uint64_t { 0x7F } << 32) | 0x7F);
    const std::uint64_t hundreds = ((merged - 100 * top) << 16) + top;
    std::uint64_t tens = (hundreds * 103) >> 10;
    tens &= (std::uint64_t { 0xF } << 48) | (std::uint64_t { 0xF } << 32)
        | (std::uint64_t { 0xF } << 16) | 0xF;
    return tens + ((hundreds - 10 * tens) << 8);
}

constexpr std::uint64_t AsciiZeros = 0x3030303030303030ULL;

// The 17 digits of a value: the first, then two words of eight characters each in reading
// order, and how many digits remain without the trailing zeros.
struct SeventeenDigits
{
    char first;
    std::uint64_t middle;
    std::uint64_t last;
    int length;
};

SeventeenDigits splitDigits(std::uint64_t value)
{
    const auto high = static_cast<std::uint32_t>(value / Digits16);
    const std::uint64_t rest = value % Digits16;
    const std::uint64_t middle = eightDigits(static_cast<std::uint32_t>(rest / 100'000'000));
    const std::uint64_t last = eightDigits(static_cast<std::uint32_t>(rest % 100'000'000));
    // The last digits are the highest bytes: the zero bytes on top are the trailing zeros.
    const int length = last != 0 ? 17 - std::countl_zero(last) / 8
        : middle != 0            ? 9 - std::countl_zero(middle) / 8
                                 : 1;
    return { static_cast<char>('0' + high), middle | AsciiZeros, last | AsciiZeros, length };
}

// The digits are stored straight from registers, never copied through a buffer in memory:
// reading back a text just written in pieces stalls the processor on every value.
void storeWord(char *out, std::uint64_t word)
{
    std::memcpy(out, &word, 8);
}

// Writes the 17 digits at out, the first of them followed by the decimal point when point is
// set; returns where the seventeenth ends.
char *storeDigits(char *out, const SeventeenDigits &d, bool point)
{
    out[0] = d.first;
    out[1] = '.';
    const int shift = point ? 1 : 0;
    storeWord(out + 1 + shift, d.middle);
    storeWord(out + 9 + shift, d.last);
    return out + 17 + shift;
}

// Writes the digits as "%.17g" does. out has room for MaxCsvRealLength characters; characters
// beyond the returned end may be overwritten.
char *writeDigits(char *out, std::uint64_t digits, int exponent)
{
    const SeventeenDigits d = splitDigits(digits);
    if (exponent < -4 || exponent >= 17) {
        // d.ddde-XX as "%.17g" writes it.
        storeDigits(out, d, true);
        out += d.length > 1 ? d.length + 1 : 1;
        *out++ = 'e';
        *out++ = exponent < 0 ? '-' : '+';
        const int magnitude = std::abs(exponent);
        if (magnitude < 10)
            *out++ = '0';
        return std::to_chars(out, out + 4, magnitude).ptr;
    }
    if (exponent < 0) {
        // Up to three zeros after the point, then the digits.
        std::memcpy(out, "0.000", 5);
        out += 1 - exponent;
        storeDigits(out, d, false);
        return out + d.length;
    }
    const int whole = exponent + 1;
    if (d.length > whole && whole <= 8) {
        // The point goes among the middle word's characters: the k before it stay, the rest
        // move up one place, and the one pushed out of the word comes next.
        const int k = whole - 1;
        const std::uint64_t kept = (std::uint64_t { 1 } << (8 * k)) - 1;
        const std::uint64_t word
            = (d.middle & kept) | (std::uint64_t { '.' } << (8 * k)) | ((d.middle & ~kept) << 8);
        out[0] = d.first;
        storeWord(out + 1, word);
        out[9] = static_cast<char>(d.middle >> 56);
        storeWord(out + 10, d.last);
        return out + d.length + 1;
    }
    // Whole numbers beyond 2^53 and more than eight digits before the point: rare.
    char text[24];
    storeDigits(text, d, false);
    if (d.length <= whole) {
        std::memcpy(out, text, static_cast<std::size_t>(d.length));
        std::memset(out + d.length, '0', static_cast<std::size_t>(whole - d.length));
        return out + whole;
    }
    std::memcpy(out, text, static_cast<std::size_t>(whole));
    out[whole] = '.';
    std::memcpy(out + whole + 1, text + whole, static_cast<std::size_t>(d.length - whole));
    return out + d.length + 1;
}

// Rows per piece of a long series; a piece is formatted by one worker into its own buffer, and
// a round formats a few pieces per core before they are written in order.
constexpr std::size_t RowsPerPiece = 1 << 14;
constexpr std::size_t PiecesPerCore = 4;
constexpr std::size_t MaxRowLength = 2 * 24 + 7 * (MaxCsvRealLength + 1) + 1;

// A piece: rowCount rows from step firstStep of member firstMember on, running on into the
// following members.
struct Piece
{
    std::size_t firstMember = 0;
    std::size_t firstStep = 0;
    std::size_t rowCount = 0;
};

char *writeRow(char *out, std::size_t member, std::size_t step, const TResultVectors &point)
{
    out = std::to_chars(out, out + 24, member).ptr;
    *out++ = ',';
    out = std::to_chars(out, out + 24, step).ptr;
    for (const double value : { point.Temperature, point.X, point.Y, point.Z, point.Length(),
             point.Declination(), point.Inclination() }) {
        *out++ = ',';
        out = writeCsvReal(out, value);
    }
    *out++ = '\n';
    return out;
}

// Formats the piece into buffer, which has room for its rows; returns the text's end.
char *formatPiece(const ResultSeries &series, const Piece &piece, char *buffer)
{
    char *out = buffer;
    std::size_t member = piece.firstMember;
    std::size_t step = piece.firstStep;
    for (std::size_t row = 0; row < piece.rowCount; ++row) {
        while (step >= series[member].size()) {
            ++member;
            step = 0;
        }
        out = writeRow(out, member, step, series[member][step]);
        ++step;
    }
    return out;
}

std::vector<Piece> piecesOf(const ResultSeries &series)
{
    std::vector<Piece> pieces;
    Piece piece;
    for (std::size_t member = 0; member < series.size(); ++member) {
        for (std::size_t step = 0; step < series[member].size();) {
            if (piece.rowCount == 0) {
                piece.firstMember = member;
                piece.firstStep = step;
            }
            const std::size_t taken
                = std::min(RowsPerPiece - piece.rowCount, series[member].size() - step);
            piece.rowCount += taken;
            step += taken;
            if (piece.rowCount == RowsPerPiece) {
                pieces.push_back(piece);
                piece.rowCount = 0;
            }
        }
    }
    if (piece.rowCount > 0)
        pieces.push_back(piece);
    return pieces;
}

} // namespace

char *writeCsvReal(char *out, double value)
{
    if (!std::isfinite(value) || value == 0)
        return writeSlow(out, value);
    // Whole numbers below 2^53 print as integers, the temperatures among them.
    if (std::fabs(value) < 9007199254740992.0) {
        const auto whole = static_cast<std::int64_t>(value);
        if (static_cast<double>(whole) == value)
            return std::to_chars(out, out + MaxCsvRealLength, whole).ptr;
    }
    std::uint64_t digits = 0;
    int exponent = 0;
    if (!seventeenDigits(std::fabs(value), digits, exponent))
        return writeSlow(out, value);
    if (value < 0)
        *out++ = '-';
    return writeDigits(out, digits, exponent);
}

std::string csvReal(double value)
{
    std::array<char, MaxCsvRealLength> buffer {};
    return std::string(buffer.data(), writeCsvReal(buffer.data(), value));
}

void writeSeriesCsv(std::ostream &out, const ResultSeries &series)
{
    out << SeriesCsvHeader << '\n';
    const std::vector<Piece> pieces = piecesOf(series);
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    // A round formats one piece per worker; the pieces are then written in order, so the
    // buffers in memory stay a few per core whatever the length of the series.
    const std::size_t perRound = pieces.size() > 1 ? threads * PiecesPerCore : 1;
    // Each worker writes into its own buffer, allocated once and never cleared: only the
    // formatted part of it is ever read.
    std::vector<std::unique_ptr<char[]>> buffers(perRound);
    std::vector<char *> ends(perRound);
    std::size_t rows = 0;
    for (const Piece &piece : pieces)
        rows = std::max(rows, piece.rowCount);
    for (auto &buffer : buffers)
        buffer = std::make_unique_for_overwrite<char[]>(rows * MaxRowLength);
    for (std::size_t first = 0; first < pieces.size(); first += perRound) {
        const std::size_t count = std::min(perRound, pieces.size() - first);
        runParallelTasks(
            count, count > 1 ? threads : 1,
            [&](std::size_t index) {
                ends[index] = formatPiece(series, pieces[first + index], buffers[index].get());
            },
            [] {}, [] { return false; });
        for (std::size_t index = 0; index < count; ++index)
            out.write(buffers[index].get(), ends[index] - buffers[index].get());
    }
}

} // namespace Demagora
