// Binds the program's key as a global shortcut of the desktop portal (org.freedesktop.portal.GlobalShortcuts).
#include "playback/globalkeyportal.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QList>

using namespace Qt::StringLiterals;

namespace {

const QString kPortalService = u"org.freedesktop.portal.Desktop"_s;
const QString kPortalPath = u"/org/freedesktop/portal/desktop"_s;
const QString kShortcutsInterface = u"org.freedesktop.portal.GlobalShortcuts"_s;
const QString kRequestInterface = u"org.freedesktop.portal.Request"_s;
const QString kSessionInterface = u"org.freedesktop.portal.Session"_s;

// One entry of the portal's a(sa{sv}) list of shortcuts: an id and its properties.
struct PortalShortcut
{
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(PortalShortcut)

namespace {

QList<PortalShortcut> shortcuts(const QString& trigger)
{
    static const bool registered = [] {
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<QList<PortalShortcut>>();
        return true;
    }();
    Q_UNUSED(registered);
    return {{GlobalKeyPortal::kShortcutId,
             {{u"description"_s, GlobalKeyPortal::kDescription}, {u"preferred_trigger"_s, trigger}}}};
}

QDBusConnection bus()
{
    return QDBusConnection::sessionBus();
}

} // namespace

const QString GlobalKeyPortal::kShortcutId = u"toggle"_s;
const QString GlobalKeyPortal::kDescription = u"播放/暂停并显示当前时刻"_s;
const QString GlobalKeyPortal::kSessionToken = u"xiaoyun_lrc_f9"_s;

bool GlobalKeyPortal::sessionIsWayland()
{
    return qEnvironmentVariable("XDG_SESSION_TYPE") == u"wayland"_s || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

GlobalKeyPortal::GlobalKeyPortal(const QString& preferredTrigger, QObject* parent)
    : QObject(parent)
    , m_trigger(preferredTrigger)
{
    if (!bus().isConnected()) {
        // Reported from the event loop, as every other outcome is, once the owner has connected.
        QMetaObject::invokeMethod(
            this, [this] { fail(u"no session bus"_s); }, Qt::QueuedConnection);
        return;
    }
    // A portal too old for global shortcuts, or a desktop whose backend has none, has no such
    // interface: asking for its version tells that without any dialog on the screen.
    QDBusMessage probe
        = QDBusMessage::createMethodCall(kPortalService, kPortalPath, u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
    probe << kShortcutsInterface << u"version"_s;
    auto* watcher = new QDBusPendingCallWatcher(bus().asyncCall(probe), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        if (call->isError()) {
            fail(u"the desktop portal offers no global shortcuts (%1)"_s.arg(call->error().name()));
            return;
        }
        createSession();
    });
}

GlobalKeyPortal::~GlobalKeyPortal()
{
    // The portal keeps a session until its owner leaves the bus: closing it lets a new one take the
    // same token while this connection lives on.
    if (!m_session.path().isEmpty())
        bus().asyncCall(
            QDBusMessage::createMethodCall(kPortalService, m_session.path(), kSessionInterface, u"Close"_s));
}

bool GlobalKeyPortal::isBound() const
{
    return m_step == Step::Bound;
}

// The portal answers a request with a Response signal on an object named after this connection
// and a token; listening there before the call leaves no gap for the answer to slip through.
QString GlobalKeyPortal::expectResponse()
{
    const QString token = u"xiaoyun_lrc_%1"_s.arg(++m_requests);
    QString sender = bus().baseService().mid(1);
    sender.replace(u'.', u'_');
    m_requestPath = u"%1/request/%2/%3"_s.arg(kPortalPath, sender, token);
    bus().connect(kPortalService, m_requestPath, kRequestInterface, u"Response"_s, this,
                  SLOT(onResponse(uint, QVariantMap)));
    return token;
}

// Portals older than the naming rule answer on another object, which their reply names.
void GlobalKeyPortal::watchRequestReply(QDBusPendingCallWatcher* watcher, const QString& expectedPath)
{
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, expectedPath](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *call;
        if (reply.isError()) {
            fail(reply.error().message());
            return;
        }
        const QString path = reply.value().path();
        if (path == expectedPath || m_requestPath != expectedPath)
            return;
        bus().disconnect(kPortalService, expectedPath, kRequestInterface, u"Response"_s, this,
                         SLOT(onResponse(uint, QVariantMap)));
        m_requestPath = path;
        bus().connect(kPortalService, path, kRequestInterface, u"Response"_s, this,
                      SLOT(onResponse(uint, QVariantMap)));
    });
}

void GlobalKeyPortal::createSession()
{
    m_step = Step::CreatingSession;
    QVariantMap options{{u"handle_token"_s, expectResponse()}, {u"session_handle_token"_s, kSessionToken}};
    // KDE's portal of Plasma 5.27 registers the shortcuts given here and ignores those of
    // BindShortcuts; later portals take them from BindShortcuts. Both get them.
    options.insert(u"shortcuts"_s, QVariant::fromValue(shortcuts(m_trigger)));
    QDBusMessage call
        = QDBusMessage::createMethodCall(kPortalService, kPortalPath, kShortcutsInterface, u"CreateSession"_s);
    call << options;
    watchRequestReply(new QDBusPendingCallWatcher(bus().asyncCall(call), this), m_requestPath);
}

void GlobalKeyPortal::bindShortcuts()
{
    m_step = Step::Binding;
    QDBusMessage call
        = QDBusMessage::createMethodCall(kPortalService, kPortalPath, kShortcutsInterface, u"BindShortcuts"_s);
    // No parent window: Qt offers no portable handle for it, and the desktop then centres its dialog.
    call << QVariant::fromValue(m_session) << QVariant::fromValue(shortcuts(m_trigger)) << QString()
         << QVariantMap{{u"handle_token"_s, expectResponse()}};
    watchRequestReply(new QDBusPendingCallWatcher(bus().asyncCall(call), this), m_requestPath);
}

void GlobalKeyPortal::onResponse(uint response, const QVariantMap& results)
{
    bus().disconnect(kPortalService, m_requestPath, kRequestInterface, u"Response"_s, this,
                     SLOT(onResponse(uint, QVariantMap)));
    // 1: the user said no in the desktop's dialog; 2: anything else that ended the request.
    if (response != 0) {
        fail(response == 1 ? u"the user declined the shortcut"_s
                           : u"the portal ended the request (%1)"_s.arg(response));
        return;
    }
    if (m_step == Step::CreatingSession) {
        // A string by the portal's documents; some portals send an object path.
        const QVariant handle = results.value(u"session_handle"_s);
        m_session = QDBusObjectPath(handle.canConvert<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path()
                                                                         : handle.toString());
        if (m_session.path().isEmpty()) {
            fail(u"the portal named no session"_s);
            return;
        }
        for (const QString& signal : {u"Activated"_s, u"Deactivated"_s})
            bus().connect(kPortalService, kPortalPath, kShortcutsInterface, signal, this,
                          SLOT(onActivated(QDBusMessage)));
        bus().connect(kPortalService, m_session.path(), kSessionInterface, u"Closed"_s, this, SLOT(onSessionClosed()));
        bindShortcuts();
    } else if (m_step == Step::Binding) {
        m_step = Step::Bound;
        Q_EMIT bound();
    }
}

// The press time the portal sends is not used: KDE's of Plasma 5.27 sends 0, and the others do not
// say which clock it is on. The press is taken as made when it arrives.
void GlobalKeyPortal::onActivated(const QDBusMessage& message)
{
    const QList<QVariant> arguments = message.arguments();
    if (m_step != Step::Bound || arguments.size() < 2 || arguments.at(0).value<QDBusObjectPath>() != m_session
        || arguments.at(1).toString() != kShortcutId)
        return;
    if (message.member() == u"Deactivated"_s) {
        m_down = false;
        return;
    }
    // KWin activates the shortcut again for each repeat of a held key, and Deactivated comes once, at
    // the release: a held key is one press. A portal that never says Deactivated still gets a press
    // counted after a pause longer than any key repeat's.
    const bool repeat = m_down && m_sinceActivated.isValid() && m_sinceActivated.elapsed() < kRepeatGapMs;
    m_down = true;
    m_sinceActivated.start();
    if (!repeat)
        Q_EMIT activated();
}

void GlobalKeyPortal::onSessionClosed()
{
    m_session = QDBusObjectPath();
    fail(u"the desktop closed the shortcut's session"_s);
}

void GlobalKeyPortal::fail(const QString& why)
{
    if (m_step == Step::Failed)
        return;
    m_step = Step::Failed;
    Q_EMIT unavailable(why);
}
