// Choosing a step in the specimens window: the chosen steps fitted again, every component of
// the specimen fitted in the coordinates shown, and the picture painted, as one user action.
// Opening a study's interpretations: 341 oriented specimens, a specimens table holding each of
// their two fits once per frame, read, taken for the frame shown, refitted, site means made.
#include "analysis/interpretationfiles.h"
#include "specimens_window/interpretationpanel.h"
#include "specimens_window/specimeninterpretations.h"
#include "diagrams/specimenpicture.h"
#include "specimens_window/specimenswindow.h"
#include "unmix_window/unmixdialog.h"

#include "measurements/measurementreader.h"
#include "support/scriptedprompts.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

// The shown specimen's two components: HT a free line from the fourth step to the last, LT an
// anchored line over the first lowLast + 1 steps.
void fitTwoComponents(Demagora::SpecimensWindow &window, int steps, int lowLast)
{
    using namespace Demagora;
    std::vector<int> high;
    for (int s = 3; s < steps; ++s)
        high.push_back(s);
    window.chooseSteps(high, false);
    window.interpretation().fitChosen(FitType::Free);
    window.findChild<QLineEdit *>(QStringLiteral("LE_component"))->setText(QStringLiteral("LT"));
    std::vector<int> low;
    for (int s = 0; s <= lowLast; ++s)
        low.push_back(s);
    window.chooseSteps(low, false);
    window.interpretation().fitChosen(FitType::Anchored);
}

const QString CitSite = QStringLiteral(DEMAGORA_MEASUREMENTS_DIR "/cit-PI47/PI47-.sam");

void BM_ChooseStepRefitAndRepaint(benchmark::State &state)
{
    using namespace Demagora;
    SpecimensWindow window(readMeasurements(CitSite.toStdString()), CitSite);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    window.setCoordinates(CoordinateSystem::Geographic);
    QApplication::processEvents();
    const int n = int(window.measurements().specimens.front().steps.size());
    // Two components already made, so that each repaint refits them too.
    fitTwoComponents(window, n, 3);
    auto &picture = const_cast<SpecimenPicture &>(window.picture());

    int step = 4;
    for (auto _ : state) {
        // A click with Ctrl: one more step joins the choice, or leaves it.
        window.chooseSteps({ step }, true);
        picture.repaint();
        step = step + 1 < n ? step + 1 : 4;
    }
}

// 341 specimens of 27 thermal steps, two overlapping components and a little noise, each with
// its own orientation and bedding.
Demagora::MeasurementSet threeFrameStudy()
{
    using namespace Demagora;
    std::mt19937_64 random(20261209);
    std::uniform_real_distribution<double> angle(0, 360);
    std::normal_distribution<double> noise(0, 0.01);
    MeasurementSet set;
    for (int s = 0; s < 341; ++s) {
        Specimen specimen;
        specimen.name = "s" + std::to_string(s);
        specimen.sample = specimen.name;
        specimen.site = "site" + std::to_string(s / 8);
        specimen.orientation = SpecimenOrientation { angle(random), angle(random) / 6 - 60 };
        specimen.bedding = Bedding { angle(random), angle(random) / 12 };
        for (int i = 0; i < 27; ++i) {
            const double t = i / 26.0;
            const double low = std::max(0.0, 1 - 2.5 * t);
            const double high = 2 * (1 - t);
            specimen.steps.push_back({ i == 0 ? Treatment::Nrm : Treatment::Thermal, 25.0 * i,
                low * 0.5 + high * 0.2 + noise(random), low * 0.3 - high * 0.1 + noise(random),
                low * 0.8 - high * 0.6 + noise(random), {} });
        }
        set.specimens.push_back(std::move(specimen));
    }
    return set;
}

