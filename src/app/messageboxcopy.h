// Copying a message box's text, as the message boxes of Windows allow and Qt's do not elsewhere.
#pragma once

class QMessageBox;

// The box's text becomes selectable with the mouse, and Ctrl+C (the platform's copy key) puts
// the selection on the clipboard, or the whole text when nothing is selected: just the text,
// so that a time read from the box pastes as it is. Text, title and buttons stay as they are.
void allowCopyingText(QMessageBox& box);
