#pragma once

#include "analysis/interpretationfiles.h"

#include <QObject>
#include <QString>

class QUndoStack;

namespace Demagora {

// The interpretations of the specimens window's set, one per specimen, changed only through
// its undo stack, so that every change can be undone and the stack tells whether they are
// saved. The interpretation panel edits it; the window's picture reads it.
class SpecimenInterpretations : public QObject
{
    Q_OBJECT

public:
    explicit SpecimenInterpretations(const MeasurementSet &set, QObject *parent = nullptr);

    const Interpretations &all() const { return m_interpretations; }
    const SpecimenInterpretation &of(int specimen) const;
    QUndoStack *undoStack() const { return m_undo; }
    // Whether they are as last saved or opened (or as made, when there are none).
    bool isSaved() const;
    void markSaved();

    // Adds the component to the specimen, or replaces its component of the same name.
    void putComponent(int specimen, InterpretedComponent component);
    void removeComponent(int specimen, int index);
    // False, changing nothing, when the name is empty or another component has it.
    bool renameComponent(int specimen, int index, const std::string &name);
    // Marks the steps of the specimen bad (or good again); a step marked bad leaves every
    // component that takes it, which is fitted again without it. False, changing nothing, when
    // every step is already so.
    bool markStepsBad(int specimen, const std::vector<int> &steps, bool bad);
    // Every interpretation at once (a table opened), as one step to undo.
    void replaceAll(Interpretations interpretations, const QString &text);

    // Every interpretation at once, seen over other steps of the same measurements (every
    // reading, or the readings merged): nothing to undo across it, so the undo history is
    // cleared; whether they are saved stays as it was.
    void resetTo(Interpretations interpretations);

    // The first of "C1", "C2" ... the specimen has no component of.
    std::string unusedName(int specimen) const;

signals:
    // First of all, whenever the interpretations are set (a change, its undo or redo, a reset):
    // the window brings what it derives from them (the steps merged without the readings
    // marked bad) up to date before anyone shows them.
    void assigned();
    // Before changed(), when a change, its undo or its redo touches one specimen: the window
    // shows that specimen, so that nothing changes out of sight.
    void specimenChanged(int specimen);
    void changed();

private:
    friend class InterpretationChange;
    // specimen: the one changed, -1 for every one.
    void change(int specimen, Interpretations after, const QString &text);
    void assign(const Interpretations &interpretations, int specimen);

    Interpretations m_interpretations;
    QUndoStack *m_undo = nullptr;
    // Changes made before the undo history was last cleared and not saved since.
    bool m_unsavedBeforeReset = false;
};

} // namespace Demagora
