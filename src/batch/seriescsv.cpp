#include "batch/seriescsv.h"

#include "batch/orderedpieces.h"
#include "model/paralleltasks.h"
#include "text/csvreal.h"
#include "text/csvrealdigits.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <vector>

namespace Demagora {

namespace {

using CsvRealDigits::formatReal;

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
    char *format(std::span<const ResultSeriesEntry> curves, std::size_t memberOffset,
        const Piece &piece, char *out)
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

} // namespace

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
