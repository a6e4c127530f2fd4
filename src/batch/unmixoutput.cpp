#include "batch/unmixoutput.h"

#include "model/vector3.h"
#include "batch/batcherror.h"
#include "measurements/measuredseries.h"
#include "measurements/measurementerror.h"
#include "text/numbertext.h"
#include "unmixing/unmixingerror.h"

#include <algorithm>

namespace Demagora {

std::vector<UnmixSpecimenSteps> measuredRunSteps(const ResultSeries &series,
    MeasurementSettings settings, std::uint64_t seed, double removedAbove)
{
    settings.noiseSeed = seed;
    try {
        const MeasuredSeries measured(series, settings, removedAbove);
        std::vector<UnmixSpecimenSteps> specimens;
        for (std::size_t m = 0; m < measured.specimenCount(); ++m) {
            UnmixSpecimenSteps named { measured.specimenName(m), {} };
            for (const MeasuredStep &s : measured.specimen(m))
                named.steps.push_back({ double(s.temperature), { s.x, s.y, s.z }, {} });
            specimens.push_back(std::move(named));
        }
        return specimens;
    } catch (const MeasurementError &error) {
        throw BatchError(std::string("--unmix: ") + error.what());
    }
}

std::vector<UnmixedSpecimen> unmixSpecimens(const std::vector<UnmixSpecimenSteps> &specimens,
    const UnmixBatchOptions &options, std::uint64_t seed)
{
    // Each specimen: the fit, the refits and, with them, the jackknife's one refit per step.
    long long fits = 0;
    for (const UnmixSpecimenSteps &specimen : specimens)
        fits += 1LL + options.bootstrap
            + (options.bootstrap > 0 ? (long long)specimen.steps.size() : 0LL);
    if (fits > MaxUnmixFits)
        throw BatchError("--bootstrap: " + std::to_string(specimens.size()) + " specimens with "
            + std::to_string(options.bootstrap) + " refits each (and one per step left out) make "
            + std::to_string(fits) + " fits, more than the " + std::to_string(MaxUnmixFits)
            + " a run makes; give a smaller --bootstrap or fewer specimens (--specimen)");
    UnmixOptions fit;
    fit.components = options.components;
    fit.shapes = options.shapes;
    fit.bootstrap = options.bootstrap;
    std::vector<UnmixedSpecimen> results;
    for (std::size_t i = 0; i < specimens.size(); ++i) {
        // Each specimen's bootstrap draws from its own seed.
        fit.seed = seed + i;
        try {
            results.push_back({ specimens[i].name,
                unmixSpecimen(specimens[i].name, specimens[i].steps, fit), {} });
        } catch (const UnmixingError &error) {
            results.push_back({ specimens[i].name, {}, error.what() });
        }
    }
    if (!results.empty() && !firstUnmixed(results))
        throw BatchError("--unmix: " + results.front().refusal);
    return results;
}

const UnmixedSpecimen *firstUnmixed(const std::vector<UnmixedSpecimen> &specimens)
{
    const auto found = std::find_if(specimens.begin(), specimens.end(),
        [](const UnmixedSpecimen &s) { return s.refusal.empty(); });
    return found == specimens.end() ? nullptr : &*found;
}

void reportUnmixRefusals(std::ostream &err, const char *program,
    const std::vector<UnmixedSpecimen> &specimens, const std::string &file)
{
    for (const UnmixedSpecimen &specimen : specimens)
        if (!specimen.refusal.empty())
            err << program << ": --unmix: " << (file.empty() ? "" : file + ": ") << "left out "
                << specimen.refusal << '\n';
}

void reportTurningPaths(std::ostream &err, const std::vector<UnmixedSpecimen> &specimens)
{
    for (const UnmixedSpecimen &specimen : specimens)
        if (specimen.refusal.empty() && specimen.result.turning)
            err << specimen.name << ": " << TurningPathMessage << '\n';
}

namespace {

void field(std::string &line, double value)
{
    line += ',';
    appendGeneral(line, value);
}

const char *shapeName(SpectrumShape shape)
{
    return shape == SpectrumShape::Gauss ? "gauss" : "rectangular";
}

} // namespace

void writeUnmixCsv(std::ostream &out, const std::vector<UnmixedSpecimen> &specimens,
    const std::vector<TVector> &entered)
{
    std::string line = "specimen,components,component,shape,declination,inclination,alpha95,"
                       "height,height_lo,height_hi,low,low_lo,low_hi,high,high_lo,high_hi,rms,bic,"
                       "noise,misfit,stable";
    for (std::size_t i = 0; i < entered.size(); ++i)
        line += ",angle_to_component_" + std::to_string(i + 1);
    out << line << '\n';
    for (const UnmixedSpecimen &specimen : specimens) {
        if (!specimen.refusal.empty()) {
            out << specimen.name << ",0" << std::string(19 + entered.size(), ',') << '\n';
            continue;
        }
        const UnmixCandidate &best = specimen.result.best;
        for (std::size_t j = 0; j < best.components.size(); ++j) {
            const UnmixComponent &c = best.components[j];
            const ComponentInterval *interval
                = j < specimen.result.intervals.size() ? &specimen.result.intervals[j] : nullptr;
            line = specimen.name + ',' + std::to_string(best.components.size()) + ','
                + std::to_string(j + 1) + ',' + shapeName(c.shape);
            field(line, c.declination);
            field(line, c.inclination);
            const auto optional = [&](double value) {
                if (interval)
                    field(line, value);
                else
                    line += ',';
            };
            optional(interval ? interval->alpha95 : 0);
            field(line, c.height);
            optional(interval ? interval->heightLow : 0);
            optional(interval ? interval->heightHigh : 0);
            field(line, c.low);
            optional(interval ? interval->lowLow : 0);
            optional(interval ? interval->lowHigh : 0);
            field(line, c.high);
            optional(interval ? interval->highLow : 0);
            optional(interval ? interval->highHigh : 0);
            field(line, best.rms);
            field(line, best.bic);
            field(line, specimen.result.noise);
            if (specimen.result.misfit)
                field(line, *specimen.result.misfit);
            else
                line += ',';
            line += interval ? (interval->stable ? ",true" : ",false") : ",";
            for (const TVector &e : entered)
                field(line,
                    angleBetween(unitVector(c.declination, c.inclination),
                        unitVector(e.Declination, e.Inclination)));
            out << line << '\n';
        }
    }
}

} // namespace Demagora
