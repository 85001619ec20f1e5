// The lyric sheet box: a plain-text editor whose text, as the program sees it, breaks lines with CR LF.
#pragma once

#include <QPlainTextEdit>

class SheetBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit SheetBox(QWidget* parent = nullptr);

    // The sheet with CR LF line breaks, whatever the editor stores internally.
    QString text() const;
    void setText(const QString& text);

    // Adds text at the very end without touching what is there, so a commit onto a long
    // sheet costs only the new lines; a last line without a break is continued.
    void appendText(const QString& text);

    // Removes every "[]" as the export's cleaning does, as one edit: one undo brings them all
    // back, and the rest of the sheet, its cursor and its undo history stay as they were.
    void removeEmptyTags();

    // Moves the time tags of the lines the selection touches, or of every line without a
    // selection, by milliseconds (negative: earlier), as one edit that one undo takes back.
    // Returns how many tags would have come before the start and were put at zero.
    int shiftTimeTags(qint64 milliseconds);

Q_SIGNALS:
    // A double click on a line; the line's text without its break.
    void lineDoubleClicked(const QString& line);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
