#include "model/initialdirections.h"
#include "model/randomsource.h"
#include "model/scatter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace Demagora {
namespace {

// The start directions of every member are the members' own GetX, GetY and Remaining at the
// start of the run, bit for bit, whichever way they are summed: Gauss and rectangular
// spectra, different lengths, more members than one worker takes at a time, and spectra that
// change from member to member among those summed together.
TEST(InitialDirectionsTest, EqualTheMembersOwnValues)
{
    MersenneTwisterSource random(20261208);
    ComponentPopulations populations;
    for (const SpectrumShape shape : { SpectrumShape::Gauss, SpectrumShape::Rectangular }) {
        TVector v;
        v.SigmaCount = 3;
        v.Declination = 40;
        v.Inclination = -20;
        v.Height = 7;
        v.BlockLow = shape == SpectrumShape::Gauss ? 120 : 80.5;
        v.BlockHigh = shape == SpectrumShape::Gauss ? 480 : 300.25;
        v.Shape = shape;
        Population population;
        ScatterComponent(v, 5000, population, shape, true, 20, 1.5, random);
        populations.push_back(std::move(population));
    }
    Population mixed;
    for (int m = 0; m < 23; ++m) {
        TVector v;
        v.SigmaCount = 2;
        v.Declination = 10.0 * m;
        v.Inclination = 45;
        v.Height = 1 + m;
        v.BlockLow = 90;
        v.BlockHigh = m % 5 == 3 ? 400 : 350;
        mixed.push_back(v);
    }
    populations.push_back(std::move(mixed));
    for (const std::int32_t start : { 100, 150, 500 }) {
        SCOPED_TRACE(start);
        const InitialDirections directions = initialDirections(populations, start);
        ASSERT_EQ(directions.size(), populations.size());
        int differences = 0;
        for (std::size_t i = 0; i < populations.size(); ++i) {
            ASSERT_EQ(directions[i].size(), populations[i].size());
            const std::size_t every = populations[i].size() > 100 ? 7 : 1;
            for (std::size_t m = 0; m < populations[i].size(); m += every) {
                TVector member = populations[i][m];
                member.SetTemperature(start);
                const MemberDirection &d = directions[i][m];
                if (d.north != member.GetX() || d.east != member.GetY()
                    || d.inclination != member.Inclination
                    || d.remaining != member.Remaining(start))
                    ++differences;
            }
        }
        EXPECT_EQ(differences, 0);
    }
}

} // namespace
} // namespace Demagora
