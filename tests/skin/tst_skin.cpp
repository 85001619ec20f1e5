// The paper skin on its own: the stored skin, a spoilt copy of it, and the buttons it draws.
#include "skin/skin.h"
#include "skin/skindescription.h"
#include "skin/skinimages.h"
#include "support/testmain.h"

#include <QDir>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

#include <stdexcept>

using namespace Qt::StringLiterals;

class TestSkin : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void storedSkin();
    void brokenSkin_data();
    void brokenSkin();
    void statesLookDifferent();

private:
    QList<QPointer<QWidget>> m_windows;
};

void TestSkin::cleanup()
{
    for (const QPointer<QWidget>& window : std::as_const(m_windows))
        delete window.data();
    m_windows.clear();
}

// The stored skin's description: the name of the skin and its two sheets of paper.
void TestSkin::storedSkin()
{
    const Skin registersTheResources;
    QFile stored(u":/skin/skin.ini"_s);
    QVERIFY(stored.open(QIODevice::ReadOnly));
    const SkinDescription skin = parseSkinDescription(stored.readAll());
    QCOMPARE(skin.name, u"Paper-2"_s);
    QCOMPARE((QStringList{skin.paper, skin.paperActive}), (QStringList{u"paper.bmp"_s, u"paper-active.bmp"_s}));
}

void TestSkin::brokenSkin_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error");
    QTest::newRow("description with a misspelt key")
        << u"skin.ini"_s << QByteArray("Nmae=Paper-2\n") << u"皮肤描述第1行的键“Nmae”未知"_s;
    QTest::newRow("picture cut off") << u"paper.bmp"_s << QByteArray(10, '\0')
                                     << u"皮肤图像“paper.bmp”读取失败：无法解码"_s;
}

// A copy of the stored skin with one file spoilt: reading it stops with a message that names what is wrong.
void TestSkin::brokenSkin()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, error);
    const Skin registersTheResources;
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    for (const QString& name : QDir(u":/skin"_s).entryList(QDir::Files)) {
        if (name != file)
            QVERIFY(QFile::copy(u":/skin/"_s + name, folder.filePath(name)));
    }
    QFile spoilt(folder.filePath(file));
    QVERIFY(spoilt.open(QIODevice::WriteOnly) && spoilt.write(content) == content.size());
    spoilt.close();

    QFile description(folder.filePath(u"skin.ini"_s));
    QVERIFY(description.open(QIODevice::ReadOnly));
    try {
        const SkinImages images(folder.path(), parseSkinDescription(description.readAll()));
        QFAIL("the spoilt skin was read");
    } catch (const std::exception& thrown) {
        QCOMPARE(QString::fromUtf8(thrown.what()), error);
    }
}

// One push button per state, side by side in a skinned window: no two of them look the same.
void TestSkin::statesLookDifferent()
{
    const QStringList states = {u"normal"_s, u"highlighted"_s, u"pressed"_s, u"disabled"_s, u"default"_s, u"focused"_s};
    auto* window = new QWidget;
    m_windows << window;
    auto* layout = new QVBoxLayout(window);
    QList<QPushButton*> buttons;
    for (const QString& state : states) {
        auto* button = new QPushButton(u"确定"_s);
        button->setFixedSize(120, 40);
        button->setFocusPolicy(Qt::NoFocus); // only the one that is given it
        button->setEnabled(state != u"disabled"_s);
        button->setDown(state == u"pressed"_s);
        button->setDefault(state == u"default"_s);
        layout->addWidget(button);
        buttons << button;
    }
    (new Skin(window))->applySkin(window);
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    buttons[states.indexOf(u"focused"_s)]->setFocus();
    // Through the platform window, as a real mouse would, from the border in: the button under it
    // gets its enter event.
    QPushButton* lit = buttons[states.indexOf(u"highlighted"_s)];
    QTest::mouseMove(window->windowHandle(), QPoint(window->width() - 2, window->height() - 2));
    QTest::mouseMove(window->windowHandle(), lit->mapTo(window, QPoint(10, 20)));
    QTRY_VERIFY(lit->underMouse());

    QList<QImage> shots;
    for (QPushButton* button : std::as_const(buttons))
        shots << button->grab().toImage();
    for (qsizetype i = 0; i < shots.size(); ++i)
        QVERIFY2(shots.indexOf(shots[i]) == i, qPrintable(states[i] + u" as "_s + states[shots.indexOf(shots[i])]));
}

LRC_TEST_MAIN(TestSkin)
#include "tst_skin.moc"
