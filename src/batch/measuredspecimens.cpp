#include "batch/measuredspecimens.h"

#include "analysis/interpretation.h"
#include "unmixing/unmixing.h"

#include <filesystem>

namespace Demagora {

namespace {

const char *frameName(CoordinateSystem system)
{
    switch (system) {
    case CoordinateSystem::Specimen:
        return "specimen";
    case CoordinateSystem::Geographic:
        return "geographic";
    case CoordinateSystem::TiltCorrected:
        return "tilt-corrected";
    }
    return "specimen";
}

} // namespace

Specimen specimenInFrame(const Specimen &specimen, CoordinateSystem system)
{
    Specimen framed = specimen;
    for (SpecimenStep &step : framed.steps) {
        const Moment3 moment = stepMoment(specimen, step, system);
        step.x = moment[0];
        step.y = moment[1];
        step.z = moment[2];
    }
    return framed;
}

MemberSteps measuredFitSteps(const std::vector<Specimen> &framed)
{
    MemberSteps steps;
    steps.reserve(framed.size());
    for (const Specimen &specimen : framed) {
        std::vector<FitStep> &kept = steps.emplace_back();
        for (const SpecimenStep &step : specimen.steps) {
            const double level = step.treatment == Treatment::Nrm ? 0 : step.level;
            kept.push_back({ level, { step.x, step.y, step.z } });
        }
    }
    return steps;
}

std::vector<NamedSteps> measuredNamedSteps(
    const std::vector<Specimen> &framed, const std::string &fileName)
{
    const std::string fileSite = std::filesystem::path(fileName).filename().string();
    std::vector<NamedSteps> named;
    named.reserve(framed.size());
    for (const Specimen &specimen : framed) {
        const std::string &site = !specimen.site.empty() ? specimen.site
            : !specimen.sample.empty()                   ? specimen.sample
                                                         : fileSite;
        named.push_back({ specimen.name, site, thermalSteps(specimen) });
    }
    return named;
}

std::vector<UnmixSpecimenSteps> measuredUnmixSteps(const std::vector<Specimen> &framed)
{
    std::vector<UnmixSpecimenSteps> steps;
    steps.reserve(framed.size());
    for (const Specimen &specimen : framed)
        steps.push_back({ specimen.name, unmixSteps(specimen) });
    return steps;
}

SpecimenPicture specimenPicture(
    const Specimen &framed, CoordinateSystem system, const std::string &path, int width)
{
    SpecimenPicture picture;
    picture.path = path;
    picture.width = width;
    picture.title = framed.name + "   (" + frameName(system) + ")";
    bool af = false;
    for (const SpecimenStep &step : framed.steps) {
        af = af || step.treatment == Treatment::AlternatingField;
        picture.steps.push_back({ step.treatment == Treatment::Nrm ? 0 : step.level, step.x,
            step.y, step.z });
    }
    picture.levelUnit = af ? "mT" : "\u00B0C";
    return picture;
}

} // namespace Demagora
