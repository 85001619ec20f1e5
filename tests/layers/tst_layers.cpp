// The layers the build keeps: a header of a higher library does not compile in a lower one.
// Each case compiles one planted line with the very command the build uses for a source of the
// library (taken from compile_commands.json).
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The compile command of the first source under src/<library>/, as its arguments, or none.
QStringList compileCommandOf(const QString& library)
{
    QFile file(QStringLiteral(LRC_COMPILE_COMMANDS));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString folder = QDir(QStringLiteral(LRC_SOURCE_DIR)).filePath(u"src/%1/"_s.arg(library));
    const QJsonArray entries = QJsonDocument::fromJson(file.readAll()).array();
    for (const QJsonValue& entry : entries) {
        const QJsonObject object = entry.toObject();
        const QString source = QDir::cleanPath(object.value(u"file"_s).toString());
        if (source.startsWith(folder) && source.endsWith(u".cpp"_s))
            return QProcess::splitCommand(object.value(u"command"_s).toString());
    }
    return {};
}

// The same command compiling only this file: no object written, no dependency file, no ccache.
QStringList syntaxCheckOf(const QStringList& command, const QString& planted)
{
    QStringList arguments;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QString& argument = command.at(i);
        if (argument == u"-o"_s || argument == u"-c"_s || argument == u"-MF"_s || argument == u"-MT"_s
            || argument == u"-MQ"_s) {
            ++i;
            continue;
        }
        if (argument == u"-MD"_s || (arguments.isEmpty() && argument.endsWith(u"ccache"_s)))
            continue;
        arguments << argument;
    }
    arguments << u"-fsyntax-only"_s << planted;
    return arguments;
}

} // namespace

class TestLayers : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void include_data();
    void include();
};

void TestLayers::include_data()
{
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("header");
    QTest::addColumn<bool>("compiles");

    // Upwards: never.
    QTest::newRow("common includes lyrics") << u"common"_s << u"lyrics/sheetcleaner.h"_s << false;
    QTest::newRow("common includes playback") << u"common"_s << u"playback/positionreadout.h"_s << false;
    QTest::newRow("common includes skin") << u"common"_s << u"skin/skinlabel.h"_s << false;
    QTest::newRow("common includes app") << u"common"_s << u"app/twips.h"_s << false;
    QTest::newRow("lyrics includes playback") << u"lyrics"_s << u"playback/positionreadout.h"_s << false;
    QTest::newRow("lyrics includes skin") << u"lyrics"_s << u"skin/skinlabel.h"_s << false;
    QTest::newRow("lyrics includes app") << u"lyrics"_s << u"app/twips.h"_s << false;
    QTest::newRow("playback includes skin") << u"playback"_s << u"skin/skinlabel.h"_s << false;
    QTest::newRow("playback includes app") << u"playback"_s << u"app/twips.h"_s << false;
    QTest::newRow("skin includes app") << u"skin"_s << u"app/twips.h"_s << false;

    // Its own and the ones it builds on: yes, so a failure above is the include and not the command.
    QTest::newRow("common includes common") << u"common"_s << u"common/usererror.h"_s << true;
    QTest::newRow("lyrics includes common") << u"lyrics"_s << u"common/usererror.h"_s << true;
    QTest::newRow("playback includes lyrics") << u"playback"_s << u"lyrics/sheetcleaner.h"_s << true;
    QTest::newRow("skin includes skin") << u"skin"_s << u"skin/skinlabel.h"_s << true;
    QTest::newRow("app includes playback") << u"app"_s << u"playback/positionreadout.h"_s << true;
    QTest::newRow("app includes skin") << u"app"_s << u"skin/skinlabel.h"_s << true;
}

void TestLayers::include()
{
    QFETCH(QString, library);
    QFETCH(QString, header);
    QFETCH(bool, compiles);

    const QStringList command = compileCommandOf(library);
    QVERIFY2(!command.isEmpty(),
             qPrintable(u"no compile command for src/%1 in %2"_s.arg(library, QStringLiteral(LRC_COMPILE_COMMANDS))));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString planted = dir.filePath(u"planted.cpp"_s);
    QFile file(planted);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(u"#include \"%1\"\n"_s.arg(header).toUtf8());
    file.close();

    const QStringList arguments = syntaxCheckOf(command, planted);
    QProcess compiler;
    compiler.setWorkingDirectory(QStringLiteral(LRC_BUILD_DIR));
    compiler.setProcessChannelMode(QProcess::MergedChannels);
    compiler.start(arguments.first(), arguments.mid(1));
    QVERIFY2(compiler.waitForFinished(-1), qPrintable(compiler.errorString()));
    const QString output = QString::fromLocal8Bit(compiler.readAll());

    if (compiles) {
        QVERIFY2(compiler.exitStatus() == QProcess::NormalExit && compiler.exitCode() == 0, qPrintable(output));
    } else {
        QVERIFY2(compiler.exitCode() != 0, qPrintable(u"%1 compiled in src/%2"_s.arg(header, library)));
        // Failing for the header alone: it is not found, not a broken command.
        QVERIFY2(output.contains(u"%1: No such file or directory"_s.arg(header)), qPrintable(output));
    }
}

LRC_TEST_GUILESS_MAIN(TestLayers)
#include "tst_layers.moc"
