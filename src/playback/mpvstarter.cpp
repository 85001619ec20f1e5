// Starts a player's libmpv without holding up the window: the library is loaded on a worker
// thread once the first frame is on the screen, and the session made on this thread when it is there.
#include "playback/mpvstarter.h"

#include "common/usererror.h"
#include "playback/mpvsession.h"

#include <QMetaObject>

#include <exception>

MpvStarter::MpvStarter(QObject* parent)
    : QObject(parent)
    , m_libraryName(MpvLibrary::defaultFileName())
{}

MpvStarter::~MpvStarter()
{
    if (m_worker.joinable())
        m_worker.join();
    m_session.reset();
}

void MpvStarter::setLibraryName(const QString& fileName)
{
    if (!m_loadingBegun)
        m_libraryName = fileName;
}

// Called while the first frame is painted, so the queued call runs once it has been flushed. Not
// earlier: the dynamic loader's lock makes Qt's own plugin loading wait for a worker started any
// sooner, and a zero-time timer after show() still runs before the window's first expose.
void MpvStarter::startAfterThisFrame()
{
    if (!m_loadingBegun)
        QMetaObject::invokeMethod(this, &MpvStarter::beginLoading, Qt::QueuedConnection);
}

void MpvStarter::beginLoading()
{
    if (m_loadingBegun)
        return;
    m_loadingBegun = true;
    m_worker = std::thread([this] {
        load();
        QMetaObject::invokeMethod(this, &MpvStarter::startLoaded, Qt::QueuedConnection);
    });
}

void MpvStarter::load()
{
    try {
        m_library.emplace(m_libraryName);
    } catch (const std::exception& error) {
        m_error = QString::fromUtf8(error.what());
    }
}

// A failure here is reported through failed(); whoever needs the session later gets it thrown.
void MpvStarter::startLoaded()
{
    try {
        start();
    } catch (const std::exception&) {}
}

MpvSession& MpvStarter::start()
{
    if (m_session)
        return *m_session;
    if (!m_loadingBegun) {
        m_loadingBegun = true;
        load();
    }
    if (m_worker.joinable())
        m_worker.join();
    if (m_library && m_error.isEmpty()) {
        try {
            m_session = std::make_unique<MpvSession>(*m_library);
        } catch (const UserError& error) {
            m_error = error.message();
        }
    }
    if (!m_session) {
        if (!m_failureReported) {
            m_failureReported = true;
            QMetaObject::invokeMethod(
                this, [this] { Q_EMIT failed(m_error); }, Qt::QueuedConnection);
        }
        throw UserError(m_error);
    }
    Q_EMIT started();
    return *m_session;
}
