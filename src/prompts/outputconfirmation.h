#pragma once

#include <QString>

#include <string>
#include <vector>

class QWidget;

namespace Demagora {

// A file a window is about to write: its name and what it holds, as messages name it
// ("the picture").
struct PlannedOutput
{
    std::string path;
    std::string what;
};

// What every window does before it writes files the user named, typed or chosen: an output that
// is the open scenario (by any name or link) is refused with a message, and when some of the
// files exist the user is asked once whether to replace them. True when the writing may go
// ahead. openScenario: the file of the open scenario, empty when it has none. measurementsRead:
// the files the window's measurements were read from, refused in the same way.
bool confirmOutputs(QWidget *parent, const std::vector<PlannedOutput> &outputs,
    const QString &openScenario, const std::vector<std::string> &measurementsRead = {});

// The open scenario as the output layer's list of files no output may replace.
std::vector<std::string> protectedFiles(const QString &openScenario);

} // namespace Demagora
