#pragma once

#include "data/labels/label_edit.h"

#include <QUndoCommand>

#include <functional>
#include <vector>

// Labelling done (label bursts, delete a segment, import a file) as one step of the undo stack. The
// edits are already applied when the command is pushed; redo applies them again, undo reverts them.
class label_command : public QUndoCommand
{
public:
    // change(edit, forward) applies (forward) or reverts an edit.
    using change_function = std::function<void(const label_edit& edit, bool forward)>;

    label_command(const QString& text, std::vector<label_edit> edits, change_function change);

    void undo() override;
    void redo() override;

private:
    std::vector<label_edit> edits_;
    change_function change_;
    bool applied_ = true;
};
