// One program per user session: a well-known name on the session bus, and what a second start sends to it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <optional>

class Form1;

class SingleInstance : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.XiaoyunLrc")

public:
    static const QString kServiceName;
    static const QString kObjectPath;

    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the name for this program, or hands the files (none: raise the window) to the program
    // that holds it. Empty when this program is to go on as the only one (also when there is no
    // session bus); else the exit status of this start. A holder that died is not waited for:
    // the bus frees its name with its connection.
    std::optional<int> claimOrHandOver(const QStringList& paths);
    // Runs the calls of later starts on this window, and the files handed over before it existed.
    void serve(Form1* form);

    // The toggle command: one press of F9 in the running program. Needs a QCoreApplication;
    // returns the exit status and says on stderr, in one line, why it failed.
    static int sendToggle();

public Q_SLOTS:
    Q_SCRIPTABLE void Toggle();
    Q_SCRIPTABLE void Activate();
    Q_SCRIPTABLE void Open(const QStringList& paths);

private:
    bool m_owner = false;
    QPointer<Form1> m_form;
    QStringList m_waitingPaths; // handed over before there was a window to take them
};