void BM_OpenThreeFrameInterpretations(benchmark::State &state)
{
    using namespace Demagora;
    const MeasurementSet set = threeFrameStudy();
    Interpretations interpretations = emptyInterpretations(set);
    for (SpecimenInterpretation &interpretation : interpretations) {
        interpretation.components = { { "LT", FitType::Free, { 0, 1, 2, 3, 4, 5, 6, 7, 8 },
                                          CoordinateSystem::Specimen, {} },
            { "HT", FitType::Anchored, { 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21 },
                CoordinateSystem::Specimen, {} } };
    }
    const QString table = QDir::temp().filePath(QStringLiteral("bench-three-frames.txt"));
    {
        std::ofstream out(table.toStdString(), std::ios::binary);
        writeMagicSpecimens(out, savedInterpretations(set, interpretations));
    }
    SpecimensWindow window(set, QStringLiteral("study"));
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    window.setCoordinates(CoordinateSystem::TiltCorrected);
    QApplication::processEvents();
    Testing::ScriptedPrompts prompts;
    for (auto _ : state) {
        prompts.fileNames = { table };
        window.interpretation().openInterpretations();
        QApplication::processEvents();
    }
    if (prompts.informations.isEmpty() || !prompts.errors.isEmpty())
        state.SkipWithError("the table was not opened");
    else
        state.SetLabel(prompts.informations.back().section(QLatin1Char('\n'), 2, 2).toStdString());
    QFile::remove(table);
}

// The shared thermal study when it is there (real specimens, repeats and all), else the made
// one, in a window shown.
Demagora::MeasurementSet benchStudy()
{
    const std::string real = DEMAGORA_MEASUREMENTS_DIR "/magic-dmag";
    return std::filesystem::exists(real) ? Demagora::readMeasurements(real) : threeFrameStudy();
}

// Moving to the next specimen of a study of 441 specimens with the arrow key: its steps
// shown in the table, its fits drawn, the picture painted.
void BM_NextSpecimen(benchmark::State &state)
{
    using namespace Demagora;
    SpecimensWindow window(benchStudy(), QStringLiteral("study"));
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    QApplication::processEvents();
    const int count = int(window.measurements().specimens.size());
    int next = 0;
    for (auto _ : state) {
        next = (next + 1) % count;
        window.setCurrentSpecimen(next);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_NextSpecimen)->Unit(benchmark::kMillisecond);

// Marking a step bad (key B) and good again on a real study: the specimen's components fitted
// again without it, the study's site means made again, the steps table and the picture redrawn.
void BM_MarkStepBadRefitAndRepaint(benchmark::State &state)
{
    using namespace Demagora;
    SpecimensWindow window(benchStudy(), QStringLiteral("study"));
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    const std::vector<Specimen> &specimens = window.measurements().specimens;
    const auto shown = std::find_if(specimens.begin(), specimens.end(),
        [](const Specimen &specimen) { return specimen.steps.size() >= 10; });
    if (shown == specimens.end()) {
        state.SkipWithError("no specimen of ten steps");
        return;
    }
    window.setCurrentSpecimen(int(shown - specimens.begin()));
    QApplication::processEvents();
    // Two components, both taking the step marked bad.
    fitTwoComponents(window, int(shown->steps.size()), 5);
    window.chooseSteps({ 4 }, false);
    auto &picture = const_cast<SpecimenPicture &>(window.picture());
    for (auto _ : state) {
        window.interpretation().markChosenBad();
        picture.repaint();
        QApplication::processEvents();
    }
    state.SetLabel(shown->name + ", " + std::to_string(specimens.size()) + " specimens");
}
BENCHMARK(BM_MarkStepBadRefitAndRepaint)->Unit(benchmark::kMillisecond);

// Closing an unmix window while its worker runs a long bootstrap: the worker is stopped, not
// waited for, so closing takes about one iteration of the solver.
void BM_CloseUnmixWindowMidRun(benchmark::State &state)
{
    using namespace Demagora;
    const std::vector<UnmixComponent> truth = { { SpectrumShape::Gauss, 20, 40, 2e-3, 100, 600 },
        { SpectrumShape::Gauss, 200, -30, 3e-3, 300, 450 } };
    std::vector<double> temperatures;
    for (int t = 0; t <= 650; t += 25)
        temperatures.push_back(t);
    const auto moments = predictedMoments(truth, temperatures);
    std::vector<UnmixStep> steps;
    for (std::size_t i = 0; i < temperatures.size(); ++i)
        steps.push_back({ temperatures[i], moments[i], {} });
    for (auto _ : state) {
        state.PauseTiming();
        auto dialog = std::make_unique<UnmixDialog>("S1", steps, 1e-3);
        dialog->setChoices(2, UnmixShapes::Gauss, 100000);
        dialog->btn_unmixClick();
        QThread::msleep(100);
        state.ResumeTiming();
        dialog.reset();
    }
}

} // namespace

BENCHMARK(BM_ChooseStepRefitAndRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenThreeFrameInterpretations)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CloseUnmixWindowMidRun)->Unit(benchmark::kMillisecond)->Iterations(5);

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
