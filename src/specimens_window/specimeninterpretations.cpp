#include "specimens_window/specimeninterpretations.h"

#include <QUndoCommand>
#include <QUndoStack>

#include <algorithm>
#include <set>

namespace Demagora {

// One change of the interpretations: the whole set before and after. A set is small (names,
// step indices), so keeping two copies is simpler than inverting each kind of change.
class InterpretationChange : public QUndoCommand
{
public:
    // specimen: the one changed, -1 for every one.
    InterpretationChange(SpecimenInterpretations &store, int specimen, Interpretations before,
        Interpretations after, const QString &text)
        : QUndoCommand(text)
        , m_store(store)
        , m_specimen(specimen)
        , m_before(std::move(before))
        , m_after(std::move(after))
    { }

    void undo() override { m_store.assign(m_before, m_specimen); }
    void redo() override { m_store.assign(m_after, m_specimen); }

private:
    SpecimenInterpretations &m_store;
    int m_specimen;
    Interpretations m_before;
    Interpretations m_after;
};

namespace {

QString specimenText(const SpecimenInterpretation &interpretation, const std::string &component)
{
    return QStringLiteral("%1 %2").arg(
        QString::fromStdString(interpretation.specimen), QString::fromStdString(component));
}

} // namespace

SpecimenInterpretations::SpecimenInterpretations(const MeasurementSet &set, QObject *parent)
    : QObject(parent)
    , m_interpretations(emptyInterpretations(set))
    , m_undo(new QUndoStack(this))
{ }

const SpecimenInterpretation &SpecimenInterpretations::of(int specimen) const
{
    return m_interpretations.at(std::size_t(specimen));
}

bool SpecimenInterpretations::isSaved() const
{
    return m_undo->isClean() && !m_unsavedBeforeReset;
}

void SpecimenInterpretations::markSaved()
{
    m_unsavedBeforeReset = false;
    m_undo->setClean();
}

void SpecimenInterpretations::resetTo(Interpretations interpretations)
{
    if (interpretations.size() != m_interpretations.size())
        return;
    m_unsavedBeforeReset = !isSaved();
    m_undo->clear();
    assign(interpretations, -1);
}

void SpecimenInterpretations::putComponent(int specimen, InterpretedComponent component)
{
    Interpretations after = m_interpretations;
    std::vector<InterpretedComponent> &components = after.at(std::size_t(specimen)).components;
    const auto same = std::find_if(components.begin(), components.end(),
        [&](const InterpretedComponent &c) { return c.name == component.name; });
    // No component takes a bad step.
    component.steps = withoutBadSteps(component.steps, after[std::size_t(specimen)].badSteps);
    const QString text
        = QStringLiteral("Fit %1").arg(specimenText(after[std::size_t(specimen)], component.name));
    if (same != components.end())
        *same = std::move(component);
    else
        components.push_back(std::move(component));
    change(specimen, std::move(after), text);
}

void SpecimenInterpretations::removeComponent(int specimen, int index)
{
    Interpretations after = m_interpretations;
    std::vector<InterpretedComponent> &components = after.at(std::size_t(specimen)).components;
    if (index < 0 || std::size_t(index) >= components.size())
        return;
    const QString text
        = QStringLiteral("Delete %1")
              .arg(specimenText(after[std::size_t(specimen)], components[std::size_t(index)].name));
    components.erase(components.begin() + index);
    change(specimen, std::move(after), text);
}

bool SpecimenInterpretations::renameComponent(int specimen, int index, const std::string &name)
{
    Interpretations after = m_interpretations;
    std::vector<InterpretedComponent> &components = after.at(std::size_t(specimen)).components;
    if (name.empty() || index < 0 || std::size_t(index) >= components.size())
        return false;
    if (std::any_of(components.begin(), components.end(),
            [&](const InterpretedComponent &c) { return c.name == name; }))
        return components[std::size_t(index)].name == name;
    const QString text
        = QStringLiteral("Rename %1")
              .arg(specimenText(after[std::size_t(specimen)], components[std::size_t(index)].name));
    components[std::size_t(index)].name = name;
    change(specimen, std::move(after), text);
    return true;
}

bool SpecimenInterpretations::markStepsBad(int specimen, const std::vector<int> &steps, bool bad)
{
    Interpretations after = m_interpretations;
    SpecimenInterpretation &interpretation = after.at(std::size_t(specimen));
    std::set<int> marked(interpretation.badSteps.begin(), interpretation.badSteps.end());
    std::size_t changed = 0;
    for (const int step : steps) {
        if (step >= 0)
            changed += bad ? std::size_t(marked.insert(step).second) : marked.erase(step);
    }
    if (changed == 0)
        return false;
    interpretation.badSteps.assign(marked.begin(), marked.end());
    for (InterpretedComponent &component : interpretation.components)
        component.steps = withoutBadSteps(component.steps, interpretation.badSteps);
    const QString what
        = changed == 1 ? QStringLiteral("1 step") : QStringLiteral("%1 steps").arg(changed);
    const QString text = bad ? QStringLiteral("Mark %1 of %2 bad")
                                   .arg(what, QString::fromStdString(interpretation.specimen))
                             : QStringLiteral("Mark %1 of %2 good")
                                   .arg(what, QString::fromStdString(interpretation.specimen));
    change(specimen, std::move(after), text);
    return true;
}

void SpecimenInterpretations::replaceAll(Interpretations interpretations, const QString &text)
{
    if (interpretations.size() != m_interpretations.size())
        return;
    change(-1, std::move(interpretations), text);
}

std::string SpecimenInterpretations::unusedName(int specimen) const
{
    const std::vector<InterpretedComponent> &components = of(specimen).components;
    for (int n = 1;; ++n) {
        const std::string name = "C" + std::to_string(n);
        if (std::none_of(components.begin(), components.end(),
                [&](const InterpretedComponent &c) { return c.name == name; }))
            return name;
    }
}

void SpecimenInterpretations::change(int specimen, Interpretations after, const QString &text)
{
    m_undo->push(
        new InterpretationChange(*this, specimen, m_interpretations, std::move(after), text));
}

void SpecimenInterpretations::assign(const Interpretations &interpretations, int specimen)
{
    m_interpretations = interpretations;
    emit assigned();
    if (specimen >= 0)
        emit specimenChanged(specimen);
    emit changed();
}

} // namespace Demagora
