// Keeps the recovery file up to date a moment after each change, writing it on a thread of its own.
#include "app/autosaver.h"

#include "app/recoverystore.h"

#include <exception>

#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kWriterNice = 10;

} // namespace

AutoSaver::AutoSaver(RecoveryStore& store, Snapshot snapshot, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_snapshot(std::move(snapshot))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(kDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &AutoSaver::takeSnapshot);
    m_thread.setObjectName(QStringLiteral("recovery writer"));
    m_worker.moveToThread(&m_thread);
    m_thread.start(QThread::LowPriority);
    // Qt's thread priorities do nothing under Linux's normal scheduling; a higher nice value does,
    // and leaves the typing the processor first while the writer still gets its turn.
    QMetaObject::invokeMethod(&m_worker, [] { ::setpriority(PRIO_PROCESS, pid_t(::gettid()), kWriterNice); });
}

AutoSaver::~AutoSaver()
{
    stop();
    m_thread.quit();
    m_thread.wait();
}

void AutoSaver::changed()
{
    if (m_timed && !m_stopped && !m_timer.isActive())
        m_timer.start();
}

// The GUI thread's whole share: copy the texts (cheap, they are shared until changed) and hand
// them over. Encoding and writing happen on the writer's thread.
void AutoSaver::takeSnapshot()
{
    if (m_stopped)
        return;
    Request request = nextRequest(m_snapshot());
    bool queueDrain = false;
    {
        const std::lock_guard guard(m_queueMutex);
        queueDrain = !m_pending;
        m_pending = std::move(request);
    }
    if (queueDrain)
        QMetaObject::invokeMethod(
            &m_worker, [this] { drain(); }, Qt::QueuedConnection);
}

AutoSaver::Request AutoSaver::nextRequest(std::optional<RecoveryData> data)
{
    const std::lock_guard guard(m_queueMutex);
    return {std::move(data), ++m_generation};
}

void AutoSaver::drain()
{
    std::optional<Request> request;
    {
        const std::lock_guard guard(m_queueMutex);
        request.swap(m_pending);
    }
    if (request)
        perform(*request);
}

void AutoSaver::perform(const Request& request)
{
    const std::lock_guard guard(m_fileMutex);
    if (request.generation <= m_done)
        return;
    m_done = request.generation;
    try {
        if (request.data)
            m_store.write(recoveryFileBytes(*request.data));
        else
            m_store.remove();
        m_failing = false;
    } catch (const std::exception& error) {
        if (!m_failing)
            QMetaObject::invokeMethod(
                this, [this, reason = QString::fromUtf8(error.what())] { Q_EMIT writeFailed(reason); },
                Qt::QueuedConnection);
        m_failing = true;
    }
}

void AutoSaver::saveNow()
{
    if (m_stopped)
        return;
    m_timer.stop();
    perform(nextRequest(m_snapshot()));
}

void AutoSaver::removeNow()
{
    m_timer.stop();
    perform(nextRequest(std::nullopt));
}

void AutoSaver::stop()
{
    m_stopped = true;
    m_timer.stop();
    const std::lock_guard guard(m_queueMutex);
    m_pending.reset();
}

void AutoSaver::setTimed(bool timed)
{
    m_timed = timed;
    if (!timed)
        m_timer.stop();
}
