#include "batch/seriescsv.h"

#include "batch/orderedpieces.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
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

// The doubles nearest to 10^-6 ... 10^17, against which a value's decimal exponent is settled.
constexpr std::array<double, 24> DecadeStarts = { 1e-6, 1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2,
    1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17 };

// The digits of seventeenDigits for the values most series hold, from 10^-6 to about 10^15,
// in fewer steps: the decimal exponent is settled by one comparison with the start of its
// decade, so the product has exactly 17 digits before the point, and the part shifted off
// lies within one 64-bit word. False for other values, for exact ties and for the one value
// of a decade that its start, rounded down, would misplace; seventeenDigits settles those.
inline bool commonSeventeenDigits(double value, std::uint64_t &digits, int &exponent)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const int biased = static_cast<int>(bits >> 52);
    // floor(log10(2^(biased - 1023))): the decimal exponent or one less.
    const int estimate = ((biased - 1023) * 78913) >> 18;
    const auto decade = static_cast<unsigned>(estimate + 7);
    if (decade >= DecadeStarts.size())
        return false;
    const int decimal = estimate + (value >= DecadeStarts[decade] ? 1 : 0);
    const auto scale = static_cast<unsigned>(16 - decimal);
    if (scale >= FastScales)
        return false;
    const std::uint64_t mantissa
        = (bits & ((std::uint64_t { 1 } << 52) - 1)) | (std::uint64_t { 1 } << 52);
    // value * 10^scale = mantissa * 5^scale / 2^right.
    const unsigned __int128 product
        = static_cast<unsigned __int128>(mantissa) * PowersOfFive[scale];
    const auto right = static_cast<unsigned>(1075 - biased - static_cast<int>(scale));
    if (right - 1 > 62)
        return false;
    const auto whole = static_cast<std::uint64_t>(product >> right);
    // Below 10^16 only when the decade's start misplaced the value.
    if (whole < Digits16)
        return false;
    const std::uint64_t half = std::uint64_t { 1 } << (right - 1);
    const std::uint64_t fraction = static_cast<std::uint64_t>(product) & ((half << 1) - 1);
    if (fraction == half)
        return false;
    std::uint64_t rounded = whole + (fraction > half ? 1 : 0);
    int first = decimal;
    if (rounded >= Digits17) {
        // Rounded up to the next power of ten.
        rounded = Digits16;
        ++first;
    }
    digits = rounded;
    exponent = first;
    return true;
}

constexpr std::uint64_t Digits8 = 100'000'000;
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

// The four characters of every number below 10^4, first digit in the lowest byte.
constexpr std::array<std::uint32_t, 10000> fourDigitTexts()
{
    std::array<std::uint32_t, 10000> texts {};
    for (std::uint32_t i = 0; i < texts.size(); ++i) {
        texts[i] = ('0' + i / 1000) | (('0' + i / 100 % 10) << 8) | (('0' + i / 10 % 10) << 16)
            | (('0' + i % 10) << 24);
    }
    return texts;
}

alignas(64) constexpr std::array<std::uint32_t, 10000> FourDigitTexts = fourDigitTexts();

