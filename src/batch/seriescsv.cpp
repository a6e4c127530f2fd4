#include "batch/seriescsv.h"

#include "model/paralleltasks.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
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
// mantissa * 5^k * 2^(binaryExponent + k), rounded to nearest. False for values whose scale
// lies outside the table and for exact ties, which the library's conversion settles.
bool seventeenDigits(double value, std::uint64_t &digits, int &exponent)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const int biased = static_cast<int>(bits >> 52);
    if (biased == 0)
        return false;
    const std::uint64_t mantissa
        = (bits & ((std::uint64_t { 1 } << 52) - 1)) | (std::uint64_t { 1 } << 52);
    const int binaryExponent = biased - 1075; // value = mantissa * 2^binaryExponent
    // floor(log10(2^(binaryExponent + 52))), the decimal exponent or one less.
    int decimal = ((binaryExponent + 52) * 78913) >> 18;
    for (int attempt = 0; attempt < 2; ++attempt, ++decimal) {
        const int scale = 16 - decimal;
        if (scale < 0 || scale >= FastScales)
            return false;
        const unsigned __int128 product = static_cast<unsigned __int128>(mantissa)
            * PowersOfFive[static_cast<std::size_t>(scale)];
        const int shift = binaryExponent + scale;
        std::uint64_t rounded = 0;
        if (shift >= 0) {
            if (shift >= 64 || (product >> (64 - shift)) != 0)
                return false;
            rounded = static_cast<std::uint64_t>(product << shift);
        } else if (-shift >= 120) {
            return false;
        } else {
            const int right = -shift;
            const unsigned __int128 remainder
                = product & ((static_cast<unsigned __int128>(1) << right) - 1);
            const unsigned __int128 half = static_cast<unsigned __int128>(1) << (right - 1);
            if (remainder == half)
                return false;
            const unsigned __int128 whole = product >> right;
            if (whole >= Digits17)
                continue;
            rounded = static_cast<std::uint64_t>(whole) + (remainder > half ? 1 : 0);
        }
        if (rounded >= Digits17)
            continue;
        if (rounded < Digits16)
            return false;
        digits = rounded;
        exponent = decimal;
        return true;
    }
    return false;
}

constexpr char DigitPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233"
                              "34353637383940414243444546474849505152535455565758596061626364656667"
                              "6869707172737475767778798081828384858687888990919293949596979899";

// The 17 digits of value, most significant first.
void writeSeventeen(char *out, std::uint64_t value)
{
    for (int position = 15; position >= 1; position -= 2) {
        const std::uint64_t pair = value % 100;
        value /= 100;
        std::memcpy(out + position, DigitPairs + 2 * pair, 2);
    }
    out[0] = static_cast<char>('0' + value);
}

char *writeDigits(char *out, std::uint64_t digits, int exponent)
{
    char text[17];
    writeSeventeen(text, digits);
    int length = 17;
    while (length > 1 && text[length - 1] == '0')
        --length;
    if (exponent < -4 || exponent >= 17) {
        // d.ddde-XX as "%.17g" writes it.
        *out++ = text[0];
        if (length > 1) {
            *out++ = '.';
            std::memcpy(out, text + 1, static_cast<std::size_t>(length - 1));
            out += length - 1;
        }
        *out++ = 'e';
        *out++ = exponent < 0 ? '-' : '+';
        const int magnitude = std::abs(exponent);
        if (magnitude < 10)
            *out++ = '0';
        return std::to_chars(out, out + 4, magnitude).ptr;
    }
    if (exponent < 0) {
        *out++ = '0';
        *out++ = '.';
        for (int zero = 1; zero < -exponent; ++zero)
            *out++ = '0';
        std::memcpy(out, text, static_cast<std::size_t>(length));
        return out + length;
    }
    const int whole = exponent + 1;
    if (length <= whole) {
        std::memcpy(out, text, static_cast<std::size_t>(length));
        out += length;
        for (int zero = length; zero < whole; ++zero)
            *out++ = '0';
        return out;
    }
    std::memcpy(out, text, static_cast<std::size_t>(whole));
    out += whole;
    *out++ = '.';
    std::memcpy(out, text + whole, static_cast<std::size_t>(length - whole));
    return out + (length - whole);
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

void formatPiece(const ResultSeries &series, const Piece &piece, std::string &buffer)
{
    buffer.resize(piece.rowCount * MaxRowLength);
    char *out = buffer.data();
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
    buffer.resize(static_cast<std::size_t>(out - buffer.data()));
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
    std::vector<std::string> buffers(perRound);
    for (std::size_t first = 0; first < pieces.size(); first += perRound) {
        const std::size_t count = std::min(perRound, pieces.size() - first);
        runParallelTasks(
            count, count > 1 ? threads : 1,
            [&](std::size_t index) { formatPiece(series, pieces[first + index], buffers[index]); },
            [] {}, [] { return false; });
        for (std::size_t index = 0; index < count; ++index)
            out.write(buffers[index].data(), static_cast<std::streamsize>(buffers[index].size()));
    }
}

} // namespace Demagora
