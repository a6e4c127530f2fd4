#include "diagrams/diagramsettings.h"

#include <QSettings>
#include <QString>

#include <string>

namespace Demagora {

namespace {

QString key(const char *name)
{
    return QStringLiteral("diagrams/") + QLatin1String(name);
}

template <typename Enum> Enum choice(const QSettings &settings, const char *name, Enum fallback)
{
    const std::string text = settings.value(key(name)).toString().toStdString();
    return optionNamed<Enum>(text).value_or(fallback);
}

template <typename Enum> void setChoice(QSettings &settings, const char *name, Enum value)
{
    const std::string_view text = optionName(value);
    settings.setValue(key(name), QString::fromUtf8(text.data(), qsizetype(text.size())));
}

bool flag(const QSettings &settings, const char *name)
{
    return settings.value(key(name), false).toBool();
}

} // namespace

DiagramOptions loadDiagramOptions(const QSettings &settings)
{
    DiagramOptions options;
    options.net = choice(settings, "net", options.net);
    options.hemisphereByFill = flag(settings, "hemisphereByFill");
    options.labelsIn = choice(settings, "labelsIn", options.labelsIn);
    options.clearLabels = flag(settings, "clearLabels");
    options.projection = choice(settings, "projection", options.projection);
    options.panel = choice(settings, "panel", options.panel);
    options.edgeRoom = flag(settings, "edgeRoom");
    options.axisTitles = flag(settings, "axisTitles");
    return options;
}

void saveDiagramOptions(QSettings &settings, const DiagramOptions &options)
{
    setChoice(settings, "net", options.net);
    settings.setValue(key("hemisphereByFill"), options.hemisphereByFill);
    setChoice(settings, "labelsIn", options.labelsIn);
    settings.setValue(key("clearLabels"), options.clearLabels);
    setChoice(settings, "projection", options.projection);
    setChoice(settings, "panel", options.panel);
    settings.setValue(key("edgeRoom"), options.edgeRoom);
    settings.setValue(key("axisTitles"), options.axisTitles);
}

} // namespace Demagora
