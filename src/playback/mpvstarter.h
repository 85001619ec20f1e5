// Starts a player's libmpv without holding up the window: the library is loaded on a worker
// thread once the first frame is on the screen, and the session made on this thread when it is there.
#pragma once

#include "playback/mpvlibrary.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <thread>

class MpvSession;

class MpvStarter : public QObject
{
    Q_OBJECT

public:
    explicit MpvStarter(QObject* parent = nullptr);
    // Waits for the worker if it is still loading, then shuts the session down.
    ~MpvStarter() override;

    // Which library file to load; only before loading has begun.
    void setLibraryName(const QString& fileName);

    // Begins loading on a worker thread from the event loop, after the frame being painted now
    // has been flushed; the session starts when the library is there. Once only.
    void startAfterThisFrame();

    // The running session, or nullptr while there is none.
    MpvSession* session() const { return m_session.get(); }
    // The running session, started here and now if need be: the library is loaded on this thread
    // if loading has not begun, or waited for if the worker is still at it. Throws UserError
    // when libmpv cannot start, the same every time.
    MpvSession& start();

Q_SIGNALS:
    // From within start(): the session runs.
    void started();
    // libmpv cannot start: the library is missing or broken, or mpv_initialize failed. Emitted
    // once, from the event loop.
    void failed(const QString& message);

private:
    void beginLoading();
    void load();
    void startLoaded();

    QString m_libraryName;
    bool m_loadingBegun = false;
    std::thread m_worker;
    // Written by the worker; read on this object's thread only after joining it.
    std::optional<MpvLibrary> m_library;
    QString m_error;
    bool m_failureReported = false;
    std::unique_ptr<MpvSession> m_session;
};
