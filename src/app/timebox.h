// A time box of the lyric page: a line edit into which a pasted position readout arrives as its tag.
#pragma once

#include <QClipboard>
#include <QLineEdit>

class TimeBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit TimeBox(const QString& text, QWidget* parent = nullptr);

    // Inserts text at the cursor as a paste does: a readout such as "1:5:34" as its tag "01:05.34",
    // anything else as it is. Typing never comes through here.
    void insertPasted(const QString& text);

    // Pastes the clipboard, or the mouse selection, through insertPasted.
    void pasteFrom(QClipboard::Mode mode);

protected:
    // Every way of pasting into a line edit: the paste keys, the context menu's 粘贴, the middle
    // button and a dropped text.
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
