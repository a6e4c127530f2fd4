#include "model/run.h"

#include "model/scatter.h"
#include "model/spectrumtable.h"
#include "literalrun.h"
#include "modelfixtures.h"
#include "support/componentfixtures.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>

using namespace Demagora;
using Demagora::Testing::component;

namespace {

bool sameBits(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

void expectSameSeries(const ResultSeries &fast, const ResultSeries &literal)
{
    ASSERT_EQ(fast.size(), literal.size());
    for (std::size_t m = 0; m < fast.size(); ++m) {
        ASSERT_EQ(fast[m].size(), literal[m].size()) << "member " << m;
        for (std::size_t s = 0; s < fast[m].size(); ++s) {
            const TResultVectors &a = fast[m][s];
            const TResultVectors &b = literal[m][s];
            ASSERT_TRUE(sameBits(a.Temperature, b.Temperature) && sameBits(a.X, b.X)
                && sameBits(a.Y, b.Y) && sameBits(a.Z, b.Z))
                << "member " << m << " step " << s << ": " << a.X << " " << a.Y << " " << a.Z
                << " against " << b.X << " " << b.Y << " " << b.Z;
        }
    }
}

void expectFastEqualsLiteral(const ComponentPopulations &populations, std::int32_t pointCount,
    std::int32_t low, std::int32_t high, unsigned threads)
{
    ComponentPopulations literalPopulations = populations;
    ResultSeries literal;
    Literal::run(pointCount, low, high, literal, literalPopulations);

    ComponentPopulations fastPopulations = populations;
    ResultSeries fast;
    RunDemagnetization(pointCount, low, high, fast, fastPopulations, nullptr, threads);
    expectSameSeries(fast, literal);
    for (std::size_t i = 0; i < populations.size(); ++i) {
        for (std::size_t m = 0; m < populations[i].size(); ++m)
            EXPECT_EQ(fastPopulations[i][m].Temperature, literalPopulations[i][m].Temperature);
    }
}

// A blocking temperature: whole, at a tenth, or anywhere, so that the drifting samples
// fall on both sides of the whole-degree steps.
double randomTemperature(std::mt19937_64 &engine, double low, double high)
{
    std::uniform_real_distribution<double> anywhere(low, high);
    switch (engine() % 3) {
    case 0:
        return std::floor(anywhere(engine));
    case 1:
        return std::floor(anywhere(engine) * 10) / 10;
    default:
        return anywhere(engine);
    }
}

TVector randomSpectrum(std::mt19937_64 &engine)
{
    TVector v;
    v.SigmaCount = 3;
    v.BlockLow = randomTemperature(engine, -10, 50);
    switch (engine() % 6) {
    case 0: // reversed
        v.BlockHigh = v.BlockLow - randomTemperature(engine, 0, 20);
        break;
    case 1: // zero width
        v.BlockHigh = v.BlockLow;
        break;
    default:
        v.BlockHigh = v.BlockLow + randomTemperature(engine, 0.05, 40);
    }
    const std::uint64_t shape = engine() % 5;
    v.Shape = static_cast<SpectrumShape>(shape < 3 ? 0 : shape - 2);
    return v;
}

ComponentPopulations randomPopulations(std::mt19937_64 &engine)
{
    std::uniform_real_distribution<double> angle(-180, 360);
    std::normal_distribution<double> height(3, 4);
    const std::size_t populationCount = 1 + engine() % 3;
    const std::size_t n = 1 + engine() % 4;
    ComponentPopulations populations(populationCount);
    for (Population &p : populations) {
        const TVector spectrum = randomSpectrum(engine);
        // Most populations share one spectrum as scattering builds them; some members get
        // a spectrum of their own.
        const bool ownSpectra = engine() % 4 == 0;
        const bool differentHeights = engine() % 2 == 0;
        const double commonHeight = height(engine);
        for (std::size_t m = 0; m < n; ++m) {
            TVector member = ownSpectra ? randomSpectrum(engine) : spectrum;
            member.Declination = std::floor(angle(engine) / 90) * 90;
            if (engine() % 3)
                member.Declination = angle(engine);
            member.Inclination = std::floor(angle(engine) / 90) * 90 / 2;
            if (engine() % 3)
                member.Inclination = angle(engine) / 2;
            member.Height = differentHeights ? height(engine) : commonHeight;
            p.push_back(member);
        }
    }
    return populations;
}

} // namespace

TEST(FastRunTest, EqualsLiteralRunBitForBitOnRandomComponents)
{
    std::mt19937_64 engine(20261207);
    for (int trial = 0; trial < 40; ++trial) {
        SCOPED_TRACE(trial);
        const ComponentPopulations populations = randomPopulations(engine);
        std::int32_t low = -15 + static_cast<std::int32_t>(engine() % 30);
        std::int32_t high = low + 1 + static_cast<std::int32_t>(engine() % 70);
        const std::int32_t range = high - low;
        const std::int32_t pointCount
            = engine() % 2 ? range : 1 + static_cast<std::int32_t>(engine() % range);
        expectFastEqualsLiteral(populations, pointCount, low, high, 1 + trial % 3);
    }
}

TEST(FastRunTest, EqualsLiteralRunWhereSamplesDriftNextToWholeDegrees)
{
    // From 600 and from 200 the samples drift to either side of the whole degrees below.
    const ComponentPopulations populations = {
        { component(10, 20, 3, 500, 600), component(15, 25, -2, 500, 600) },
        { component(90, 0, 1, 100, 200, SpectrumShape::Rectangular),
            component(180, 0, 5, 100, 200, SpectrumShape::Rectangular) },
        { component(200, -60, 0.7, 150.3, 420.9), component(210, -50, 0.9, 150.3, 420.9) },
    };
    expectFastEqualsLiteral(populations, 500, 100, 600, 2);
}

TEST(FastRunTest, EqualsLiteralRunOnScatteredPopulations)
{
    MersenneTwisterSource random(99);
    ComponentPopulations populations(3);
    ScatterComponent(component(30, 45, 10, 100, 180), 6, populations[0], SpectrumShape::Gauss, true,
        30, 3, random);
    ScatterComponent(component(200, -20, 4, 140.5, 230.2), 6, populations[1],
        SpectrumShape::Rectangular, true, 10, 1, random);
    ScatterComponent(component(300, 70, 6, 90.9, 120), 6, populations[2], SpectrumShape::Gauss,
        false, 70, 3, random);
    const RunRange range = computeRunRange(populations);
    expectFastEqualsLiteral(populations, range.pointCount, range.low, range.high, 2);
}

// Members summed side by side give each the sum Remaining gives it alone, for any number of
// members (whole groups of lanes and a rest), both shapes, and step temperatures below and
// inside the spectrum.
TEST(SpectrumTableTest, MembersSummedTogetherEqualEachMembersOwnSum)
{
    for (const SpectrumShape shape : { SpectrumShape::Gauss, SpectrumShape::Rectangular }) {
        TVector spectrum;
        spectrum.SigmaCount = 3;
        spectrum.BlockLow = 120.3;
        spectrum.BlockHigh = 480.7;
        spectrum.Shape = shape;
        for (const double lowest : { 50.0, 301.0 }) {
            SCOPED_TRACE(lowest);
            const SpectrumTable table(spectrum, { lowest, 400 });
            std::vector<TVector> members(9, spectrum);
            std::vector<const TVector *> pointers;
            for (std::size_t m = 0; m < members.size(); ++m) {
                members[m].Height = 0.7 + 1.3 * static_cast<double>(m);
                pointers.push_back(&members[m]);
            }
            for (std::size_t count = 1; count <= members.size(); ++count) {
                std::vector<double> sums(count);
                table.lowestRemaining(std::span(pointers.data(), count), sums);
                for (std::size_t m = 0; m < count; ++m)
                    EXPECT_EQ(sums[m], members[m].Remaining(lowest)) << count << " " << m;
            }
            // Whole curves, up to four members at once, from the third member on.
            for (std::size_t count = 1; count <= SpectrumTable::Lanes; ++count) {
                std::vector<std::vector<double>> curves(count);
                table.remainingSideBySide(std::span(pointers.data() + 2, count), curves);
                for (std::size_t m = 0; m < count; ++m) {
                    EXPECT_EQ(curves[m],
                        (std::vector {
                            members[m + 2].Remaining(lowest), members[m + 2].Remaining(400) }))
                        << count << " " << m;
                }
            }
        }
    }
}
