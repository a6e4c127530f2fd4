#include "batch/measuredspecimens.h"

#include "analysis/interpretation.h"
#include "unmixing/unmixing.h"

#include <cmath>

namespace Demagora {

namespace {

class FramedSpecimens : public SpecimenSource
{
public:
    FramedSpecimens(std::vector<Specimen> framed, MeasurementSettings settings)
        : m_framed(std::move(framed))
        , m_settings(std::move(settings))
    { }

    std::size_t specimenCount() const override { return m_framed.size(); }
    std::string specimenName(std::size_t member) const override { return m_framed[member].name; }
    const MeasurementSettings &settings() const override { return m_settings; }
    bool simulated() const override { return false; }

    std::vector<MeasuredStep> specimen(std::size_t member) const override
    {
        const Specimen &specimen = m_framed[member];
        const double divisor
            = specimen.unit == MomentUnit::AmpereSquareMetre ? m_settings.volumeCm3 * 1e-6 : 1.0;
        std::vector<MeasuredStep> steps;
        steps.reserve(specimen.steps.size());
        for (const SpecimenStep &step : specimen.steps) {
            const double level = step.treatment == Treatment::Nrm ? 0 : std::round(step.level);
            steps.push_back({ static_cast<std::int32_t>(level), step.x / divisor, step.y / divisor,
                step.z / divisor });
        }
        return steps;
    }

private:
    std::vector<Specimen> m_framed;
    MeasurementSettings m_settings;
};

std::string locationName(const Specimen &specimen)
{
    std::string name = !specimen.site.empty() ? specimen.site : specimen.sample;
    if (name.empty())
        return "measured";
    for (char &c : name) {
        const bool kept = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
            || c == '-' || c == '_' || c == '.';
        if (!kept)
            c = '_';
    }
    return name.substr(0, 32);
}

} // namespace

std::unique_ptr<SpecimenSource> measuredSpecimenSource(
    std::vector<Specimen> framed, const MeasurementSettings &given)
{
    MeasurementSettings settings;
    settings.latitude = given.latitude;
    settings.longitude = given.longitude;
    if (!framed.empty()) {
        settings.prefix = locationName(framed.front());
        if (framed.front().volumeCubicMetres && *framed.front().volumeCubicMetres > 0)
            settings.volumeCm3 = *framed.front().volumeCubicMetres * 1e6;
    }
    return std::make_unique<FramedSpecimens>(std::move(framed), settings);
}

Specimen specimenInFrame(const Specimen &specimen, CoordinateSystem system)
{
    Specimen framed = specimen;
    for (SpecimenStep &step : framed.steps) {
        const Vector3 moment = stepMoment(specimen, step, system);
        step.x = moment.x;
        step.y = moment.y;
        step.z = moment.z;
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

std::vector<UnmixSpecimenSteps> measuredUnmixSteps(const std::vector<Specimen> &framed)
{
    std::vector<UnmixSpecimenSteps> steps;
    steps.reserve(framed.size());
    for (const Specimen &specimen : framed)
        steps.push_back({ specimen.name, unmixSteps(specimen) });
    return steps;
}

SpecimenPictureRequest specimenPictureRequest(
    const Specimen &framed, CoordinateSystem system, const std::string &path, int width)
{
    SpecimenPictureRequest picture;
    picture.path = path;
    picture.width = width;
    picture.title = framed.name + "   (" + std::string(coordinateSystemCaption(system)) + ")";
    bool af = false;
    for (const SpecimenStep &step : framed.steps) {
        af = af || step.treatment == Treatment::AlternatingField;
        picture.steps.push_back(
            { step.treatment == Treatment::Nrm ? 0 : step.level, { step.x, step.y, step.z } });
    }
    picture.levelUnit = af ? "mT" : "\u00B0C";
    picture.specimenAxes = system == CoordinateSystem::Specimen;
    picture.momentUnit = momentUnitName(framed.unit);
    return picture;
}

} // namespace Demagora
