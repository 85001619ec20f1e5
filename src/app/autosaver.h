// Keeps the recovery file up to date a moment after each change, writing it on a thread of its own.
#pragma once

#include "lyrics/recoverydata.h"

#include <QObject>
#include <QThread>
#include <QTimer>

#include <functional>
#include <mutex>
#include <optional>

class RecoveryStore;

class AutoSaver : public QObject
{
    Q_OBJECT
public:
    // What the window holds now; nothing when it holds no unsaved work, which removes the file.
    using Snapshot = std::function<std::optional<RecoveryData>()>;

    // The longest a change waits before it is written. Typing does not push the write further
    // off: the first change starts the wait and the ones during it ride along.
    static constexpr int kDelayMs = 1000;

    AutoSaver(RecoveryStore& store, Snapshot snapshot, QObject* parent = nullptr);
    // Lets the write under way finish; what is still waiting is dropped.
    ~AutoSaver() override;

    // Something changed: a write follows within kDelayMs.
    void changed();
    // Writes (or removes) what the window holds now, on the calling thread, before returning.
    void saveNow();
    // Removes the file now, and no write of an earlier change brings it back.
    void removeNow();
    // Stops writing: nothing more happens to the file after this.
    void stop();
    // Without the timed writes only saveNow and removeNow touch the file; to measure what they cost.
    void setTimed(bool timed);

Q_SIGNALS:
    // A write failed; the reason is in Chinese. Said once until a write succeeds again.
    void writeFailed(const QString& reason);

private:
    struct Request
    {
        std::optional<RecoveryData> data; // none: remove the file
        quint64 generation = 0;
    };

    void takeSnapshot();
    Request nextRequest(std::optional<RecoveryData> data);
    void drain();
    void perform(const Request& request);

    RecoveryStore& m_store;
    Snapshot m_snapshot;
    QTimer m_timer;
    QThread m_thread;
    QObject m_worker;
    bool m_stopped = false;
    bool m_timed = true;

    std::mutex m_queueMutex;
    std::optional<Request> m_pending;
    quint64 m_generation = 0;

    // Held while the file is touched, so a late write of an older snapshot never lands after a newer one.
    std::mutex m_fileMutex;
    quint64 m_done = 0;
    bool m_failing = false;
};
