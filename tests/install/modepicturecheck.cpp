// Copied beside an installed demagora and started from another working directory: opens the
// diagram window on a small run, clicks the single/multiple button and prints the picture
// file the window read. Exit status 0 when the window reached single mode without a message.
#include "diagrams/tfrm_graph.h"
#include "diagrams/toolbaricons.h"
#include "model/run.h"
#include "support/componentfixtures.h"
#include "support/scriptedprompts.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <iostream>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    Demagora::Testing::ScriptedPrompts prompts;

    using Demagora::Testing::component;
    Demagora::ComponentPopulations populations {
        { component(0, 0, 10, 100, 200, Demagora::SpectrumShape::Gauss) },
        { component(90, 0, 5, 150, 250, Demagora::SpectrumShape::Rectangular) },
    };
    Demagora::ResultSeries series;
    Demagora::RunDemagnetization(150, 100, 250, series, populations);

    Demagora::TFrm_graph window(series, populations, 100, 150);
    window.show();
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("btn_mult")), Qt::LeftButton);

    for (const QString &error : prompts.errors)
        std::cerr << "message: " << error.toStdString() << '\n';
    const bool single = window.viewState().mode == Demagora::DisplayMode::Single;
    std::cout << Demagora::findModePicture(
        QStringLiteral("arrowmult.bmp"), Demagora::modePictureFolders())
                     .toStdString()
              << '\n';
    return single && prompts.errors.isEmpty() ? 0 : 1;
}
