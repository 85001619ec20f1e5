// Starting the program itself where it cannot show a window.
#include "support/testmain.h"

#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

class TestStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void withoutADisplayItSaysSoAndEnds_data();
    void withoutADisplayItSaysSoAndEnds();
};

void TestStartup::withoutADisplayItSaysSoAndEnds_data()
{
    QTest::addColumn<QString>("platform");
    QTest::newRow("Qt's own choice") << QString();
    QTest::newRow("X11 named") << u"xcb"_s;
}

void TestStartup::withoutADisplayItSaysSoAndEnds()
{
    QFETCH(QString, platform);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"DISPLAY"_s);
    environment.remove(u"WAYLAND_DISPLAY"_s);
    environment.remove(u"QT_QPA_PLATFORM"_s);
    if (!platform.isEmpty())
        environment.insert(u"QT_QPA_PLATFORM"_s, platform);
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(LRC_PROGRAM), {});
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    QCOMPARE(QString::fromUtf8(program.readAllStandardError()),
             u"LRC晓韵星舟需要图形桌面才能运行：没有找到 X11 或 Wayland 显示。"
             u" / xiaoyun-lrc needs a graphical desktop: no X11 or Wayland display was found.\n"_s);
}

LRC_TEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
