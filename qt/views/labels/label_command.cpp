#include "views/labels/label_command.h"

label_command::label_command(const QString& text, std::vector<label_edit> edits, change_function change)
    : QUndoCommand(text), edits_(std::move(edits)), change_(std::move(change))
{
}

void label_command::undo()
{
    for (auto it = edits_.rbegin(); it != edits_.rend(); ++it)
        change_(*it, false);
    applied_ = false;
}

void label_command::redo()
{
    // QUndoStack::push redoes at once: the edits are in place already.
    if (applied_)
        return;
    for (const label_edit& e : edits_)
        change_(e, true);
    applied_ = true;
}
