// A time box of the lyric page: a line edit into which a pasted position readout arrives as its tag.
#include "app/timebox.h"

#include "playback/readouttag.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

using namespace Qt::StringLiterals;

namespace {

// The 粘贴 entry of QLineEdit's standard context menu: named so by newer Qt, known by its
// (translated) text before that, shortcut cut off.
QAction* pasteEntry(const QMenu& menu)
{
    const QString pasteText = QCoreApplication::translate("QLineEdit", "&Paste");
    for (QAction* action : menu.actions()) {
        if (action->objectName() == u"edit-paste"_s || action->text().section(u'\t', 0, 0) == pasteText)
            return action;
    }
    return nullptr;
}

} // namespace

TimeBox::TimeBox(const QString& text, QWidget* parent)
    : QLineEdit(text, parent)
{}

void TimeBox::insertPasted(const QString& text)
{
    insert(tagFromReadout(text).value_or(text));
}

void TimeBox::pasteFrom(QClipboard::Mode mode)
{
    if (isReadOnly())
        return;
    insertPasted(QGuiApplication::clipboard()->text(mode));
}

void TimeBox::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste) && !isReadOnly()) {
        // KDE's Ctrl+Shift+Insert pastes the mouse selection, as QLineEdit does it there.
        const bool selection
            = event->key() == Qt::Key_Insert && event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier);
        pasteFrom(selection ? QClipboard::Selection : QClipboard::Clipboard);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TimeBox::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    if (!menu)
        return;
    // The entry keeps its text, shortcut and enabled state; only what it inserts changes.
    if (QAction* paste = pasteEntry(*menu)) {
        paste->disconnect(this);
        connect(paste, &QAction::triggered, this, [this] { pasteFrom(QClipboard::Clipboard); });
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TimeBox::mouseReleaseEvent(QMouseEvent* event)
{
    // The middle button pastes the mouse selection where the press put the cursor, on systems that
    // have one; QLineEdit would paste it again, so it does not see this release.
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection() && !isReadOnly()) {
        deselect();
        pasteFrom(QClipboard::Selection);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void TimeBox::dropEvent(QDropEvent* event)
{
    const std::optional<QString> tag
        = event->mimeData()->hasText() ? tagFromReadout(event->mimeData()->text()) : std::nullopt;
    if (!tag) {
        QLineEdit::dropEvent(event);
        return;
    }
    // QLineEdit places the drop and selects what it inserted; it is handed the tag to insert instead.
    QMimeData converted;
    converted.setText(*tag);
    QDropEvent drop(event->position(), event->possibleActions(), &converted, event->buttons(), event->modifiers());
    drop.setDropAction(event->dropAction());
    QLineEdit::dropEvent(&drop);
    event->setDropAction(drop.dropAction());
    event->setAccepted(drop.isAccepted());
}
