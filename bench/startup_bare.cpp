// The floor of the start-up benchmark: a bare Qt window, linked to Qt only, with the kinds and the
// number of widgets of the main window, at the same places and with the same Chinese texts, in
// Qt's own style. It shows itself centred on the screen and waits to be ended.
#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>

using namespace Qt::StringLiterals;

namespace {

// The main window's layout is designed in twips; 15 make one pixel.
QRect twips(int left, int top, int width, int height)
{
    return {left / 15, top / 15, width / 15, height / 15};
}

template <typename Widget>
Widget* place(Widget* widget, QRect rect)
{
    widget->setGeometry(rect);
    return widget;
}

// The skin's caption bar: the title and two title-bar buttons.
QWidget* captionBar(QWidget* window)
{
    auto* bar = new QWidget(window);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(6, 3, 3, 3);
    row->addWidget(new QLabel(window->windowTitle(), bar), 1);
    for (const QString& glyph : {u"_"_s, u"×"_s}) {
        auto* button = new QToolButton(bar);
        button->setText(glyph);
        row->addWidget(button);
    }
    return bar;
}

QMenuBar* menuBar(QWidget* window)
{
    auto* bar = new QMenuBar(window);
    QMenu* file = bar->addMenu(u"文件"_s);
    file->addAction(u"载入歌曲"_s);
    file->addAction(u"退出程序"_s);
    QMenu* help = bar->addMenu(u"帮助"_s);
    help->addAction(u"使用说明"_s);
    help->addSeparator();
    help->addAction(u"关于"_s);
    bar->addAction(u"反馈BUG"_s);
    return bar;
}

void fillClient(QWidget* client)
{
    // The player stands here as a plain widget showing its display's text.
    place(new QLabel(u"未载入媒体  00:00.00 / 00:00.00"_s, client), twips(360, 120, 10455, 2175));
    place(new QLabel(u"对应歌词信息："_s, client), twips(3240, 2400, 2775, 375));
    place(new QLineEdit(client), twips(10320, 840, 180, 270))->hide();
    place(new QLabel(u"歌词出现时间："_s, client), twips(360, 2400, 2775, 375));
    place(new QPushButton(u"播放"_s, client), twips(360, 1680, 1215, 495))->setEnabled(false);
    const std::array<QString, 3> prompts = {u"此处输入时间1"_s, u"此处输入时间2"_s, u"此处输入歌词信息"_s};
    const std::array<int, 3> left = {360, 1680, 3240};
    const std::array<int, 3> width = {1215, 1215, 7575};
    for (int box = 0; box < 21; ++box)
        place(new QLineEdit(prompts[box % 3], client),
              twips(left[box % 3], 2760 + 600 * (box / 3), width[box % 3], 375));
    place(new QGroupBox(u"播放控制"_s, client), twips(2160, 1440, 4815, 855));
    place(new QGroupBox(u"音量控制"_s, client), twips(7440, 1440, 2535, 855));
    place(new QPushButton(u"快进"_s, client), twips(2400, 1680, 855, 495))->setEnabled(false);
    place(new QPushButton(u"快退"_s, client), twips(3360, 1680, 855, 495))->setEnabled(false);
    place(new QLabel(u"歌曲信息(尚未载入歌曲)"_s, client), twips(4320, 1800, 2415, 375));
    place(new QPushButton(u"音量+"_s, client), twips(7680, 1680, 975, 495))->setEnabled(false);
    place(new QPushButton(u"音量-"_s, client), twips(8760, 1680, 975, 495))->setEnabled(false);
    place(new QPushButton(u"新一页歌词信息"_s, client), twips(2640, 7080, 2055, 495));
    place(new QPushButton(u"生成LRC歌词文件"_s, client), twips(5640, 7080, 2055, 495));
    place(new QPlainTextEdit(client), twips(120, 120, 11175, 375));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(u"LRC晓韵星舟  v1.0 beta 测试版"_s);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(captionBar(&window));
    layout->addWidget(menuBar(&window));
    auto* client = new QWidget(&window);
    client->setFixedSize(11220 / 15, 7635 / 15);
    fillClient(client);
    layout->addWidget(client);
    window.adjustSize();
    window.move(window.screen()->geometry().center() - window.rect().center());
    window.show();
    return QApplication::exec();
}
