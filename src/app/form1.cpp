// The main window: the player, the transport panel, the seven-row lyric page and the sheet.
#include "app/form1.h"

#include "app/commondialog.h"
#include "app/dialog.h"
#include "app/gridpageundo.h"
#include "app/redokey.h"
#include "app/sheetbox.h"
#include "app/speedmenu.h"
#include "app/timebox.h"
#include "app/timeshiftdialog.h"
#include "app/twips.h"
#include "app/userprompts.h"
#include "app/weblinks.h"
#include "app/windowcentring.h"
#include "app/windowicons.h"
#include "lyrics/lrcfile.h"
#include "lyrics/lrcreader.h"
#include "lyrics/lyrictimeline.h"
#include "lyrics/pagecommit.h"
#include "lyrics/timetags.h"
#include "playback/globalkey.h"
#include "playback/mediaplayer.h"
#include "playback/playercontrols.h"
#include "playback/playermedia.h"
#include "playback/playersettings.h"
#include "playback/positionreadout.h"
#include "playback/songfiles.h"
#include "skin/skin.h"
#include "skin/skinlabel.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>

using namespace Qt::StringLiterals;

namespace {

const auto kPlayCaption = u"播放"_s;
const auto kPauseCaption = u"暂停"_s;
const auto kReadoutTitle = u"当前时刻"_s;
const auto kToggleAction = u"播放/暂停"_s;
const auto kSongFilter = u"Mp3文件|*.mp3|所有音频文件|*.mp3 *.flac *.m4a *.aac *.ogg *.opus *.wav *.ape *.wma"_s;
// The Save box's types: code page 936 first, chosen for a new sheet, then UTF-8.
const auto kLrcFilter = u"LRC歌词文件|*.lrc|LRC歌词文件（UTF-8）|*.lrc"_s;
constexpr int kUtf8SaveType = 2;
const auto kLrcOpenFilter = u"LRC歌词文件|*.lrc|所有文件|*"_s;
const auto kOpenLrcAction = u"打开LRC歌词文件"_s;
constexpr double kSeekStep = 1.0;
constexpr int kVolumeStep = 5;
constexpr int kTimerIntervalMs = 1;

// The visible band of the player: between the sheet box over its top and the transport panel over its bottom.
constexpr QRect kPlayerDisplayBand = rectFromTwips(0, 375, 10455, 945);

const QStringList kBrushFontFamilies = {u"迷你简毡笔黑"_s, u"AR PL UKai CN"_s, u"Noto Sans CJK SC"_s};
const QStringList kTitleFontFamilies
    = {u"微软雅黑"_s, u"Microsoft YaHei"_s, u"Noto Sans CJK SC"_s, u"WenQuanYi Micro Hei"_s};

// Tab runs through the grid row by row, time 1, time 2, lyric, so what is typed after a Tab lands
// in the box to its right; the controls designed with tab positions among the grid's (Command1,
// the hidden box, the player) follow it.
constexpr int kFirstGridTabIndex = 1;
constexpr int kCommand1TabIndex = kFirstGridTabIndex + kGridBoxes;
constexpr int kHiddenBoxTabIndex = kCommand1TabIndex + 1;
constexpr int kPlayerTabIndex = kHiddenBoxTabIndex + 1;

const char* const kTabIndexProperty = "tabIndex";

void place(QWidget* control, const char* name, QRect twips, int tabIndex)
{
    control->setObjectName(QString::fromUtf8(name));
    control->setGeometry(twips);
    control->setProperty(kTabIndexProperty, tabIndex);
}

} // namespace

