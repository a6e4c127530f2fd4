#include "analysis/analysissummary.h"

#include <cmath>
#include <cstdio>

namespace Demagora {

namespace {

class SummaryWriter
{
public:
    explicit SummaryWriter(std::string_view decimalSeparator)
        : m_separator(decimalSeparator)
    { }

    std::string number(double value, int decimals) const
    {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
        std::string text = buffer;
        if (const auto point = text.find('.'); point != std::string::npos)
            text.replace(point, 1, m_separator);
        return text;
    }

    std::string statistics(const FisherStatistics &f) const
    {
        std::string text = "N = " + std::to_string(f.n);
        if (f.mean) {
            text += ", mean " + number(f.mean->declination, 1) + " / "
                + number(f.mean->inclination, 1);
        } else {
            text += ", no mean (the directions cancel out)";
        }
        text += ", R = " + number(f.r, 4);
        if (!f.k) {
            text += "; k and alpha95 need at least two directions";
            return text;
        }
        text += std::isinf(*f.k) ? std::string(", k infinite") : ", k = " + number(*f.k, 1);
        text += f.alpha95 ? ", alpha95 = " + number(*f.alpha95, 1)
                          : std::string(", no alpha95 (too scattered for a 95% cone)");
        if (f.angularDeviation)
            text += ", angular deviation = " + number(*f.angularDeviation, 1);
        return text;
    }

private:
    std::string m_separator;
};

} // namespace

std::string fitTypeCaption(FitType type)
{
    switch (type) {
    case FitType::Free:
        return "Free line";
    case FitType::Anchored:
        return "Anchored line";
    case FitType::Origin:
        return "Line with origin";
    case FitType::Plane:
        return "Plane";
    case FitType::VectorMean:
        return "Vector mean";
    }
    return {};
}

std::string analysisSummary(const RunAnalysis &analysis, std::optional<double> typedFisherK,
    std::string_view decimalSeparator)
{
    const SummaryWriter writer(decimalSeparator);
    std::size_t fitted = 0;
    for (const MemberFit &fit : analysis.fits)
        fitted += fit.fit ? 1 : 0;
    std::string text = fitTypeCaption(analysis.type) + " from " + writer.number(analysis.from, 1)
        + " to " + writer.number(analysis.to, 1) + " degrees: " + std::to_string(fitted) + " of "
        + std::to_string(analysis.fits.size()) + " members fitted.\n";

    const bool plane = analysis.type == FitType::Plane;
    for (const DirectionSet &set : analysis.sets) {
        if (set.name == "fitted") {
            text += plane ? "Poles of the fitted planes: " : "Fitted directions: ";
            text += set.fisher ? writer.statistics(*set.fisher) : std::string("none");
            text += '\n';
            std::string angles;
            for (std::size_t i = 0; i < analysis.meanAnglesToComponents.size(); ++i) {
                if (const auto &angle = analysis.meanAnglesToComponents[i]) {
                    angles += (angles.empty() ? "" : ", ") + std::string("component ")
                        + std::to_string(i + 1) + " " + writer.number(*angle, 1);
                }
            }
            if (!angles.empty()) {
                text += plane ? "Angles from the mean plane: " : "Angles from the mean: ";
                text += angles + " degrees\n";
            }
            continue;
        }
        const std::string number = set.name.substr(set.name.find('_') + 1);
        text += "Component " + number + " as drawn";
        if (typedFisherK)
            text += " (typed Fisher's k " + writer.number(*typedFisherK, 0) + ")";
        text += ": " + (set.fisher ? writer.statistics(*set.fisher) : std::string("none")) + '\n';
    }
    if (!text.empty())
        text.pop_back();
    return text;
}

} // namespace Demagora
