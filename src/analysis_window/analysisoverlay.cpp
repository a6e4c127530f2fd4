#include "analysis_window/analysisoverlay.h"

namespace Demagora {

DiagramOverlay diagramOverlayOf(const RunAnalysis &analysis, double stepUnit)
{
    DiagramOverlay overlay;
    overlay.memberLines.reserve(analysis.fits.size());
    if (analysis.type == FitType::Plane)
        overlay.memberPoles.reserve(analysis.fits.size());
    for (const MemberFit &member : analysis.fits) {
        if (analysis.type == FitType::Plane) {
            std::optional<DiagramOverlay::Pole> pole;
            if (member.fit) {
                const Vector3 &p = member.fit->direction;
                pole = DiagramOverlay::Pole { p.x, p.y, p.z };
            }
            overlay.memberPoles.push_back(pole);
        }
        std::optional<DiagramOverlay::Line> line;
        if (member.fit && member.fit->type != FitType::Plane) {
            const Vector3 &a = member.fit->segmentStart;
            const Vector3 &b = member.fit->segmentEnd;
            line = DiagramOverlay::Line { a.x / stepUnit, a.y / stepUnit, a.z / stepUnit,
                b.x / stepUnit, b.y / stepUnit, b.z / stepUnit };
        }
        overlay.memberLines.push_back(line);
    }
    if (!analysis.sets.empty()) {
        const std::optional<FisherStatistics> &fitted = analysis.sets.front().fisher;
        if (fitted && fitted->mean) {
            overlay.mean = DiagramOverlay::Mean { fitted->mean->declination,
                fitted->mean->inclination, fitted->alpha95 };
        }
    }
    return overlay;
}

} // namespace Demagora