Form1::Form1(UserPrompts& prompts, QWidget* parent)
    : QWidget(parent)
    , m_prompts(prompts)
{
    setObjectName(u"Form1"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(u"LRC晓韵星舟  v1.0 beta 测试版"_s);
    setWindowIcon(mainWindowIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    createMenus();
    client = new QWidget(this);
    client->setObjectName(u"client"_s);
    client->setFixedSize(pixelsFromTwips(11220), pixelsFromTwips(7635));
    layout->addWidget(menuBar);
    layout->addWidget(client);

    createControls();
    setTabOrder();
    m_hotkey = new GlobalKey(Qt::Key_F9, this);
    connectHandlers();
    RedoKey::install(this);
    Text1[1]->setFocus();
    Form_Load();
    Timer1->start();
    Timer2->start();
}

Form1::~Form1() = default;

Dialog* Form1::aboutDialog() const
{
    return m_aboutDialog.data();
}

void Form1::createMenus()
{
    menuBar = new QMenuBar(this);
    menuBar->setObjectName(u"menuBar"_s);
    menuBar->setNativeMenuBar(false);
    menuBar->setAccessibleName(u"菜单栏"_s);

    文件 = menuBar->addMenu(u"文件"_s);
    文件->setObjectName(u"文件"_s);
    // Qt names an open menu after its window title, which a menu of a bar does not have.
    文件->setAccessibleName(文件->title());
    载入歌曲 = 文件->addAction(u"载入歌曲"_s);
    载入歌曲->setObjectName(u"载入歌曲"_s);
    打开LRC歌词文件 = 文件->addAction(u"打开LRC歌词文件"_s);
    打开LRC歌词文件->setObjectName(u"打开LRC歌词文件"_s);
    closeItem = 文件->addAction(u"退出程序"_s);
    closeItem->setObjectName(u"close"_s);

    工具 = menuBar->addMenu(u"工具"_s);
    工具->setObjectName(u"工具"_s);
    工具->setAccessibleName(工具->title());
    调整时间 = 工具->addAction(u"调整时间…"_s);
    调整时间->setObjectName(u"调整时间"_s);
    播放速度 = new SpeedMenu(工具);
    工具->addMenu(播放速度);

    帮助 = menuBar->addMenu(u"帮助"_s);
    帮助->setObjectName(u"帮助"_s);
    帮助->setAccessibleName(帮助->title());
    使用说明 = 帮助->addAction(u"使用说明"_s);
    使用说明->setObjectName(u"使用说明"_s);
    a = 帮助->addSeparator();
    a->setObjectName(u"a"_s);
    about = 帮助->addAction(u"关于"_s);
    about->setObjectName(u"about"_s);

    // A command on the bar itself: one click runs it, no menu opens.
    bug = menuBar->addAction(u"反馈BUG"_s);
    bug->setObjectName(u"bug"_s);
}

QPushButton* Form1::createButton(const char* name, const QString& caption, QRect twips, int tabIndex)
{
    auto* button = new QPushButton(caption, client);
    place(button, name, twips, tabIndex);
    button->setAutoDefault(false);
    return button;
}

// Created from the back to the front, so that where controls overlap the later one is drawn on top.
void Form1::createControls()
{
    mp3 = new MediaPlayer(client);
    place(mp3, "mp3", rectFromTwips(360, 120, 10455, 2175), kPlayerTabIndex);
    mp3->setDisplayRect(kPlayerDisplayBand);

    SkinLabel3 = new SkinLabel(u"对应歌词信息："_s, kBrushFontFamilies, 10.5, client);
    place(SkinLabel3, "SkinLabel3", rectFromTwips(3240, 2400, 2775, 375), 32);

    Text1[0] = new QLineEdit(client);
    place(Text1[0], "Text1(0)", rectFromTwips(10320, 840, 180, 270), kHiddenBoxTabIndex);

    SkinLabel1 = new SkinLabel(u"歌词出现时间："_s, kBrushFontFamilies, 10.5, client);
    place(SkinLabel1, "SkinLabel1", rectFromTwips(360, 2400, 2775, 375), 0);

    Command1 = createButton("Command1", kPlayCaption, rectFromTwips(360, 1680, 1215, 495), kCommand1TabIndex);
    createGrid();

    Frame1 = new QGroupBox(u"播放控制"_s, client);
    place(Frame1, "Frame1", rectFromTwips(2160, 1440, 4815, 855), 25);
    Frame2 = new QGroupBox(u"音量控制"_s, client);
    place(Frame2, "Frame2", rectFromTwips(7440, 1440, 2535, 855), 26);

    Command2 = createButton("Command2", u"快进"_s, rectFromTwips(2400, 1680, 855, 495), 27);
    Command3 = createButton("Command3", u"快退"_s, rectFromTwips(3360, 1680, 855, 495), 28);
    SkinLabel2 = new SkinLabel(u"歌曲信息(尚未载入歌曲)"_s, kTitleFontFamilies, 9, client);
    place(SkinLabel2, "SkinLabel2", rectFromTwips(4320, 1800, 2415, 375), 29);
    Command4 = createButton("Command4", u"音量+"_s, rectFromTwips(7680, 1680, 975, 495), 30);
    Command5 = createButton("Command5", u"音量-"_s, rectFromTwips(8760, 1680, 975, 495), 31);
    Command6 = createButton("Command6", u"新一页歌词信息"_s, rectFromTwips(2640, 7080, 2055, 495), 33);
    Command7 = createButton("Command7", u"生成LRC歌词文件"_s, rectFromTwips(5640, 7080, 2055, 495), 34);

    Text2 = new SheetBox(client);
    place(Text2, "Text2", rectFromTwips(120, 120, 11175, 375), 35);
    Text2->setAccessibleName(u"歌词总表"_s);
    mp3->setAccessibleName(u"播放器"_s);

    for (QPushButton* transport : {Command1, Command2, Command3, Command4, Command5})
        transport->setEnabled(false);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(u"Timer1"_s);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(u"Timer2"_s);
    for (QTimer* timer : {Timer1, Timer2}) {
        timer->setInterval(kTimerIntervalMs);
        timer->setTimerType(Qt::PreciseTimer);
    }

    CommonDialog1 = new CommonDialog(m_prompts, this);
    CommonDialog1->setObjectName(u"CommonDialog1"_s);
    CommonDialog2 = new CommonDialog(m_prompts, this);
    CommonDialog2->setObjectName(u"CommonDialog2"_s);
    CommonDialog3 = new CommonDialog(m_prompts, this);
    CommonDialog3->setObjectName(u"CommonDialog3"_s);
    Skin1 = new Skin(this);
    Skin1->setObjectName(u"Skin1"_s);
}

void Form1::createGrid()
{
    static const std::array<QString, 3> columnNames = {u"时间1"_s, u"时间2"_s, u"歌词"_s};
    static const std::array<int, 3> columnLeft = {360, 1680, 3240};
    static const std::array<int, 3> columnWidth = {1215, 1215, 7575};
    for (int element = 1; element <= kGridBoxes; ++element) {
        const int row = (element - 1) / 3;
        const int column = (element - 1) % 3;
        // The two time boxes of a row take a pasted readout as the tag it means.
        auto* edit
            = column < 2 ? new TimeBox(pageHintText(element), client) : new QLineEdit(pageHintText(element), client);
        edit->setAccessibleName(u"第%1行 %2"_s.arg(row + 1).arg(columnNames[column]));
        const QByteArray name = "Text1(" + QByteArray::number(element) + ')';
        place(edit, name.constData(), rectFromTwips(columnLeft[column], 2760 + 600 * row, columnWidth[column], 375),
              kFirstGridTabIndex + element - 1);
        Text1[element] = edit;
    }
}

void Form1::setTabOrder()
{
    QList<QWidget*> controls = client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    std::stable_sort(controls.begin(), controls.end(), [](QWidget* left, QWidget* right) {
        return left->property(kTabIndexProperty).toInt() < right->property(kTabIndexProperty).toInt();
    });
    for (qsizetype i = 0; i + 1 < controls.size(); ++i)
        QWidget::setTabOrder(controls[i], controls[i + 1]);
}

void Form1::connectHandlers()
{
    connect(载入歌曲, &QAction::triggered, this, &Form1::载入歌曲_Click);
    connect(打开LRC歌词文件, &QAction::triggered, this, &Form1::打开LRC歌词文件_Click);
    connect(closeItem, &QAction::triggered, this, &Form1::close_Click);
    connect(使用说明, &QAction::triggered, this, &Form1::使用说明_Click);
    connect(about, &QAction::triggered, this, &Form1::about_Click);
    connect(bug, &QAction::triggered, this, &Form1::bug_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
    connect(Text2, &QPlainTextEdit::textChanged, this, &Form1::showSheetInPlayer);
    connect(mp3, &MediaPlayer::startFailed, this, &Form1::mp3_StartFailed);
    connect(调整时间, &QAction::triggered, this, &Form1::调整时间_Click);
    connect(Text2, &SheetBox::lineDoubleClicked, this, &Form1::Text2_DblClick);
    connect(播放速度, &SpeedMenu::rateChosen, this, &Form1::播放速度_Click);
}

template <typename Body>
void Form1::handle(const QString& action, Body&& body)
{
    try {
        body();
    } catch (const std::exception& error) {
        m_prompts.showError(this, action, QString::fromUtf8(error.what()));
    }
}

void Form1::Form_Load()
{
    handle(u"启动"_s, [this] {
        Skin1->applySkin(this);
        mp3->setEnableContextMenu(false);
        Text1[0]->hide();
        // The skin changes fonts and margins, so take the size it gives before centring.
        ensurePolished();
        layout()->activate();
        adjustSize();
        centreOnScreen(this);
    });
}

void Form1::载入歌曲_Click()
{
    handle(u"载入歌曲"_s, [this] {
        CommonDialog1->setFilter(kSongFilter);
        if (!CommonDialog1->showOpen())
            return;
        loadSong(CommonDialog1->fileName());
    });
}

void Form1::loadSong(const QString& path)
{
    // Each step is tried even when the one before failed: a song that will not open still
    // gets its address recorded, and a title that cannot be read leaves the label as it was.
    const auto tryStep = [](auto&& step) {
        try {
            step();
        } catch (const std::exception&) {}
    };
    tryStep([&] { mp3->setURL(path); });
    tryStep([&] { mp3->controls().stop(); });
    tryStep([&] { SkinLabel2->setText(mp3->currentMedia().getItemInfo(u"Title"_s)); });
}

void Form1::打开LRC歌词文件_Click()
{
    handle(kOpenLrcAction, [this] {
        if (!maySheetBeReplaced())
            return;
        CommonDialog3->setFilter(kLrcOpenFilter);
        if (!CommonDialog3->showOpen())
            return;
        openLrcFile(CommonDialog3->fileName());
    });
}

void Form1::openPaths(const QStringList& paths)
{
    for (const QString& path : paths) {
        if (isSongFileName(path)) {
            loadSong(path);
            continue;
        }
        handle(kOpenLrcAction, [&] {
            if (maySheetBeReplaced())
                openLrcFile(path);
        });
    }
}

// The close question's rule: only work that no export has saved is worth a question.
bool Form1::maySheetBeReplaced()
{
    return !holdsUnsavedWork()
        || m_prompts.confirm(this, u"LRC晓韵星舟"_s, u"歌词还没有生成LRC文件，打开别的文件后将会丢失。确定要打开吗？"_s,
                             u"打开"_s, u"取消"_s);
}

// The sheet is replaced in one go, which also starts its undo history and counts it as saved;
// the grid is left as it is. The export then proposes this file, in the type it was read in.
void Form1::openLrcFile(const QString& path)
{
    const OpenedLrc opened = readLrcFile(path);
    // The editor takes CR LF and lone CR as line breaks itself: no pass over a long text to rewrite them.
    Text2->setPlainText(opened.sheet);
    CommonDialog2->setFileName(path);
    CommonDialog2->setFilterIndex(lrcEncodingFor(opened.encoding) == LrcEncoding::Utf8 ? kUtf8SaveType : 1);
}

void Form1::close_Click()
{
    QWidget::close();
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (holdsUnsavedWork()
        && !m_prompts.confirm(this, u"LRC晓韵星舟"_s, u"歌词还没有生成LRC文件，退出后将会丢失。确定要退出吗？"_s,
                              u"退出"_s, u"取消"_s)) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

// The sheet counts as saved once exported: the document's modified flag is cleared then, and an
// undo back to that state clears it again.
bool Form1::holdsUnsavedWork() const
{
    const bool sheetChanged = Text2->document()->isModified() && !Text2->document()->isEmpty();
    return sheetChanged || pageHoldsTypedText(gridTexts());
}

QStringList Form1::gridTexts() const
{
    QStringList texts;
    for (int element = 1; element <= kGridBoxes; ++element)
        texts << Text1[element]->text();
    return texts;
}

void Form1::使用说明_Click()
{
    openWebPage();
}

void Form1::bug_Click()
{
    openWebPage();
}

void Form1::openWebPage()
{
    handle(u"打开网页"_s, [this] { openMakerPage(this); });
}

void Form1::about_Click()
{
    handle(u"关于"_s, [this] {
        if (!m_aboutDialog)
            m_aboutDialog = new Dialog;
        m_aboutDialog->show();
        m_aboutDialog->raise();
    });
}

void Form1::Command1_Click()
{
    handle(kToggleAction, [this] {
        if (Command1->text() != kPauseCaption) {
            mp3->controls().play();
            Command1->setText(kPauseCaption);
            return;
        }
        mp3->controls().pause();
        Command1->setText(kPlayCaption);
        const QString readout = positionReadout(mp3->controls().currentPosition());
        m_prompts.showMessage(this, readout, kReadoutTitle);
    });
}

void Form1::Command2_Click()
{
    handle(u"快进"_s, [this] { mp3->controls().setCurrentPosition(mp3->controls().currentPosition() + kSeekStep); });
}

void Form1::Command3_Click()
{
    handle(u"快退"_s, [this] { mp3->controls().setCurrentPosition(mp3->controls().currentPosition() - kSeekStep); });
}

void Form1::Command4_Click()
{
    handle(u"音量+"_s, [this] { mp3->settings().setVolume(mp3->settings().volume() + kVolumeStep); });
}

void Form1::Command5_Click()
{
    handle(u"音量-"_s, [this] { mp3->settings().setVolume(mp3->settings().volume() - kVolumeStep); });
}

// Positions stay in the song's own time at every rate, so the readout and the tags need nothing.
void Form1::播放速度_Click(double rate)
{
    handle(u"播放速度"_s, [this, rate] { mp3->settings().setRate(rate); });
}

void Form1::Command6_Click()
{
    const QStringList page = gridTexts();
    // One undo of the commit takes its lines out of the sheet and puts the page back into the
    // grid, so the page is never in neither place.
    QTextCursor commit(Text2->document());
    commit.beginEditBlock();
    Text2->appendText(pageCommitText(page));
    Text2->document()->appendUndoItem(new GridPageUndo(QList<QLineEdit*>(Text1.begin() + 1, Text1.end()), page));
    commit.endEditBlock();
    for (int element = 1; element <= kGridBoxes; ++element)
        Text1[element]->clear();
}

void Form1::Command7_Click()
{
    handle(u"生成LRC歌词文件"_s, [this] {
        Text2->removeEmptyTags();
        const QString content = Text2->text();
        CommonDialog2->setFilter(kLrcFilter);
        if (!CommonDialog2->showSave())
            return;
        const auto encoding
            = CommonDialog2->filterIndex() == kUtf8SaveType ? LrcEncoding::Utf8 : LrcEncoding::CodePage936;
        writeLrcFile(CommonDialog2->fileName(), lrcFileBytes(content, encoding));
        Text2->document()->setModified(false);
        m_prompts.showMessage(this, u"LRC歌词文件制作成功！"_s, u"成功提示"_s);
    });
}

void Form1::Timer1_Timer()
{
    if (mp3->URL().isEmpty())
        return;
    for (QPushButton* transport : {Command1, Command2, Command3, Command4, Command5})
        transport->setEnabled(true);
}

void Form1::Timer2_Timer()
{
    // One toggle for each press of F9 since the last tick, in order, however short or long the press.
    // Queued rather than called from inside this tick: Qt does not fire a timer again while its own
    // handler runs, and the readout's box waits in the handler, so the poll would stop until it closed.
    while (IsKeyDown())
        QMetaObject::invokeMethod(this, &Form1::toggleFromHotkey, Qt::QueuedConnection);
}

// The player starts once the window is on the screen. One that cannot start is reported as a
// failure at start-up, and the program, which is of no use without it, ends.
void Form1::mp3_StartFailed(const QString& reason)
{
    m_prompts.showError(this, u"启动"_s, reason);
    QCoreApplication::exit(1);
}

void Form1::调整时间_Click()
{
    handle(u"调整时间"_s, [this] {
        const std::optional<int> shift = TimeShiftDialog::ask(this);
        if (!shift)
            return;
        const int clamped = Text2->shiftTimeTags(*shift);
        if (clamped > 0)
            m_prompts.showMessage(this, u"有%1个时间标签已提前到0。"_s.arg(clamped), u"调整时间"_s);
    });
}

// A double click on a line with a time tag plays it again from its first tag, or waits there
// while paused. Lines without a tag, and a window without a song, do nothing.
void Form1::Text2_DblClick(const QString& line)
{
    const std::optional<qint64> tag = firstTimeTag(line);
    if (!tag || mp3->URL().isEmpty())
        return;
    handle(u"跳到歌词行"_s, [&] { mp3->controls().setCurrentPosition(double(*tag) / 1000.0); });
}

// True once for each press of F9 since the last call, however short (see GlobalKey::takePress).
bool Form1::IsKeyDown()
{
    return m_hotkey->takePress();
}

void Form1::pressHotkey()
{
    m_hotkey->pressArrived();
}

// A press first closes the toggle's own box, readout or error, so that boxes never pile up. The
// toggle then runs inside the closed box's wait, which returns once the toggle is done.
void Form1::toggleFromHotkey()
{
    m_prompts.dismissMessage(kReadoutTitle);
    m_prompts.dismissError(kToggleAction);
    Command1_Click();
}

// The player previews the sheet's lines as the song plays; every edit and commit hands it the
// sheet anew. The editor's own text (LF breaks) saves converting a long sheet on each key.
void Form1::showSheetInPlayer()
{
    mp3->setLyricTimeline(LyricTimeline(Text2->toPlainText()));
}
