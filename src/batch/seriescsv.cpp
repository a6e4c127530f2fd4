#include "batch/seriescsv.h"

#include "model/paralleltasks.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

namespace Demagora {

namespace {

// Powers of ten up to 10^27 are exact in a long double (5^27 < 2^64).
constexpr int ExactPowers = 28;

constexpr std::array<long double, ExactPowers> powersOfTen()
{
    std::array<long double, ExactPowers> powers {};
    long double power = 1;
    for (int k = 0; k < ExactPowers; ++k) {
        powers[static_cast<std::size_t>(k)] = power;
        power *= 10;
    }
    return powers;
}

constexpr std::array<long double, ExactPowers> PowersOfTen = powersOfTen();
constexpr std::uint64_t Digits16 = 10'000'000'000'000'000ULL; // 10^16
constexpr std::uint64_t Digits17 = 100'000'000'000'000'000ULL; // 10^17

char *writeSlow(char *out, double value)
{
    return std::to_chars(out, out + MaxCsvRealLength, value, std::chars_format::general, 17).ptr;
}

// The 17 significant digits of a positive value as an integer from 10^16 to 10^17 - 1 and the
// decimal exponent of its first digit, when a long double product decides the rounding
// beyond doubt: the product of a double and an exact power of ten is rounded once, so the
// digits are off by less than 1/128 of a unit, and a fraction that close to one half is left
// to the exact conversion.
bool seventeenDigits(double value, std::uint64_t &digits, int &exponent)
{
    int binaryExponent = 0;
    std::frexp(value, &binaryExponent);
    // An estimate of the decimal exponent, corrected below.
    int decimal = static_cast<int>(std::floor((binaryExponent - 1) * 0.30102999566398119521));
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int scale = 16 - decimal;
        if (scale < 0 || scale >= ExactPowers)
            return false;
        const long double scaled = static_cast<long double>(value) * PowersOfTen[scale];
        const long double whole = std::floor(scaled);
        const long double fraction = scaled - whole;
        if (std::fabs(fraction - 0.5L) < 0.02L)
            return false;
        std::uint64_t rounded = static_cast<std::uint64_t>(whole) + (fraction > 0.5L ? 1 : 0);
        if (rounded < Digits16) {
            --decimal;
            continue;
        }
        if (rounded >= Digits17) {
            if (rounded == Digits17 && static_cast<std::uint64_t>(whole) == Digits17 - 1) {
                // 99...9.5 and above rounds up to the next power of ten.
                digits = Digits16;
                exponent = decimal + 1;
                return true;
            }
            ++decimal;
            continue;
        }
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

// Rows per piece of a long series; a piece is formatted by one worker into its own buffer.
constexpr std::size_t RowsPerPiece = 1 << 15;
constexpr std::size_t MaxRowLength = 2 * 24 + 7 * (MaxCsvRealLength + 1) + 1;

struct Piece
{
    std::size_t member = 0;
    std::size_t firstStep = 0;
    std::size_t stepCount = 0;
};

void formatPiece(const ResultSeries &series, const Piece &piece, std::string &buffer)
{
    buffer.resize(piece.stepCount * MaxRowLength);
    char *out = buffer.data();
    const ResultSeriesEntry &entry = series[piece.member];
    for (std::size_t step = piece.firstStep; step < piece.firstStep + piece.stepCount; ++step) {
        const TResultVectors &point = entry[step];
        out = std::to_chars(out, out + 24, piece.member).ptr;
        *out++ = ',';
        out = std::to_chars(out, out + 24, step).ptr;
        for (const double value : { point.Temperature, point.X, point.Y, point.Z, point.Length(),
                 point.Declination(), point.Inclination() }) {
            *out++ = ',';
            out = writeCsvReal(out, value);
        }
        *out++ = '\n';
    }
    buffer.resize(static_cast<std::size_t>(out - buffer.data()));
}

std::vector<Piece> piecesOf(const ResultSeries &series)
{
    std::vector<Piece> pieces;
    for (std::size_t member = 0; member < series.size(); ++member) {
        const std::size_t steps = series[member].size();
        for (std::size_t first = 0; first < steps; first += RowsPerPiece)
            pieces.push_back({ member, first, std::min(RowsPerPiece, steps - first) });
    }
    return pieces;
}

} // namespace

char *writeCsvReal(char *out, double value)
{
    if (!std::isfinite(value) || value == 0)
        return writeSlow(out, value);
    // Whole numbers below 2^53 print as integers, the temperatures among them.
    if (std::fabs(value) < 9007199254740992.0 && value == std::trunc(value))
        return std::to_chars(out, out + MaxCsvRealLength, static_cast<std::int64_t>(value)).ptr;
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
    const std::size_t perRound = pieces.size() > 1 ? std::size_t { threads } : 1;
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
