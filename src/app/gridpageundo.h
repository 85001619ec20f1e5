// The grid's side of a page commit in the sheet's undo history: undo puts the page back into the
// grid's boxes, redo takes it out again.
#pragma once

#include <QAbstractUndoItem>
#include <QList>
#include <QPointer>
#include <QStringList>

class QLineEdit;

class GridPageUndo : public QAbstractUndoItem
{
public:
    // page: what the boxes held when it was committed; they are empty right after.
    GridPageUndo(const QList<QLineEdit*>& boxes, const QStringList& page);

    // Whatever the boxes hold by then (a next page begun) is kept for the redo, so that an undo
    // and its redo lose nothing typed meanwhile.
    void undo() override;
    void redo() override;

private:
    static QStringList textsOf(const QList<QPointer<QLineEdit>>& boxes);
    void show(const QStringList& texts);

    QList<QPointer<QLineEdit>> m_boxes;
    QStringList m_page;
    QStringList m_afterCommit;
};
