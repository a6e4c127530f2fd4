#include "prompts/outputconfirmation.h"

#include "prompts/prompts.h"

#include <QFile>
#include <QStringList>

#include <filesystem>
#include <system_error>

namespace Demagora {

namespace {

namespace fs = std::filesystem;

QString nameOf(const std::string &path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// Whether both names lead to one existing file, whatever links or hard links lie between.
bool sameFile(const std::string &path, const std::string &other)
{
    std::error_code error;
    return fs::equivalent(path, other, error) && !error;
}

} // namespace

std::vector<std::string> protectedFiles(const QString &openScenario)
{
    if (openScenario.isEmpty())
        return {};
    return { QFile::encodeName(openScenario).toStdString() };
}

bool confirmOutputs(QWidget *parent, const std::vector<PlannedOutput> &outputs,
    const QString &openScenario, const std::vector<std::string> &measurementsRead)
{
    const std::vector<std::string> scenario = protectedFiles(openScenario);
    QStringList existing;
    for (const PlannedOutput &output : outputs) {
        if (!scenario.empty() && sameFile(output.path, scenario.front())) {
            reportError(parent,
                QStringLiteral("Cannot write %1 to %2: that is the open scenario, which is never "
                               "replaced; choose another name")
                    .arg(QString::fromStdString(output.what), nameOf(output.path)));
            return false;
        }
        for (const std::string &read : measurementsRead) {
            if (sameFile(output.path, read)) {
                reportError(parent,
                    QStringLiteral("Cannot write %1 to %2: the measurements were read from it, "
                                   "and they are never replaced; choose another name")
                        .arg(QString::fromStdString(output.what), nameOf(output.path)));
                return false;
            }
        }
        std::error_code error;
        if (fs::exists(output.path, error))
            existing << nameOf(output.path);
    }
    if (existing.isEmpty())
        return true;
    const QString question = existing.size() == 1
        ? QStringLiteral("%1 already exists. Replace it?").arg(existing.front())
        : QStringLiteral("These files already exist:\n%1\nReplace them?")
              .arg(existing.join(QLatin1Char('\n')));
    return Prompts::current().confirm(parent, question) == Prompts::Answer::Yes;
}

} // namespace Demagora
