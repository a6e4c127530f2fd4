#include "diagrams/diagramwindow.h"

#include "diagrams/tfrm_graph.h"
#include "prompts/prompts.h"

#include <QSettings>

namespace Demagora {

bool canShowDiagrams(const ResultSeries &series, const ComponentPopulations &populations)
{
    return !series.empty() && !series.front().empty() && !populations.empty()
        && !populations.front().empty();
}

void showDiagramWindow(QWidget *parent, const ResultSeries &series,
    ComponentPopulations &populations, std::int32_t runLowTemp, std::int32_t stereoPointCount,
    const DiagramOverlay *overlay, const QString &openScenario)
{
    if (!canShowDiagrams(series, populations)) {
        reportError(parent, QStringLiteral("There is nothing to draw: calculate a run first"));
        return;
    }
    TFrm_graph window(series, populations, runLowTemp, stereoPointCount, parent);
    // The drawing options are kept from one session to the next.
    QSettings preferences(QStringLiteral("Demagora"), QStringLiteral("Demagora"));
    window.setPreferences(&preferences);
    if (overlay)
        window.setOverlay(*overlay);
    window.setOpenScenario(openScenario);
    window.exec();
}

} // namespace Demagora
