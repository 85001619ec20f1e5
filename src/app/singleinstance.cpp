// One program per user session: a well-known name on the session bus, and what a second start sends to it.
#include "app/singleinstance.h"

#include "app/form1.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QFileInfo>

#include <cstdio>
#include <utility>

using namespace Qt::StringLiterals;

const QString SingleInstance::kServiceName = u"io.github.XiaoyunLrc"_s;
const QString SingleInstance::kObjectPath = u"/io/github/XiaoyunLrc"_s;

namespace {

QDBusMessage callRunning(const QString& method, const QVariantList& arguments = {})
{
    QDBusMessage call = QDBusMessage::createMethodCall(SingleInstance::kServiceName, SingleInstance::kObjectPath,
                                                       SingleInstance::kServiceName, method);
    call.setArguments(arguments);
    // The running program only queues the work, so it answers at once unless it is frozen.
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 10000);
}

// The name's holder left between the claim and the call: the name is free again.
bool holderGone(const QDBusMessage& reply)
{
    return reply.type() == QDBusMessage::ErrorMessage
        && (reply.errorName() == u"org.freedesktop.DBus.Error.ServiceUnknown"_s
            || reply.errorName() == u"org.freedesktop.DBus.Error.NameHasNoOwner"_s);
}

void sayOnStderr(const QString& line)
{
    std::fputs(qPrintable(line + u'\n'), stderr);
}

} // namespace

SingleInstance::SingleInstance(QObject* parent)
    : QObject(parent)
{}

SingleInstance::~SingleInstance()
{
    if (m_owner) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(kObjectPath);
        bus.unregisterService(kServiceName);
    }
}

std::optional<int> SingleInstance::claimOrHandOver(const QStringList& paths)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return std::nullopt;
    // Three rounds cover a holder that ends between our claim and our call, and a start that
    // races us for the name left by it.
    for (int round = 0; round < 3; ++round) {
        // The bus gives the name to exactly one of several starts at once: no lock file to go stale.
        const auto reply = bus.interface()->registerService(kServiceName, QDBusConnectionInterface::DontQueueService,
                                                            QDBusConnectionInterface::DontAllowReplacement);
        if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            m_owner = bus.registerObject(kObjectPath, this, QDBusConnection::ExportScriptableSlots);
            return std::nullopt;
        }
        const QDBusMessage answer = paths.isEmpty() ? callRunning(u"Activate"_s) : callRunning(u"Open"_s, {paths});
        if (answer.type() == QDBusMessage::ReplyMessage)
            return 0;
        if (!holderGone(answer)) {
            sayOnStderr(
                u"LRC晓韵星舟已在运行，但没有回应：%1 / xiaoyun-lrc is already running but did not answer: %1"_s.arg(
                    answer.errorMessage()));
            return 1;
        }
    }
    return std::nullopt;
}

void SingleInstance::serve(Form1* form)
{
    m_form = form;
    // Files handed over while this program was still starting.
    if (!m_waitingPaths.isEmpty())
        Open(std::exchange(m_waitingPaths, {}));
}

int SingleInstance::sendToggle()
{
    const QString notRunning
        = u"LRC晓韵星舟没有在运行，没有可以切换播放/暂停的程序。 / xiaoyun-lrc is not running: there is nothing to toggle."_s;
    if (!QDBusConnection::sessionBus().isConnected()) {
        sayOnStderr(notRunning);
        return 1;
    }
    const QDBusMessage answer = callRunning(u"Toggle"_s);
    if (answer.type() == QDBusMessage::ReplyMessage)
        return 0;
    if (holderGone(answer))
        sayOnStderr(notRunning);
    else
        sayOnStderr(u"LRC晓韵星舟没有回应：%1 / xiaoyun-lrc did not answer: %1"_s.arg(answer.errorMessage()));
    return 1;
}

void SingleInstance::Toggle()
{
    if (m_form)
        m_form->pressHotkey();
}

// Brought back from the task bar and to the front; a desktop that guards the focus may only mark it
// as wanting attention.
void SingleInstance::Activate()
{
    if (!m_form)
        return;
    m_form->setWindowState((m_form->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    m_form->show();
    m_form->raise();
    m_form->activateWindow();
}

void SingleInstance::Open(const QStringList& paths)
{
    if (!m_form) {
        m_waitingPaths += paths;
        return;
    }
    Activate();
    // Queued: opening may ask a question, and the start that sent the files should not wait for it.
    QMetaObject::invokeMethod(
        m_form, [form = m_form, paths] { form->openPaths(paths); }, Qt::QueuedConnection);
}
