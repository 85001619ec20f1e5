// Copying a message box's text, as the message boxes of Windows allow and Qt's do not elsewhere.
#include "app/messageboxcopy.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>

using namespace Qt::StringLiterals;

namespace {

// Watches the label (focused once the user selects in it) and the box, which gets the keys its
// buttons leave. Owned by the box.
class CopyKey : public QObject
{
public:
    CopyKey(QMessageBox& box, QLabel& label)
        : QObject(&box)
        , m_label(label)
    {
        box.installEventFilter(this);
        label.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy))
            return false;
        QGuiApplication::clipboard()->setText(m_label.hasSelectedText() ? m_label.selectedText() : m_label.text());
        return true;
    }

private:
    QLabel& m_label;
};

} // namespace

void allowCopyingText(QMessageBox& box)
{
    box.setTextInteractionFlags(box.textInteractionFlags() | Qt::TextSelectableByMouse);
    // Qt's name for the label that holds the box's text.
    if (auto* label = box.findChild<QLabel*>(u"qt_msgbox_label"_s))
        new CopyKey(box, *label);
}
