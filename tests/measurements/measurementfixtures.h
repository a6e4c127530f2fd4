#pragma once

#include "model/populations.h"
#include "model/randomsource.h"
#include "model/run.h"
#include "model/scatter.h"
#include "support/componentfixtures.h"

#include <sstream>
#include <string>
#include <vector>

namespace Demagora::Fixtures {

// Two overlapping components scattered into 11 members (two-digit names), run from 150 to 580.
inline ResultSeries scatteredRun()
{
    MersenneTwisterSource random(7);
    ComponentPopulations populations(2);
    ScatterComponent(Testing::component(350, 60, 8, 150, 350), 10, populations[0],
        SpectrumShape::Gauss, true, 30, 1.5, random);
    ScatterComponent(Testing::component(170, -40, 5, 300, 580, SpectrumShape::Rectangular), 10,
        populations[1], SpectrumShape::Rectangular, true, 30, 1.5, random);
    ResultSeries series;
    RunDemagnetization(580 - 150, 150, 580, series, populations);
    return series;
}

// The lines of a text, without their line ends.
inline std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line);
    return result;
}

inline std::vector<std::string> split(const std::string &line, char separator)
{
    std::vector<std::string> fields;
    std::string field;
    std::istringstream stream(line);
    while (std::getline(stream, field, separator))
        fields.push_back(field);
    if (!line.empty() && line.back() == separator)
        fields.emplace_back();
    return fields;
}

} // namespace Demagora::Fixtures
