// The lyric sheet box: a plain-text editor whose text, as the program sees it, breaks lines with CR LF.
#include "app/sheetbox.h"

#include "lyrics/sheetcleaner.h"
#include "lyrics/timeshift.h"

#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString toEditorBreaks(QString text)
{
    return text.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
}

// Where a position of the text before the edits stands after them; inside a replaced span it keeps
// its distance from the span's start as far as the new text reaches.
qsizetype positionAfter(const std::vector<TextEdit>& edits, qsizetype position)
{
    qsizetype moved = 0;
    for (const TextEdit& edit : edits) {
        if (edit.position >= position)
            break;
        if (edit.position + edit.length <= position)
            moved += edit.text.size() - edit.length;
        else
            return edit.position + moved + std::min(position - edit.position, edit.text.size());
    }
    return position + moved;
}

} // namespace

SheetBox::SheetBox(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    // The strip is one line high: a horizontal bar that is always there would leave no room for the
    // text, so it shows only when a line is wider than the strip.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

QString SheetBox::text() const
{
    return toPlainText().replace(u'\n', u"\r\n"_s);
}

void SheetBox::setText(const QString& text)
{
    setPlainText(toEditorBreaks(text));
}

void SheetBox::appendText(const QString& text)
{
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(toEditorBreaks(text));
}

void SheetBox::removeEmptyTags()
{
    // The editor's plain text counts every line break as one character, as the document does.
    const QList<qsizetype> positions = emptyTagPositions(toPlainText());
    if (positions.isEmpty())
        return;
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    for (auto at = positions.crbegin(); at != positions.crend(); ++at) {
        cursor.setPosition(int(*at));
        cursor.setPosition(int(*at) + 2, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    cursor.endEditBlock();
}

int SheetBox::shiftTimeTags(qint64 milliseconds)
{
    const QTextCursor selection = textCursor();
    // Positions in the editor's plain text are positions in the document: one character a break.
    const QString sheet = toPlainText();
    const TimeShift shift = selection.hasSelection()
        ? ::shiftTimeTags(sheet, milliseconds, selection.selectionStart(), selection.selectionEnd())
        : ::shiftTimeTags(sheet, milliseconds);
    if (shift.edits.empty())
        return shift.clampedToZero;
    // Taken now: the cursor itself follows the edits.
    const int anchor = selection.anchor();
    const int position = selection.position();
    // Only the tags are replaced, from the last to the first so that the positions ahead stay right.
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    for (auto edit = shift.edits.crbegin(); edit != shift.edits.crend(); ++edit) {
        cursor.setPosition(int(edit->position));
        cursor.setPosition(int(edit->position + edit->length), QTextCursor::KeepAnchor);
        cursor.insertText(edit->text);
    }
    cursor.endEditBlock();
    // The document moves a cursor standing at the start of a replaced tag behind the new one, so a
    // selection of whole lines would lose its first tag; the user's cursor is put back instead.
    QTextCursor kept(document());
    kept.setPosition(int(positionAfter(shift.edits, anchor)));
    kept.setPosition(int(positionAfter(shift.edits, position)), QTextCursor::KeepAnchor);
    setTextCursor(kept);
    return shift.clampedToZero;
}

void SheetBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT lineDoubleClicked(cursorForPosition(event->position().toPoint()).block().text());
}