// The digits of value, from 10^16 to 10^17 - 1: the first, and the others as four groups of
// four read from a table (40 KB, mostly in the processor's near caches while a series is
// written). Both quotients by 10^8 and 10^16 come from value itself, which keeps the chain of
// multiplications short.
inline SeventeenDigits splitDigits(std::uint64_t value)
{
    const std::uint64_t upper = value / Digits8;
    const auto high = static_cast<std::uint32_t>(value / Digits16);
    const auto lower = static_cast<std::uint32_t>(value - upper * Digits8);
    const auto middle = static_cast<std::uint32_t>(upper - std::uint64_t { high } * Digits8);
    const std::uint32_t middleHigh = middle / 10000;
    const std::uint32_t lowerHigh = lower / 10000;
    const std::uint64_t middleText = FourDigitTexts[middleHigh]
        | (std::uint64_t { FourDigitTexts[middle - middleHigh * 10000] } << 32);
    const std::uint64_t lastText = FourDigitTexts[lowerHigh]
        | (std::uint64_t { FourDigitTexts[lower - lowerHigh * 10000] } << 32);
    // The digits are the highest bytes: the bytes of '0' on top are the trailing zeros.
    const std::uint64_t last = lastText ^ AsciiZeros;
    const std::uint64_t middleDigits = middleText ^ AsciiZeros;
    const int length = last != 0 ? 17 - std::countl_zero(last) / 8
        : middleDigits != 0      ? 9 - std::countl_zero(middleDigits) / 8
                                 : 1;
    return { static_cast<char>('0' + high), middleText, lastText, length };
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

// The digits in the notations that are rare in a series: d.ddde-XX, and whole numbers or
// more than eight digits before the point.
[[gnu::noinline]] char *writeRareDigits(char *out, const SeventeenDigits &d, int exponent)
{
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
    const int whole = exponent + 1;
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

// Writes the digits as "%.17g" does. out has room for MaxCsvRealLength characters; characters
// beyond the returned end may be overwritten. Inline, with the rare notations out of line.
[[gnu::always_inline]] inline char *writeDigits(char *out, std::uint64_t digits, int exponent)
{
    const SeventeenDigits d = splitDigits(digits);
    if (exponent >= -4 && exponent < 0) {
        // Up to three zeros after the point, then the digits.
        std::memcpy(out, "0.000", 5);
        out += 1 - exponent;
        storeDigits(out, d, false);
        return out + d.length;
    }
    const int whole = exponent + 1;
    if (exponent >= 0 && d.length > whole && whole <= 8) {
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
    return writeRareDigits(out, d, exponent);
}

// writeCsvReal for every value but the common ones.
[[gnu::noinline]] char *writeOtherReal(char *out, double value)
{
    if (!std::isfinite(value) || value == 0)
        return writeSlow(out, value);
    // Whole numbers below 2^53 print as integers.
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

// writeCsvReal, inline in the rows of a series.
[[gnu::always_inline]] inline char *formatReal(char *out, double value)
{
    std::uint64_t digits = 0;
    int exponent = 0;
    // Most values: no branch on the sign, whole numbers among them (their digits end before
    // the point).
    if (commonSeventeenDigits(std::fabs(value), digits, exponent)) [[likely]] {
        *out = '-';
        return writeDigits(out + (value < 0 ? 1 : 0), digits, exponent);
    }
    return writeOtherReal(out, value);
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(DEMAGORA_TSAN)
#define AlsoForX86_64v3 __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define AlsoForX86_64v3
#endif

// Rows per piece of a long series; a piece is formatted by one worker into a buffer of its
// own and written in order (writePiecesInOrder).
constexpr std::size_t RowsPerPiece = 1 << 14;
constexpr std::size_t MaxRowLength = 2 * 24 + 7 * (MaxCsvRealLength + 1) + 1;

// A piece: rowCount rows from step firstStep of curve firstCurve on, running on into the
// following curves.
struct Piece
{
    std::size_t firstCurve = 0;
    std::size_t firstStep = 0;
    std::size_t rowCount = 0;
};

// The text "step,temperature," of a step, kept for the rows of the following members, which
// nearly always share the step's temperature.
struct StepText
{
    static constexpr std::size_t Room = 64;
    std::uint64_t temperatureBits = 0;
    bool known = false;
    std::uint8_t length = 0;
    std::array<char, Room> text;
};

// The "member," text of the member whose rows are being written.
struct MemberText
{
    std::array<char, 32> text;
    std::size_t length = 0;
};

// Formats the rows of a piece; memberOffset is the member number of the first curve.
class PieceFormatter
{
public:
    // Compiled twice where the compiler can, the second time for x86-64 processors with AVX2,
    // BMI2 and LZCNT, chosen when the program starts: the same operations in the same order
    // (contraction stays off), only shorter instructions for the shifts and zero counts.
    AlsoForX86_64v3 char *format(std::span<const ResultSeriesEntry> curves,
        std::size_t memberOffset, const Piece &piece, char *out)
    {
        std::size_t curve = piece.firstCurve;
        std::size_t step = piece.firstStep;
        setMember(memberOffset + curve);
        for (std::size_t row = 0; row < piece.rowCount; ++row) {
            while (step >= curves[curve].size()) {
                ++curve;
                step = 0;
                setMember(memberOffset + curve);
            }
            out = writeRow(out, step, curves[curve][step]);
            ++step;
        }
        return out;
    }

private:
    void setMember(std::size_t member)
    {
        char *end = std::to_chars(m_member.text.data(), m_member.text.data() + 24, member).ptr;
        *end++ = ',';
        m_member.length = static_cast<std::size_t>(end - m_member.text.data());
    }

    [[gnu::always_inline]] const StepText &stepText(std::size_t step, double temperature)
    {
        const auto bits = std::bit_cast<std::uint64_t>(temperature);
        if (step < m_steps.size() && m_steps[step].known && m_steps[step].temperatureBits == bits)
            [[likely]]
            return m_steps[step];
        return newStepText(step, temperature);
    }

    [[gnu::noinline]] const StepText &newStepText(std::size_t step, double temperature)
    {
        if (step >= m_steps.size())
            m_steps.resize(step + 1);
        StepText &known = m_steps[step];
        char *out = std::to_chars(known.text.data(), known.text.data() + 24, step).ptr;
        *out++ = ',';
        out = writeCsvReal(out, temperature);
        *out++ = ',';
        known.length = static_cast<std::uint8_t>(out - known.text.data());
        known.temperatureBits = std::bit_cast<std::uint64_t>(temperature);
        known.known = true;
        return known;
    }

    [[gnu::always_inline]] char *writeRow(char *out, std::size_t step, const TResultVectors &point)
    {
        // Both texts are copied whole, in fixed sizes, and the end set after them.
        std::memcpy(out, m_member.text.data(), m_member.text.size());
        out += m_member.length;
        const StepText &known = stepText(step, point.Temperature);
        std::memcpy(out, known.text.data(), known.text.size());
        out += known.length;
        // Written out one by one, so that the values stay in registers.
        const double length = point.Length();
        const double declination = point.Declination();
        const double inclination = TResultVectors::InclinationOf(point.Z, length);
        out = formatReal(out, point.X);
        *out++ = ',';
        out = formatReal(out, point.Y);
        *out++ = ',';
        out = formatReal(out, point.Z);
        *out++ = ',';
        out = formatReal(out, length);
        *out++ = ',';
        out = formatReal(out, declination);
        *out++ = ',';
        out = formatReal(out, inclination);
        *out++ = '\n';
        return out;
    }

    MemberText m_member;
    std::vector<StepText> m_steps;
};

std::vector<Piece> piecesOf(std::span<const ResultSeriesEntry> curves)
{
    std::vector<Piece> pieces;
    Piece piece;
    for (std::size_t curve = 0; curve < curves.size(); ++curve) {
        for (std::size_t step = 0; step < curves[curve].size();) {
            if (piece.rowCount == 0) {
                piece.firstCurve = curve;
                piece.firstStep = step;
            }
            const std::size_t taken
                = std::min(RowsPerPiece - piece.rowCount, curves[curve].size() - step);
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

unsigned coreCount()
{
    return std::max(1U, std::thread::hardware_concurrency());
}

} // namespace

char *writeCsvReal(char *out, double value)
{
    return formatReal(out, value);
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
    const unsigned workers = coreCount();
    std::vector<PieceFormatter> formatters(workers);
    writePiecesInOrder(out, pieces.size(), workers, RowsPerPiece * MaxRowLength,
        [&](std::size_t piece, unsigned worker, char *buffer) {
            return formatters[worker].format(series, 0, pieces[piece], buffer);
        });
}

void writeSeriesCsv(std::ostream &out, const PreparedRun &run)
{
    if (!run.complete())
        throw std::logic_error("the series of a run whose tables were not built");
    out << SeriesCsvHeader << '\n';
    const std::size_t members = run.memberCount();
    const std::size_t steps = run.stepCount();
    const unsigned workers = coreCount();
    std::vector<PieceFormatter> formatters(workers);
    std::vector<ResultSeries> curves(workers);
    if (steps <= RowsPerPiece) {
        // A piece is a group of whole members, whose curves its worker computes first.
        const std::size_t perPiece = RowsPerPiece / steps;
        writePiecesInOrder(out, (members + perPiece - 1) / perPiece, workers,
            RowsPerPiece * MaxRowLength, [&](std::size_t piece, unsigned worker, char *buffer) {
                const std::size_t first = piece * perPiece;
                ResultSeries &own = curves[worker];
                own.resize(std::min(perPiece, members - first));
                run.memberCurves(first, own);
                return formatters[worker].format(
                    own, first, Piece { 0, 0, own.size() * steps }, buffer);
            });
        return;
    }
    // Longer curves are written in parts, each worker computing the curve of the parts it
    // formats (once for several parts in a row).
    const std::size_t parts = (steps + RowsPerPiece - 1) / RowsPerPiece;
    std::vector<std::size_t> memberOf(workers, members);
    writePiecesInOrder(out, members * parts, workers, RowsPerPiece * MaxRowLength,
        [&](std::size_t piece, unsigned worker, char *buffer) {
            const std::size_t member = piece / parts;
            const std::size_t firstStep = piece % parts * RowsPerPiece;
            ResultSeries &own = curves[worker];
            own.resize(1);
            if (memberOf[worker] != member) {
                run.memberCurve(member, own[0]);
                memberOf[worker] = member;
            }
            return formatters[worker].format(own, member,
                Piece { 0, firstStep, std::min(RowsPerPiece, steps - firstStep) }, buffer);
        });
}

} // namespace Demagora
