#include "analysis/analysissummary.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Demagora;

TEST(AnalysisSummaryTest, NamesTheFitTheMeansAndTheDrawnPrecision)
{
    RunAnalysis analysis;
    analysis.type = FitType::Origin;
    analysis.from = 300;
    analysis.to = 550.5;
    Fit fit;
    analysis.fits = { { 0, 3, 300, 550, fit, "", {} }, { 1, 3, 300, 550, std::nullopt, "x", {} } };
    FisherStatistics fitted { 2, 1.99, AngularDirection { 170.84, -38.66 }, 99.5, 12.34, 8.12 };
    FisherStatistics equal { 2, 2, AngularDirection { 10, 20 },
        std::numeric_limits<double>::infinity(), 0, 0 };
    FisherStatistics single { 1, 1, AngularDirection { 350, -40 }, {}, {}, {} };
    analysis.sets = { { "fitted", fitted }, { "component_1", equal }, { "component_2", single } };
    analysis.meanAnglesToComponents = { 159.79, std::nullopt };
    EXPECT_EQ(analysisSummary(analysis, 30, ","),
        "Line with origin from 300,0 to 550,5 degrees: 1 of 2 members fitted.\n"
        "Fitted directions: N = 2, mean 170,8 / -38,7, R = 1,9900, k = 99,5, alpha95 = 12,3, "
        "angular deviation = 8,1\n"
        "Angles from the mean: component 1 159,8 degrees\n"
        "Component 1 as drawn (typed Fisher's k 30): N = 2, mean 10,0 / 20,0, R = 2,0000, "
        "k infinite, alpha95 = 0,0, angular deviation = 0,0\n"
        "Component 2 as drawn (typed Fisher's k 30): N = 1, mean 350,0 / -40,0, R = 1,0000; "
        "k and alpha95 need at least two directions");
}
