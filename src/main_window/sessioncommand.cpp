#include "main_window/sessioncommand.h"

namespace Demagora {

SessionCommand::SessionCommand(
    const QString &text, ComponentSession::State before, ComponentSession::State after, Apply apply)
    : QUndoCommand(text)
    , m_before(std::move(before))
    , m_after(std::move(after))
    , m_apply(std::move(apply))
{ }

void SessionCommand::undo()
{
    m_apply(m_before);
    m_done = false;
}

void SessionCommand::redo()
{
    // QUndoStack::push calls redo at once; the change itself has been made by then.
    if (m_done)
        return;
    m_apply(m_after);
    m_done = true;
}

} // namespace Demagora
