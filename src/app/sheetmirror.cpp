// A copy of a text document's text kept up to date edit by edit, so that taking it costs nothing
// however long the sheet: the recovery writer's snapshot.
#include "app/sheetmirror.h"

#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

SheetMirror::SheetMirror(QTextDocument* document, QObject* parent)
    : QObject(parent)
    , m_document(document)
{
    connect(document, &QTextDocument::contentsChange, this, &SheetMirror::apply);
    resync();
}

QString SheetMirror::text() const
{
    return m_text;
}

// The document reports some edits (a whole new text, an edit block reaching the end) with one
// character too many on both sides, counting its closing paragraph separator: the counts are
// cut to what the texts hold, which gives the same result. Anything else that does not add up
// reads the whole text again.
void SheetMirror::apply(int position, int removed, int added)
{
    const int length = m_document->characterCount() - 1;
    if (position < 0 || position > m_text.size() || position > length) {
        resync();
        return;
    }
    removed = std::clamp(removed, 0, int(m_text.size()) - position);
    added = std::clamp(added, 0, length - position);
    m_text.replace(position, removed, between(position, position + added));
    if (m_text.size() != length)
        resync();
}

void SheetMirror::resync()
{
    m_text = between(0, m_document->characterCount() - 1);
}

QString SheetMirror::between(int from, int to) const
{
    if (to <= from)
        return {};
    QTextCursor cursor(m_document);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    return cursor.selectedText();
}
