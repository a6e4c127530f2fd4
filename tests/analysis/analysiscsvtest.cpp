#include "analysis/analysiscsv.h"

#include "support/csvfields.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

using namespace Demagora;
using Demagora::Testing::splitFields;

namespace {

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line);
    return result;
}

RunAnalysis sampleAnalysis()
{
    RunAnalysis analysis;
    analysis.type = FitType::Anchored;
    analysis.from = 300;
    analysis.to = 550;
    Fit fit;
    fit.type = FitType::Anchored;
    fit.n = 3;
    fit.angles = { 123.456789012345678, -0.1 };
    fit.mad = 2.5;
    fit.dang = 1.0 / 3.0;
    analysis.fits.push_back({ 0, 3, 301, 305, fit, "", { 11.5, 170.25 } });
    analysis.fits.push_back({ 1, 3, 301, 305, std::nullopt, "no line", {} });
    analysis.meanAnglesToComponents = { 12.0, std::nullopt };
    FisherStatistics equal;
    equal.n = 2;
    equal.r = 2;
    equal.mean = AngularDirection { 10, 20 };
    equal.k = std::numeric_limits<double>::infinity();
    equal.alpha95 = 0;
    equal.angularDeviation = 0;
    FisherStatistics single;
    single.n = 1;
    single.r = 1;
    single.mean = AngularDirection { 350, -40 };
    analysis.sets = { { "fitted", equal }, { "component_1", single }, { "component_2", {} } };
    return analysis;
}

} // namespace

TEST(AnalysisCsvTest, FitsRowsPerMemberWithEmptyFieldsForNoFit)
{
    std::ostringstream out;
    writeFitsCsv(out, sampleAnalysis());
    const auto rows = lines(out.str());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0],
        "member,type,from,to,n,declination,inclination,mad,dang,angle_to_component_1,"
        "angle_to_component_2");
    const auto fields = splitFields(rows[1]);
    ASSERT_EQ(fields.size(), 11u);
    EXPECT_EQ(fields[0], "0");
    EXPECT_EQ(fields[1], "anchored");
    EXPECT_EQ(fields[2], "301");
    EXPECT_EQ(fields[3], "305");
    EXPECT_EQ(fields[4], "3");
    EXPECT_EQ(std::stod(fields[5]), 123.456789012345678);
    EXPECT_EQ(fields[6], "-0.10000000000000001");
    EXPECT_EQ(fields[7], "2.5");
    EXPECT_EQ(std::stod(fields[8]), 1.0 / 3.0);
    EXPECT_EQ(fields[9], "11.5");
    EXPECT_EQ(fields[10], "170.25");
    EXPECT_EQ(rows[2], "1,anchored,301,305,3,,,,,,");
}

TEST(AnalysisCsvTest, FisherRowsLeaveInfiniteAndMissingValuesEmpty)
{
    std::ostringstream out;
    writeFisherCsv(out, sampleAnalysis());
    const auto rows = lines(out.str());
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], "set,n,declination,inclination,r,k,alpha95,angular_deviation");
    EXPECT_EQ(rows[1], "fitted,2,10,20,2,,0,0");
    EXPECT_EQ(rows[2], "component_1,1,350,-40,1,,,");
    EXPECT_EQ(rows[3], "component_2,0,,,,,,");
}
