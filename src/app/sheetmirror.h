// A copy of a text document's text kept up to date edit by edit, so that taking it costs nothing
// however long the sheet: the recovery writer's snapshot.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QTextDocument;

class SheetMirror : public QObject
{
    Q_OBJECT
public:
    explicit SheetMirror(QTextDocument* document, QObject* parent = nullptr);

    // The document's text as it stands, with its line breaks as the document holds them (U+2029)
    // and nothing else changed; an implicitly shared copy.
    QString text() const;

private:
    void apply(int position, int removed, int added);
    void resync();
    QString between(int from, int to) const;

    QPointer<QTextDocument> m_document;
    QString m_text;
};
