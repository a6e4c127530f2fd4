// Choosing a step in the specimens window: the chosen steps fitted again, every component of
// the specimen fitted in the coordinates shown, and the picture painted, as one user action.
#include "specimens_window/interpretationpanel.h"
#include "specimens_window/specimenpicture.h"
#include "specimens_window/specimenswindow.h"

#include "measurements/measurementreader.h"

#include <QApplication>
#include <QLineEdit>

#include <benchmark/benchmark.h>

namespace {

const QString CitSite = QStringLiteral(DEMAGORA_MEASUREMENTS_DIR "/cit-PI47/PI47-.sam");

void BM_ChooseStepRefitAndRepaint(benchmark::State &state)
{
    using namespace Demagora;
    SpecimensWindow window(readMeasurements(CitSite.toStdString()), CitSite);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    window.setCoordinates(1);
    QApplication::processEvents();
    const int n = int(window.measurements().specimens.front().steps.size());
    // Two components already made, so that each repaint refits them too.
    std::vector<int> high;
    for (int s = 3; s < n; ++s)
        high.push_back(s);
    window.chooseSteps(high, false);
    window.interpretation().fitChosen(FitType::Free);
    window.findChild<QLineEdit *>(QStringLiteral("LE_component"))->setText(QStringLiteral("LT"));
    window.chooseSteps({ 0, 1, 2, 3 }, false);
    window.interpretation().fitChosen(FitType::Anchored);
    auto &picture = const_cast<SpecimenPicture &>(window.picture());

    int step = 4;
    for (auto _ : state) {
        // A click with Ctrl: one more step joins the choice, or leaves it.
        window.chooseSteps({ step }, true);
        picture.repaint();
        step = step + 1 < n ? step + 1 : 4;
    }
}

} // namespace

BENCHMARK(BM_ChooseStepRefitAndRepaint)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
