#include "batch/seriescsv.h"

#include <array>
#include <charconv>

namespace Demagora {

std::string csvReal(double value)
{
    std::array<char, 40> buffer {};
    const auto result = std::to_chars(
        buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general, 17);
    return std::string(buffer.data(), result.ptr);
}

void writeSeriesCsv(std::ostream &out, const ResultSeries &series)
{
    out << SeriesCsvHeader << '\n';
    std::string row;
    for (std::size_t member = 0; member < series.size(); ++member) {
        const ResultSeriesEntry &entry = series[member];
        for (std::size_t step = 0; step < entry.size(); ++step) {
            const TResultVectors &point = entry[step];
            row = std::to_string(member);
            row += ',';
            row += std::to_string(step);
            for (const double value : { point.Temperature, point.X, point.Y, point.Z,
                     point.Length(), point.Declination(), point.Inclination() }) {
                row += ',';
                row += csvReal(value);
            }
            row += '\n';
            out << row;
        }
    }
}

} // namespace Demagora
