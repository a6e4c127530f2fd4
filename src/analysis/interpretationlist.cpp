#include "analysis/interpretationlist.h"

#include "analysis/analysiserror.h"
#include "analysis/magicspecimens.h"
#include "analysis/tabletext.h"

#include <sstream>

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

std::string trimmedText(const std::string &text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::vector<InterpretationRequest> readCsv(
    const std::vector<std::string> &lines, const std::string &fileName)
{
    if (lines.empty() || trimmedText(lines.front()) != CsvHeader) {
        throw AnalysisError(fileName + " line 1: expected the header \"" + CsvHeader
            + "\" (or a MagIC specimens table)");
    }
    std::vector<InterpretationRequest> requests;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (trimmedText(lines[i]).empty())
            continue;
        const std::string where = fileName + " line " + std::to_string(i + 1);
        std::vector<std::string> fields = csvFields(lines[i]);
        if (fields.size() != 4) {
            throw AnalysisError(where + ": expected 4 fields (specimen,type,from,to), found "
                + std::to_string(fields.size()));
        }
        for (std::string &field : fields)
            field = trimmedText(field);
        InterpretationRequest request;
        request.line = static_cast<int>(i + 1);
        request.specimen = fields[0];
        if (request.specimen.empty())
            throw AnalysisError(where + ", specimen: no specimen is named");
        const std::optional<FitType> type = fitTypeNamed(fields[1]);
        if (!type) {
            throw AnalysisError(where + ", type: '" + fields[1]
                + "' is not a fit (free, anchored, origin or plane)");
        }
        request.type = *type;
        const char *names[2] = { "from", "to" };
        for (int b = 0; b < 2; ++b) {
            const std::optional<double> value = parseReal(fields[2 + b]);
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
        requests.push_back(std::move(request));
    }
    return requests;
}

std::vector<InterpretationRequest> readMagic(std::istream &in, const std::string &fileName)
{
    std::vector<InterpretationRequest> requests;
    for (const SavedInterpretation &saved : readMagicSpecimens(in, fileName)) {
        InterpretationRequest request;
        request.specimen = saved.specimen;
        request.type = saved.type;
        request.from = saved.fromCelsius;
        request.to = saved.toCelsius;
        request.component = saved.component;
        request.toleranceDegrees = 0.5;
        request.line = saved.line;
        requests.push_back(std::move(request));
    }
    return requests;
}

} // namespace

std::vector<InterpretationRequest> readInterpretationList(
    std::istream &in, const std::string &fileName)
{
    std::vector<std::string> lines = textLines(in, fileName);
    std::vector<InterpretationRequest> requests;
    if (!lines.empty() && lines.front().starts_with("tab")) {
        std::string text;
        for (const std::string &line : lines)
            text += line + '\n';
        std::istringstream table(text);
        requests = readMagic(table, fileName);
    } else {
        requests = readCsv(lines, fileName);
    }
    if (requests.empty())
        throw AnalysisError(fileName + ": the list holds no interpretation");
    return requests;
}

} // namespace Demagora
