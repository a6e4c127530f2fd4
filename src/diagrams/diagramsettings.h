#pragma once

#include "diagrams/diagramoptions.h"

class QSettings;

namespace Demagora {

// The diagram window's options as they are kept between sessions, under "diagrams/" in the
// program's settings. A missing or unknown value reads as the option's default.
DiagramOptions loadDiagramOptions(const QSettings &settings);
void saveDiagramOptions(QSettings &settings, const DiagramOptions &options);

} // namespace Demagora
