// The floor of shortcut_bench: the desktop portal's global shortcut bound with Qt D-Bus, and libmpv paused
// and played again on each Activated signal in turn, nothing else. Prints "ready" once bound, then "play"
// for each start, and for each pause the milliseconds from the signal's arrival to the pause and the
// position read.
// Arguments: the song, the shortcut's preferred trigger (such as F10).
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QEventLoop>

#include <mpv/client.h>

#include <clocale>
#include <cstdio>

using namespace Qt::StringLiterals;

struct Shortcut
{
    QString id;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(Shortcut)

QDBusArgument& operator<<(QDBusArgument& argument, const Shortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, Shortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

class Bare : public QObject
{
    Q_OBJECT
public:
    mpv_handle* mpv = nullptr;
    QElapsedTimer clock;
    QVariantMap results;
    bool paused = true;
    QEventLoop* waiting = nullptr;

    // Calls a portal method that answers with a Response signal, and waits for that answer.
    bool request(const QString& method, QList<QVariant> arguments, const QString& token)
    {
        QString sender = QDBusConnection::sessionBus().baseService().mid(1);
        sender.replace(u'.', u'_');
        const QString path = u"/org/freedesktop/portal/desktop/request/%1/%2"_s.arg(sender, token);
        QDBusConnection::sessionBus().connect(u"org.freedesktop.portal.Desktop"_s, path,
                                              u"org.freedesktop.portal.Request"_s, u"Response"_s, this,
                                              SLOT(response(uint, QVariantMap)));
        QDBusMessage call
            = QDBusMessage::createMethodCall(u"org.freedesktop.portal.Desktop"_s, u"/org/freedesktop/portal/desktop"_s,
                                             u"org.freedesktop.portal.GlobalShortcuts"_s, method);
        call.setArguments(arguments);
        if (QDBusConnection::sessionBus().call(call).type() == QDBusMessage::ErrorMessage)
            return false;
        QEventLoop loop;
        waiting = &loop;
        loop.exec();
        waiting = nullptr;
        return true;
    }

public Q_SLOTS:
    void response(uint, const QVariantMap& answer)
    {
        results = answer;
        if (waiting)
            waiting->quit();
    }
    void activated(const QDBusMessage&)
    {
        const qint64 arrivedNs = clock.nsecsElapsed();
        paused = !paused;
        int flag = paused ? 1 : 0;
        mpv_set_property(mpv, "pause", MPV_FORMAT_FLAG, &flag);
        double position = 0;
        mpv_get_property(mpv, "time-pos", MPV_FORMAT_DOUBLE, &position);
        if (paused)
            std::printf("pause %.3f %.2f\n", (clock.nsecsElapsed() - arrivedNs) / 1e6, position);
        else
            std::printf("play\n");
    }
};

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc < 3)
        return 2;
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<QList<Shortcut>>();
    Bare bare;
    bare.clock.start();
    bare.mpv = mpv_create();
    mpv_set_option_string(bare.mpv, "ao", "null");
    mpv_set_option_string(bare.mpv, "vo", "null");
    mpv_set_option_string(bare.mpv, "pause", "yes");
    if (mpv_initialize(bare.mpv) < 0)
        return 1;
    const char* load[] = {"loadfile", argv[1], nullptr};
    mpv_command(bare.mpv, load);

    const QList<Shortcut> shortcuts{
        {u"bare"_s, {{u"description"_s, u"floor"_s}, {u"preferred_trigger"_s, QString::fromLocal8Bit(argv[2])}}}};
    const QVariantMap options{{u"handle_token"_s, u"bare_1"_s},
                              {u"session_handle_token"_s, u"lrc_bench_floor"_s},
                              {u"shortcuts"_s, QVariant::fromValue(shortcuts)}};
    if (!bare.request(u"CreateSession"_s, {options}, u"bare_1"_s))
        return 1;
    const QDBusObjectPath session(bare.results.value(u"session_handle"_s).toString());
    QDBusConnection::sessionBus().connect(u"org.freedesktop.portal.Desktop"_s, u"/org/freedesktop/portal/desktop"_s,
                                          u"org.freedesktop.portal.GlobalShortcuts"_s, u"Activated"_s, &bare,
                                          SLOT(activated(QDBusMessage)));
    if (!bare.request(u"BindShortcuts"_s,
                      {QVariant::fromValue(session), QVariant::fromValue(shortcuts), QString(),
                       QVariantMap{{u"handle_token"_s, u"bare_2"_s}}},
                      u"bare_2"_s))
        return 1;
    std::printf("ready\n");
    return QCoreApplication::exec();
}

#include "shortcut_bare.moc"
