// The main window's work kept outside the window: offered back at start, written a moment after
// each change, and at once when the program is told to end.
#pragma once

#include "app/autosaver.h"
#include "app/recoverystore.h"

#include <QObject>

class Form1;
class SheetMirror;
class UserPrompts;
struct RecoveryData;

class Recovery : public QObject
{
    Q_OBJECT
public:
    // Keeps the window's work in a file of its own in folder, from the first change on.
    Recovery(Form1& form, UserPrompts& prompts, const QString& folder = RecoveryStore::defaultFolder());
    ~Recovery() override;

    // Offers the newest recovery file an ended program left in the folder: its question, or the
    // one box for a file that cannot be read.
    void offerLeftover();

    // SIGTERM and SIGHUP end the program through endNow; a logout asked by the session manager
    // goes through endWithSession. For the program itself, not for windows made by tests.
    void watchTheEnd();

    // Writes the work at once and ends the program, asking nothing.
    void endNow();
    // The session is ending: the work goes into the file at once, and a close that follows asks
    // nothing and keeps the file (the next start offers it).
    void endWithSession();

    // This program's own recovery file.
    QString path() const;
    AutoSaver& autoSaver();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void restore(const RecoveryData& data);
    void watchChanges();
    void changed();
    void formDestroyed();
    std::optional<RecoveryData> snapshot() const;

    Form1* m_form;
    UserPrompts& m_prompts;
    QString m_folder;
    RecoveryStore m_store;
    AutoSaver m_saver;
    SheetMirror* m_sheet;
    bool m_sessionEnding = false;
    bool m_ended = false;
};
