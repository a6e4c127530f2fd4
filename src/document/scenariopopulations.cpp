#include "document/scenariopopulations.h"

#include "model/scatter.h"

namespace Demagora {

namespace {

// Counts the numbers drawn, so that a component's place in a shared sequence can be kept.
class CountingSource : public RandomSource
{
public:
    explicit CountingSource(RandomSource &inner)
        : m_inner(inner)
    { }
    double uniform() override
    {
        ++m_count;
        return m_inner.uniform();
    }
    std::uint64_t count() const { return m_count; }

private:
    RandomSource &m_inner;
    std::uint64_t m_count = 0;
};

} // namespace

Population buildPopulation(const Scenario &scenario, std::size_t index, RandomSource &shared)
{
    const TVector &component = scenario.components.at(index);
    Population population;
    if (!scenario.population) {
        population.push_back(component);
        return population;
    }
    const PopulationSettings &settings = *scenario.population;
    const ComponentDraw draw = scenario.draw(index);
    const auto scatter = [&](RandomSource &random) {
        ScatterComponent(component, settings.randomPoints, population, component.Shape,
            settings.differentLengths, draw.fisherK.value_or(settings.fisherK),
            draw.heightStdDev.value_or(settings.heightStdDev), random);
    };
    if (draw.seed) {
        MersenneTwisterSource own(*draw.seed);
        own.discard(draw.skippedDraws);
        scatter(own);
    } else {
        scatter(shared);
    }
    return population;
}

ComponentPopulations buildPopulations(const Scenario &scenario, RandomSource &shared)
{
    ComponentPopulations populations;
    populations.reserve(scenario.components.size());
    for (std::size_t i = 0; i < scenario.components.size(); ++i)
        populations.push_back(buildPopulation(scenario, i, shared));
    return populations;
}

void pinComponentSeeds(Scenario &scenario, std::uint64_t sharedSeed)
{
    if (!scenario.population)
        return;
    scenario.draws.resize(scenario.components.size());
    MersenneTwisterSource generator(sharedSeed);
    CountingSource shared(generator);
    // The skipped numbers of all components together, as a scenario file may hold them.
    std::uint64_t skipped = 0;
    for (const ComponentDraw &draw : scenario.draws)
        skipped += draw.skippedDraws;
    for (std::size_t i = 0; i < scenario.components.size(); ++i) {
        ComponentDraw &draw = scenario.draws[i];
        if (draw.seed)
            continue;
        const std::uint64_t before = shared.count();
        skipped += before;
        if (before > MaxSkippedDraws || skipped > MaxSkippedDraws)
            throw ScenarioError("the populations are too large to be kept component by component");
        // Drawn only to count the numbers this component takes from the shared sequence.
        buildPopulation(scenario, i, shared);
        draw.seed = sharedSeed;
        draw.skippedDraws = before;
    }
}

void dropComponentSeeds(Scenario &scenario)
{
    for (ComponentDraw &draw : scenario.draws) {
        draw.seed.reset();
        draw.skippedDraws = 0;
    }
}

bool needsSharedSeed(const Scenario &scenario)
{
    if (!scenario.population)
        return false;
    for (std::size_t i = 0; i < scenario.components.size(); ++i) {
        if (!scenario.draw(i).seed)
            return true;
    }
    return false;
}

std::uint64_t drawComponentSeed(RandomSource &random)
{
    // uniform() is a multiple of 2^-53 below 1, so the product is a whole number below 2^53.
    return static_cast<std::uint64_t>(random.uniform() * 0x1.0p53) & MaxScenarioSeed;
}

} // namespace Demagora
