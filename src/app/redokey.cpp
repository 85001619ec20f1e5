// Ctrl+Y redoes in every line box and text editor of the program, as Ctrl+Shift+Z does: the key
// users who come from Windows press.
#include "app/redokey.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

void RedoKey::install(QObject* owner)
{
    qApp->installEventFilter(new RedoKey(owner));
}

RedoKey::RedoKey(QObject* owner)
    : QObject(owner)
{}

bool RedoKey::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->keyCombination() != QKeyCombination(Qt::ControlModifier, Qt::Key_Y))
        return false;
    auto* line = qobject_cast<QLineEdit*>(watched);
    auto* editor = qobject_cast<QPlainTextEdit*>(watched);
    if (!line && !editor)
        return false;
    // Claimed before any shortcut of a menu or a window can take it.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (line && !line->isReadOnly())
        line->redo();
    else if (editor && !editor->isReadOnly())
        editor->redo();
    return true;
}
