#include "analysis/interpretationbatch.h"

#include "analysis/analysiserror.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace Demagora;

namespace {

// Steps along a direction towards the origin, every 100 degrees from 0.
std::vector<FitStep> decay(const Vector3 &direction, int count)
{
    std::vector<FitStep> steps;
    for (int i = 0; i < count; ++i)
        steps.push_back({ 100.0 * i, static_cast<double>(count - i) * direction });
    return steps;
}

} // namespace

TEST(InterpretationBatchTest, FitsAndSiteMeansFollowTheList)
{
    // Site A: two exact lines, north and east, and a circle through both; site B: a specimen
    // whose interval holds too few steps.
    std::vector<FitStep> circle
        = { { 0, { 1, 0, 0 } }, { 100, { 0.7, 0.7, 0 } }, { 200, { 0, 1, 0 } } };
    const std::vector<NamedSteps> specimens = { { "n", "A", decay({ 1, 0, 0 }, 4) },
        { "e", "A", decay({ 0, 1, 0 }, 4) }, { "c", "A", circle }, { "short", "B", circle } };
    std::vector<InterpretationRequest> list = { { "e", FitType::Anchored, 0, 300, "", 0, 2 },
        { "n", FitType::Free, 100, 300, "", 0, 3 }, { "c", FitType::Plane, 0, 200, "", 0, 4 },
        { "short", FitType::Plane, 150, 250, "", 0, 5 } };
    const std::vector<InterpretationResult> results
        = fitInterpretations(list, specimens, "list.csv");
    ASSERT_EQ(results.size(), 4u);
    std::ostringstream fits;
    writeInterpretationFitsCsv(fits, results);
    EXPECT_EQ(fits.str(),
        "specimen,type,from,to,n,declination,inclination,mad,dang,alpha95_from_mad,"
        "alpha95_isotropic,site,component\n"
        "e,anchored,0,300,4,90,0,0,0,0,0,A,\n"
        "n,free,100,300,3,0,0,0,0,0,0,A,\n"
        "c,plane,0,200,3,0,90,0,,,,A,\n"
        "short,plane,200,200,1,,,,,,,B,\n");

    std::ostringstream sites;
    writeSiteMeansCsv(sites, siteMeans(results));
    // North, east and the horizontal circle's point between them at 45: R = 1 + sqrt(2),
    // k = 3 / (2 (3 - R)), cos(alpha95) = 1 - 1.5 / (k R) (20^(2/3) - 1) gives 123 degrees,
    // worked by hand: wider than 90, so no cone is given, and the note says why.
    const std::string text = sites.str();
    EXPECT_TRUE(text.starts_with(
        "site,n_lines,n_planes,declination,inclination,k,alpha95,note\nA,2,1,45,0,"))
        << text;
    EXPECT_NE(text.find(",,the directions are too scattered for a 95% cone (wider than 90 "
                        "degrees)\n"),
        std::string::npos)
        << text;
    EXPECT_TRUE(text.ends_with("\nB,0,0,,,,,no member has a fit\n")) << text;
    const SiteMean mean = *siteMeans(results)[0].mean;
    EXPECT_NEAR(*mean.k, 2.5606601717798205, 1e-12);
    EXPECT_FALSE(mean.alpha95);
}

TEST(InterpretationBatchTest, UnknownSpecimenIsNamedWithItsListLine)
{
    const std::vector<NamedSteps> specimens = { { "a", "S", decay({ 1, 0, 0 }, 3) } };
    const std::vector<InterpretationRequest> list = { { "b", FitType::Free, 0, 300, "", 0, 7 } };
    try {
        fitInterpretations(list, specimens, "list.csv");
        FAIL() << "no error";
    } catch (const AnalysisError &error) {
        EXPECT_EQ(std::string(error.what()), "list.csv line 7: there is no specimen named 'b'");
    }
}

// Interpretations that name their components (as a MagIC specimens table does) are averaged
// per component: a low- and a high-temperature line are never one mean.
TEST(InterpretationBatchTest, NamedComponentsHaveMeansOfTheirOwn)
{
    const std::vector<NamedSteps> specimens
        = { { "a", "S", decay({ 1, 0, 0 }, 4) }, { "b", "S", decay({ 0, 1, 0 }, 4) } };
    const std::vector<InterpretationRequest> list
        = { { "a", FitType::Anchored, 0, 300, "HT", 0, 2 },
              { "b", FitType::Anchored, 0, 300, "LT", 0, 3 },
              { "b", FitType::Anchored, 0, 300, "HT", 0, 4 } };
    std::ostringstream sites;
    writeSiteMeansCsv(sites, siteMeans(fitInterpretations(list, specimens, "specimens.txt")));
    const std::string text = sites.str();
    EXPECT_TRUE(text.starts_with(
        "site,n_lines,n_planes,declination,inclination,k,alpha95,component,note\nS,2,0,45,0,"))
        << text;
    EXPECT_NE(text.find(",HT,the directions are too scattered for a 95% cone (wider than 90 "
                        "degrees)\nS,1,0,90,0,,,LT,one line has no k nor cone\n"),
        std::string::npos)
        << text;
}

namespace Demagora {
namespace {

// Names come from files: a comma or a quote in one is quoted, so that no column moves.
TEST(InterpretationBatchTest, NamesWithCommasAndQuotesKeepTheirColumns)
{
    InterpretationResult result;
    result.request.specimen = "S,1";
    result.request.component = "L\"T";
    result.site = "north, upper";
    std::ostringstream fits;
    writeInterpretationFitsCsv(fits, std::span(&result, 1));
    EXPECT_TRUE(fits.str().ends_with(",\"north, upper\",\"L\"\"T\"\n")) << fits.str();
    EXPECT_NE(fits.str().find("\n\"S,1\",free,"), std::string::npos) << fits.str();

    SiteResult site;
    site.site = "north, upper";
    site.component = "LT";
    std::ostringstream means;
    writeSiteMeansCsv(means, std::span(&site, 1));
    EXPECT_NE(means.str().find("\n\"north, upper\",0,0,"), std::string::npos) << means.str();
}

} // namespace
} // namespace Demagora
