#include "measurements/measurementset.h"

#include <algorithm>
#include <cmath>

namespace Demagora {

bool holdsAfStepsOnly(const MeasurementSet &thermalReading)
{
    return thermalReading.summary.otherDemagnetization > 0
        && std::none_of(thermalReading.specimens.begin(), thermalReading.specimens.end(),
            [](const Specimen &specimen) {
                return std::any_of(specimen.steps.begin(), specimen.steps.end(),
                    [](const SpecimenStep &step) { return step.treatment == Treatment::Thermal; });
            });
}

namespace {

// Steps at one treatment and level (to a millionth of a degree or mT) count as one step.
std::pair<int, long long> stepKeyOf(const SpecimenStep &step)
{
    return { int(step.treatment), std::llround(step.level * 1e6) };
}

} // namespace

Specimen mergedReadings(const Specimen &readings, ReadOptions options, ReadSummary &summary)
{
    options.keepFlaggedBad = true;
    SpecimenCollector collector(options, summary);
    collector.specimen(readings.name);
    for (const SpecimenStep &reading : readings.steps) {
        RawStep raw;
        raw.treatment = reading.treatment;
        raw.level = reading.level;
        raw.x = reading.x;
        raw.y = reading.y;
        raw.z = reading.z;
        raw.errorDegrees = reading.errorDegrees;
        raw.flaggedBad = reading.bad;
        collector.add(readings.name, raw);
    }
    // The rows were counted when the file was read.
    summary.rowsRead -= readings.steps.size();
    std::vector<Specimen> merged = collector.finish();
    Specimen specimen = readings;
    specimen.steps = merged.empty() ? std::vector<SpecimenStep> {} : std::move(merged.front().steps);
    return specimen;
}

std::vector<int> stepsOfReadings(const Specimen &readings, const Specimen &merged)
{
    std::map<std::pair<int, long long>, int> index;
    for (std::size_t i = 0; i < merged.steps.size(); ++i)
        index.emplace(stepKeyOf(merged.steps[i]), int(i));
    std::vector<int> steps;
    steps.reserve(readings.steps.size());
    for (const SpecimenStep &reading : readings.steps) {
        const auto found = index.find(stepKeyOf(reading));
        steps.push_back(found == index.end() ? -1 : found->second);
    }
    return steps;
}

SpecimenCollector::SpecimenCollector(const ReadOptions &options, ReadSummary &summary)
    : m_options(options)
    , m_summary(summary)
{ }

Specimen &SpecimenCollector::specimen(const std::string &name)
{
    if (!m_specimens.empty() && name == m_lastName)
        return m_specimens[m_last];
    const auto [it, inserted] = m_index.try_emplace(name, m_specimens.size());
    if (inserted) {
        m_specimens.emplace_back();
        m_specimens.back().name = name;
        m_steps.emplace_back();
    }
    m_lastName = name;
    m_last = it->second;
    return m_specimens[it->second];
}

void SpecimenCollector::add(const std::string &specimenName, const RawStep &step)
{
    ++m_summary.rowsRead;
    if (m_summary.rowsRead % 1024 == 0 && m_options.stop.stop_requested())
        throw ReadStopped();
    specimen(specimenName);
    const std::size_t index = m_last;
    const Treatment wanted
        = m_options.demag == DemagKind::Thermal ? Treatment::Thermal : Treatment::AlternatingField;
    if (step.flaggedBad && !m_options.keepFlaggedBad) {
        ++m_summary.flaggedBad;
        return;
    }
    if (step.treatment == Treatment::Other) {
        ++m_summary.otherExperiments;
        return;
    }
    const bool otherNrm = step.treatment == Treatment::Nrm && step.experiment
        && *step.experiment != m_options.demag;
    if ((step.treatment != Treatment::Nrm && step.treatment != wanted) || otherNrm) {
        ++m_summary.otherDemagnetization;
        return;
    }
    // A step is never placed at a level the file does not give.
    if (step.flaggedBad && step.missingLevel) {
        ++m_summary.flaggedBad;
        return;
    }
    if (step.missingMoment || !std::isfinite(step.x) || !std::isfinite(step.y)
        || !std::isfinite(step.z)) {
        ++m_summary.missingMoment;
        return;
    }
    SpecimenStep kept;
    kept.treatment = step.treatment;
    kept.level = step.treatment == Treatment::Nrm ? 0 : step.level;
    kept.x = step.x;
    kept.y = step.y;
    kept.z = step.z;
    kept.errorDegrees = step.errorDegrees;
    kept.bad = step.flaggedBad;
    keep(index, kept);
}

std::pair<SpecimenCollector::Repeat *, bool> SpecimenCollector::KnownSteps::find(
    const StepKey &key, std::size_t first)
{
    const Repeat added { key, std::uint32_t(first) };
    if (sorted.empty() || sorted.back().key < key) {
        if (sorted.size() < MaxSortedSteps || late.empty()) {
            sorted.push_back(added);
            return { &sorted.back(), true };
        }
    }
    const auto at = std::lower_bound(sorted.begin(), sorted.end(), key,
        [](const Repeat &known, const StepKey &wanted) { return known.key < wanted; });
    if (at != sorted.end() && at->key == key)
        return { &*at, false };
    if (sorted.size() < MaxSortedSteps && late.empty())
        return { &*sorted.insert(at, added), true };
    const auto [it, inserted] = late.try_emplace(key, added);
    return { &it->second, inserted };
}

void SpecimenCollector::keep(std::size_t index, const SpecimenStep &step)
{
    std::vector<SpecimenStep> &steps = m_specimens[index].steps;
    const auto [treatment, millionths] = stepKeyOf(step);
    const StepKey key = millionths * 4 + treatment;
    const auto [found, inserted] = m_steps[index].find(key, steps.size());
    Repeat &repeat = *found;
    if (step.bad && (inserted || m_options.repeats == RepeatRule::All))
        ++m_summary.flaggedKept;
    if (!inserted && m_options.repeats != RepeatRule::All && settleFlagged(steps, repeat, step))
        return;
    ++repeat.count;
    if (step.errorDegrees) {
        ++repeat.errorCount;
        repeat.errorSum += *step.errorDegrees;
    }
    if (inserted || m_options.repeats == RepeatRule::All) {
        if (!inserted)
            ++m_summary.repeatsKept;
        steps.push_back(step);
        return;
    }
    if (step.bad)
        ++m_summary.flaggedKept;
    else
        ++m_summary.repeatsMerged;
    SpecimenStep &target = steps[repeat.first];
    if (m_options.repeats == RepeatRule::Last) {
        target = step;
        target.readings = repeat.count;
        return;
    }
    target.readings = repeat.count;
    // A running mean keeps every repeat's weight equal.
    const double n = double(repeat.count);
    target.x += (step.x - target.x) / n;
    target.y += (step.y - target.y) / n;
    target.z += (step.z - target.z) / n;
    if (repeat.errorCount > 0)
        target.errorDegrees = repeat.errorSum / double(repeat.errorCount);
}

bool SpecimenCollector::settleFlagged(
    std::vector<SpecimenStep> &steps, Repeat &repeat, const SpecimenStep &step)
{
    SpecimenStep &target = steps[repeat.first];
    if (step.bad == target.bad)
        return false;
    if (step.bad) {
        // A good row measured the step: the flagged one is left out, as without kept flags.
        ++m_summary.flaggedBad;
        return true;
    }
    // The first good row at a step replaces the flagged rows merged there so far.
    m_summary.flaggedKept -= repeat.count;
    m_summary.flaggedBad += repeat.count;
    repeat = Repeat { repeat.key, repeat.first };
    ++repeat.count;
    if (step.errorDegrees) {
        ++repeat.errorCount;
        repeat.errorSum += *step.errorDegrees;
    }
    target = step;
    return true;
}

std::vector<Specimen> SpecimenCollector::finish()
{
    std::vector<Specimen> kept;
    kept.reserve(m_specimens.size());
    for (Specimen &specimen : m_specimens) {
        if (specimen.steps.empty()) {
            ++m_summary.specimensWithoutSteps;
            continue;
        }
        kept.push_back(std::move(specimen));
    }
    m_specimens.clear();
    m_steps.clear();
    m_index.clear();
    m_lastName.clear();
    return kept;
}

} // namespace Demagora
