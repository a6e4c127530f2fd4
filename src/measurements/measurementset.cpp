#include "measurements/measurementset.h"

#include <cmath>
#include <map>

namespace Demagora {

std::string measurementFormatName(MeasurementFormat format)
{
    switch (format) {
    case MeasurementFormat::Magic:
        return "magic";
    case MeasurementFormat::Cit:
        return "cit";
    case MeasurementFormat::Jr6:
        return "jr6";
    case MeasurementFormat::TwoG:
        return "2g";
    case MeasurementFormat::PuffinPlot:
        return "ppl";
    case MeasurementFormat::Utrecht:
        return "utrecht";
    }
    return {};
}

std::optional<MeasurementFormat> measurementFormatFromName(const std::string &name)
{
    for (const MeasurementFormat format :
        { MeasurementFormat::Magic, MeasurementFormat::Cit, MeasurementFormat::Jr6,
            MeasurementFormat::TwoG, MeasurementFormat::PuffinPlot, MeasurementFormat::Utrecht })
        if (measurementFormatName(format) == name)
            return format;
    return std::nullopt;
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
    }
    m_lastName = name;
    m_last = it->second;
    return m_specimens[it->second];
}

void SpecimenCollector::add(const std::string &specimenName, const RawStep &step)
{
    ++m_summary.rowsRead;
    Specimen &target = specimen(specimenName);
    const Treatment wanted
        = m_options.demag == DemagKind::Thermal ? Treatment::Thermal : Treatment::AlternatingField;
    if (step.flaggedBad) {
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
    target.steps.push_back(kept);
}

namespace {

// Steps at one treatment and level (to a millionth of a degree or mT) count as one step.
std::pair<int, long long> stepKey(const SpecimenStep &step)
{
    return { int(step.treatment), std::llround(step.level * 1e6) };
}

struct Repeat
{
    std::size_t first = 0;
    std::size_t count = 0;
    std::size_t errorCount = 0;
    double errorSum = 0;
};

void mergeRepeats(Specimen &specimen, RepeatRule rule, ReadSummary &summary)
{
    std::map<std::pair<int, long long>, Repeat> repeats;
    std::vector<SpecimenStep> merged;
    for (const SpecimenStep &step : specimen.steps) {
        const auto [it, inserted] = repeats.try_emplace(stepKey(step), Repeat { merged.size() });
        Repeat &repeat = it->second;
        ++repeat.count;
        if (step.errorDegrees) {
            ++repeat.errorCount;
            repeat.errorSum += *step.errorDegrees;
        }
        if (inserted || rule == RepeatRule::All) {
            if (!inserted)
                ++summary.repeatsKept;
            merged.push_back(step);
            continue;
        }
        ++summary.repeatsMerged;
        SpecimenStep &target = merged[repeat.first];
        if (rule == RepeatRule::Last) {
            target = step;
            continue;
        }
        // A running mean keeps every repeat's weight equal.
        const double n = double(repeat.count);
        target.x += (step.x - target.x) / n;
        target.y += (step.y - target.y) / n;
        target.z += (step.z - target.z) / n;
        if (repeat.errorCount > 0)
            target.errorDegrees = repeat.errorSum / double(repeat.errorCount);
    }
    specimen.steps = std::move(merged);
}

} // namespace

std::vector<Specimen> SpecimenCollector::finish()
{
    std::vector<Specimen> kept;
    kept.reserve(m_specimens.size());
    for (Specimen &specimen : m_specimens) {
        if (specimen.steps.empty()) {
            ++m_summary.specimensWithoutSteps;
            continue;
        }
        mergeRepeats(specimen, m_options.repeats, m_summary);
        kept.push_back(std::move(specimen));
    }
    m_specimens.clear();
    m_index.clear();
    m_lastName.clear();
    return kept;
}

} // namespace Demagora
