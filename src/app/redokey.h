// Ctrl+Y redoes in every line box and text editor of the program, as Ctrl+Shift+Z does: the key
// users who come from Windows press.
#pragma once

#include <QObject>

class RedoKey : public QObject
{
    Q_OBJECT
public:
    // Watches the application's key events for as long as owner lives; any QLineEdit or
    // QPlainTextEdit, subclasses and boxes made later included.
    static void install(QObject* owner);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit RedoKey(QObject* owner);
};
