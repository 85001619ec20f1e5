// A file dialog that remembers its filter and the last chosen file, as the main window's two dialogs do.
#pragma once

#include <QObject>
#include <QString>

class UserPrompts;
class QWidget;

class CommonDialog : public QObject
{
    Q_OBJECT
public:
    CommonDialog(UserPrompts& prompts, QWidget* owner);

    void setFilter(const QString& filter) { m_filter = filter; }
    QString fileName() const { return m_fileName; }
    // The Save box proposes this file.
    void setFileName(const QString& fileName) { m_fileName = fileName; }
    // The filter's type chosen in the Save box, counted from 1: set before, read after.
    int filterIndex() const { return m_filterIndex; }
    void setFilterIndex(int index) { m_filterIndex = index; }

    // Both return false when the user cancels; the file name then stays as it was.
    bool showOpen();
    bool showSave();

private:
    bool accept(const QString& chosen);

    UserPrompts& m_prompts;
    QWidget* m_owner;
    QString m_filter;
    QString m_fileName;
    int m_filterIndex = 1;
};
