// The lyric sheet box: a plain-text editor whose text, as the program sees it, breaks lines with CR LF.
#include "app/sheetbox.h"

#include "lyrics/sheetcleaner.h"

#include <QTextCursor>

using namespace Qt::StringLiterals;

namespace {

QString toEditorBreaks(QString text)
{
    return text.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
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
