// Binds the program's key as a global shortcut of the desktop portal (org.freedesktop.portal.GlobalShortcuts).
#pragma once

#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QDBusMessage;
class QDBusPendingCallWatcher;

class GlobalKeyPortal : public QObject
{
    Q_OBJECT

public:
    // The shortcut's id in the portal and the words the desktop shows beside it.
    static const QString kShortcutId;
    static const QString kDescription;
    // Fixed and unique: a host program has no app id in the portal, so on KDE this token names the
    // registration, and the user's choice of key is found again at the next start.
    static const QString kSessionToken;

    // True in a Wayland session, where XWayland sees the key only while an X window has the focus.
    static bool sessionIsWayland();

    // Starts at once and goes on through the event loop: bound() or unavailable() follows.
    // preferredTrigger is in the portal's words ("F9").
    GlobalKeyPortal(const QString& preferredTrigger, QObject* parent);
    ~GlobalKeyPortal() override;

    bool isBound() const;

Q_SIGNALS:
    // The desktop took the shortcut: from now on its presses come as activated().
    void bound();
    // No portal, none with global shortcuts, or the user refused it; why in words for diagnostics.
    void unavailable(const QString& why);
    // One press of the shortcut, wherever the focus is; a held key is one press.
    void activated();

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap& results);
    void onActivated(const QDBusMessage& message);
    void onSessionClosed();

private:
    enum class Step { Probing, CreatingSession, Binding, Bound, Failed };
    void createSession();
    void bindShortcuts();
    QString expectResponse();
    void watchRequestReply(QDBusPendingCallWatcher* watcher, const QString& expectedPath);
    void fail(const QString& why);

    QString m_trigger;
    Step m_step = Step::Probing;
    QString m_requestPath; // the portal request whose Response is awaited
    QDBusObjectPath m_session;
    int m_requests = 0;
    bool m_down = false; // activated and not yet deactivated
    QElapsedTimer m_sinceActivated;
    // Longer than the delay before a held key repeats (600 ms by default on KDE and GNOME).
    static constexpr qint64 kRepeatGapMs = 1000;
};
