#include "analysis/interpretationlist.h"

#include "analysis/analysiserror.h"
#include "analysis/magicspecimens.h"
#include "analysis/tabletext.h"

#include <map>
#include <sstream>
#include <tuple>

namespace Demagora {

namespace {

constexpr const char *CsvHeader = "specimen,type,from,to";

std::vector<std::string> csvFields(const std::string &line)
{
    std::vector<std::string> fields;
    std::string field;
    std::istringstream stream(line);
    while (std::getline(stream, field, ','))
        fields.push_back(field);
    if (line.ends_with(','))
        fields.emplace_back();
    return fields;
}

std::vector<InterpretationRequest> readCsv(const TextLines &lines, const std::string &fileName)
{
    if (lines.size() == 0 || trimmed(lines.line(0)) != CsvHeader) {
        throw AnalysisError(fileName + " line 1: expected the header \"" + CsvHeader
            + "\" (or a MagIC specimens table)");
    }
    std::vector<InterpretationRequest> requests;
    // A row listed twice would count its fit twice in the site mean.
    std::map<std::tuple<std::string, FitType, double, double>, int> listed;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (trimmed(lines.line(i)).empty())
            continue;
        const std::string where = fileName + " line " + std::to_string(i + 1);
        std::vector<std::string> fields = csvFields(std::string(lines.line(i)));
        if (fields.size() != 4) {
            throw AnalysisError(where + ": expected 4 fields (specimen,type,from,to), found "
                + std::to_string(fields.size()));
        }
        for (std::string &field : fields)
            field = std::string(trimmed(field));
        InterpretationRequest request;
        request.line = static_cast<int>(i + 1);
        request.specimen = fields[0];
        if (request.specimen.empty())
            throw AnalysisError(where + ", specimen: no specimen is named");
        const std::optional<FitType> type = fitTypeNamed(fields[1]);
        if (!type || *type == FitType::VectorMean) {
            throw AnalysisError(where + ", type: '" + fields[1]
                + "' is not a fit (free, anchored, origin or plane)");
        }
        request.type = *type;
        const char *names[2] = { "from", "to" };
        for (int b = 0; b < 2; ++b) {
            const std::optional<double> value = numberOrNothing(fields[2 + b]);
            if (!value) {
                throw AnalysisError(where + ", " + names[b] + ": '" + fields[2 + b]
                    + "' is not a temperature in degrees Celsius");
            }
            (b == 0 ? request.from : request.to) = *value;
        }
        if (request.from > request.to) {
            throw AnalysisError(
                where + ", to: " + fields[3] + " lies below from (" + fields[2] + ")");
        }
        const auto [earlier, first] = listed.emplace(
            std::tuple(request.specimen, request.type, request.from, request.to), request.line);
        if (!first) {
            throw AnalysisError(where + ": repeats line " + std::to_string(earlier->second)
                + " (the same specimen, type and bounds), which would count one fit twice");
        }
        requests.push_back(std::move(request));
    }
    return requests;
}

InterpretationList readMagic(TextLines lines, CoordinateSystem frame)
{
    const MagicSpecimensFits read = readMagicSpecimens(std::move(lines));
    FramedFits framed = fitsForFrame(read.fits, frame);
    InterpretationList list;
    list.table = true;
    list.frames = framed.counts;
    list.otherTreatments = read.otherTreatments;
    list.vectorMeans = read.vectorMeans;
    std::vector<InterpretationRequest> &requests = list.requests;
    for (const SavedInterpretation &saved : framed.fits) {
        InterpretationRequest request;
        request.specimen = saved.specimen;
        request.type = saved.type;
        request.from = saved.from;
        request.to = saved.to;
        request.component = saved.component;
        request.toleranceDegrees = 0.5;
        request.line = saved.line;
        requests.push_back(std::move(request));
    }
    return list;
}

} // namespace

InterpretationList readInterpretationList(
    std::istream &in, const std::string &fileName, CoordinateSystem frame)
{
    TextLines lines = tableLines(in, fileName);
    InterpretationList list;
    if (lines.size() > 0 && lines.line(0).starts_with("tab")) {
        list = readMagic(std::move(lines), frame);
    } else {
        list.requests = readCsv(lines, fileName);
    }
    if (list.requests.empty())
        throw AnalysisError(fileName + ": the list holds no interpretation");
    return list;
}

std::string interpretationListText(const InterpretationList &list, CoordinateSystem frame)
{
    if (!list.table)
        return {};
    std::string text = frameCountsText(list.frames, frame);
    if (list.vectorMeans > 0) {
        text += "; " + std::to_string(list.vectorMeans)
            + " anchored lines read as their program made them (vector means of the steps)";
    }
    if (list.otherTreatments > 0) {
        text += "; " + std::to_string(list.otherTreatments)
            + " fits of steps not in kelvin (alternating field or other) passed over";
    }
    return text;
}

} // namespace Demagora
