// The main window's work kept outside the window: offered back at start, written a moment after
// each change, and at once when the program is told to end.
#include "app/recovery.h"

#include "app/form1.h"
#include "app/sheetbox.h"
#include "app/sheetmirror.h"
#include "app/stalerecovery.h"
#include "app/terminationsignals.h"
#include "app/userprompts.h"
#include "lyrics/pagecommit.h"
#include "lyrics/recoverydata.h"
#include "playback/mediaplayer.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QSessionManager>
#include <QTextDocument>

#include <exception>

using namespace Qt::StringLiterals;

Recovery::Recovery(Form1& form, UserPrompts& prompts, const QString& folder)
    : m_form(&form)
    , m_prompts(prompts)
    , m_folder(folder)
    , m_store(folder)
    , m_saver(m_store, [this] { return snapshot(); })
    , m_sheet(new SheetMirror(form.Text2->document(), this))
{
    connect(&m_saver, &AutoSaver::writeFailed, this,
            [this](const QString& reason) { m_prompts.showError(m_form, u"保存恢复文件"_s, reason); });
    connect(&form, &QObject::destroyed, this, &Recovery::formDestroyed);
    form.installEventFilter(this);
    // Switched off only to measure what the timed writes cost; the writes at start and at the end stay.
    if (qEnvironmentVariable("XIAOYUN_LRC_AUTOSAVE") == u"off"_s)
        m_saver.setTimed(false);
    watchChanges();
}

Recovery::~Recovery() = default;

void Recovery::watchTheEnd()
{
    auto* termination = new TerminationSignals(this);
    connect(termination, &TerminationSignals::received, this, &Recovery::endNow);
    // Qt asks the question of a logout only once; nothing here may wait on the user.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { endWithSession(); });
    connect(qApp, &QGuiApplication::saveStateRequest, this, [this](QSessionManager&) {
        if (m_form)
            m_saver.saveNow();
    });
}

void Recovery::endNow()
{
    if (m_form)
        m_saver.saveNow();
    m_saver.stop();
    m_sessionEnding = true;
    m_ended = true;
    // Closed as usual, so the player shuts down in order; the question is not asked (see eventFilter).
    if (m_form)
        m_form->close();
    // Leaves every event loop, a modal box's too, so the program ends even while one is open; and
    // once more from the main loop, for a signal that came before the main loop began.
    QCoreApplication::exit(0);
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void Recovery::endWithSession()
{
    if (!m_form)
        return;
    m_saver.saveNow();
    m_sessionEnding = true;
}

QString Recovery::path() const
{
    return m_store.path();
}

AutoSaver& Recovery::autoSaver()
{
    return m_saver;
}

// While the session ends, the window closes without its question: the work is in the recovery
// file, and a question would hold up the logout.
bool Recovery::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_form && event->type() == QEvent::Close && m_sessionEnding) {
        event->accept();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void Recovery::offerLeftover()
{
    const std::unique_ptr<StaleRecovery> leftover = StaleRecovery::claimNewest(m_folder);
    if (!leftover)
        return;
    RecoveryData data;
    try {
        data = parseRecoveryFile(leftover->read());
    } catch (const std::exception& error) {
        QString reason = QString::fromUtf8(error.what());
        try {
            reason += u"\n它已被移到“%1”。"_s.arg(leftover->moveAside());
        } catch (const std::exception& moveError) {
            reason += u"\n"_s + QString::fromUtf8(moveError.what());
        }
        m_prompts.showError(m_form, u"恢复上次的歌词"_s, reason);
        return;
    }
    const bool restoring = m_prompts.ask(m_form, u"LRC晓韵星舟"_s, u"上次没有生成LRC文件的歌词还在，要恢复吗？"_s,
                                         u"恢复"_s, u"不恢复"_s);
    // Told to end while the question was open: no answer was given, so the file stays for the next start.
    if (m_ended || !m_form)
        return;
    if (!restoring) {
        leftover->discard();
        return;
    }
    restore(data);
    // The old file goes only once this program's own holds the work.
    m_saver.saveNow();
    leftover->discard();
}

void Recovery::restore(const RecoveryData& data)
{
    m_form->Text2->setPlainText(data.sheet);
    // Restored work has not been exported: closing asks again.
    m_form->Text2->document()->setModified(true);
    for (int element = 1; element <= kGridBoxes; ++element)
        m_form->Text1[element]->setText(data.grid.value(element - 1));
    if (!data.song.isEmpty() && QFileInfo::exists(data.song))
        m_form->loadSong(data.song);
}

void Recovery::watchChanges()
{
    connect(m_form->Text2, &QPlainTextEdit::textChanged, this, &Recovery::changed);
    connect(m_form->Text2->document(), &QTextDocument::modificationChanged, this, &Recovery::changed);
    for (int element = 1; element <= kGridBoxes; ++element)
        connect(m_form->Text1[element], &QLineEdit::textChanged, this, &Recovery::changed);
    connect(m_form->载入歌曲, &QAction::triggered, this, &Recovery::changed);
}

void Recovery::changed()
{
    // Work typed after the session manager's request means the logout did not happen.
    m_sessionEnding = false;
    m_saver.changed();
}

// The window is gone after its close: with nothing unsaved, or with the user's 退出, the file goes too.
void Recovery::formDestroyed()
{
    m_form = nullptr;
    if (!m_sessionEnding)
        m_saver.removeNow();
    m_saver.stop();
}

std::optional<RecoveryData> Recovery::snapshot() const
{
    if (!m_form || !m_form->holdsUnsavedWork())
        return std::nullopt;
    // Copying the sheet itself would cost milliseconds on a long one, in the middle of the typing.
    return RecoveryData{m_sheet->text(), m_form->gridTexts(), m_form->mp3->URL()};
}
