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

    // Both return false when the user cancels; the file name then stays as it was.
    bool showOpen();
    bool showSave();

private:
    bool accept(const QString& chosen);

    UserPrompts& m_prompts;
    QWidget* m_owner;
    QString m_filter;
    QString m_fileName;
};
