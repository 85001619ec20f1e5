// The grid's side of a page commit in the sheet's undo history: undo puts the page back into the
// grid's boxes, redo takes it out again.
#include "app/gridpageundo.h"

#include <QLineEdit>

GridPageUndo::GridPageUndo(const QList<QLineEdit*>& boxes, const QStringList& page)
    : m_page(page)
{
    for (QLineEdit* box : boxes)
        m_boxes << box;
    for (qsizetype i = 0; i < boxes.size(); ++i)
        m_afterCommit << QString();
}

void GridPageUndo::undo()
{
    m_afterCommit = textsOf(m_boxes);
    show(m_page);
}

void GridPageUndo::redo()
{
    show(m_afterCommit);
}

QStringList GridPageUndo::textsOf(const QList<QPointer<QLineEdit>>& boxes)
{
    QStringList texts;
    for (const QPointer<QLineEdit>& box : boxes)
        texts << (box ? box->text() : QString());
    return texts;
}

void GridPageUndo::show(const QStringList& texts)
{
    for (qsizetype i = 0; i < m_boxes.size(); ++i) {
        if (m_boxes[i])
            m_boxes[i]->setText(texts.value(i));
    }
}
