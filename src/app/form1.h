// The main window: the player, the transport panel, the seven-row lyric page and the sheet.
#pragma once

#include <QPointer>
#include <QWidget>

#include <array>

class CommonDialog;
class Dialog;
class GlobalKey;
class MediaPlayer;
class QAction;
class QGroupBox;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QTimer;
class SheetBox;
class Skin;
class SkinLabel;
class SpeedMenu;
class UserPrompts;

class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(UserPrompts& prompts, QWidget* parent = nullptr);
    ~Form1() override;

    // The controls keep the names they were designed with; the tests reach them here.
    QWidget* client;
    QMenuBar* menuBar;
    QMenu* 文件;
    QAction* 载入歌曲;
    QAction* 打开LRC歌词文件;
    QAction* closeItem;
    QMenu* 工具;
    QAction* 调整时间;
    SpeedMenu* 播放速度;
    QMenu* 帮助;
    QAction* 使用说明;
    QAction* a;
    QAction* about;
    QAction* bug;

    SheetBox* Text2;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* Command4;
    QPushButton* Command5;
    QPushButton* Command6;
    QPushButton* Command7;
    QGroupBox* Frame1;
    QGroupBox* Frame2;
    SkinLabel* SkinLabel1;
    SkinLabel* SkinLabel2;
    SkinLabel* SkinLabel3;
    std::array<QLineEdit*, 22> Text1;
    MediaPlayer* mp3;
    QTimer* Timer1;
    QTimer* Timer2;
    CommonDialog* CommonDialog1;
    CommonDialog* CommonDialog2;
    // The Open box of 打开LRC歌词文件.
    CommonDialog* CommonDialog3;
    Skin* Skin1;

    // Opens each file as the user would: a song (by its extension) as 载入歌曲 loads it, anything
    // else as 打开LRC歌词文件 opens it, asking first when that would lose unsaved work.
    void openPaths(const QStringList& paths);

    // The About dialog while it exists (it outlives this window if it is still open).
    Dialog* aboutDialog() const;
    // A press of F9 that came another way than the keyboard (the toggle command): it runs the
    // toggle as a key press does, readout and all.
    void pressHotkey();

    // Text1(1) … Text1(21) as they stand, and whether closing now would lose typed work.
    QStringList gridTexts() const;
    bool holdsUnsavedWork() const;
    // Loads a song as 载入歌曲 does after its Open box, stopped.
    void loadSong(const QString& path);

    // The handlers, one per user action or timer tick. Plain member functions rather than
    // slots: moc cannot spell the Chinese names, and the connections use function pointers.
    void Form_Load();
    void 载入歌曲_Click();
    void 打开LRC歌词文件_Click();
    void close_Click();
    void 使用说明_Click();
    void about_Click();
    void bug_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    void mp3_StartFailed(const QString& reason);
    void 调整时间_Click();
    void Text2_DblClick(const QString& line);
    void 播放速度_Click(double rate);

protected:
    // 退出程序, the caption bar's close button and the window manager all close through here.
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void createControls();
    void createGrid();
    void setTabOrder();
    void connectHandlers();
    QPushButton* createButton(const char* name, const QString& caption, QRect twips, int tabIndex);
    bool IsKeyDown();
    void toggleFromHotkey();
    void openWebPage();
    void showSheetInPlayer();
    bool maySheetBeReplaced();
    void openLrcFile(const QString& path);

    // Runs a handler's body; an operation that fails stops it there and is reported.
    template <typename Body>
    void handle(const QString& action, Body&& body);

    UserPrompts& m_prompts;
    GlobalKey* m_hotkey;
    QPointer<Dialog> m_aboutDialog;
};
