#pragma once

#include "main_window/componentsession.h"

#include <QUndoCommand>

#include <functional>

namespace Demagora {

// One undoable change of the components (Add direction, Change, Delete component, Clear
// everything): the session's state before and after it. The change is already done when the
// command is pushed; undo and redo hand one of the two states to apply.
class SessionCommand : public QUndoCommand
{
public:
    using Apply = std::function<void(const ComponentSession::State &)>;

    SessionCommand(const QString &text, ComponentSession::State before,
        ComponentSession::State after, Apply apply);

    void undo() override;
    void redo() override;

private:
    ComponentSession::State m_before;
    ComponentSession::State m_after;
    Apply m_apply;
    bool m_done = true;
};

} // namespace Demagora
