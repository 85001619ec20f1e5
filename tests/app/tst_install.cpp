// The program installed like a desktop program: cmake --install into a temporary root, the menu entry, the icons, the
// .deb.
#include "support/testmain.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kBuildDir = QStringLiteral(LRC_BUILD_DIR);
const QString kDesktopFile = u"usr/share/applications/xiaoyun-lrc.desktop"_s;
const QString kMimePackage = u"usr/share/mime/packages/xiaoyun-lrc.xml"_s;

struct Run
{
    int exitCode = -1;
    QString output;
};

// Standard output and error together, as a user would read them.
Run run(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment = {})
{
    QProcess process;
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, program + u" did not finish: "_s + process.errorString()};
    return {process.exitCode(), QString::fromUtf8(process.readAll())};
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void installedFiles_data();
    void installedFiles();
    void desktopEntry();
    void lrcFileType();
    void packageControl_data();
    void packageControl();
    void playerLibraryOpenedAtRunTime();

private:
    QTemporaryDir m_root;
    QTemporaryDir m_packageDir;
    QString m_package;
    QStringList m_packaged; // the files in the .deb
};

// Installed the way a distribution packs it (prefix /usr under a DESTDIR), and packed into a .deb.
void TestInstall::initTestCase()
{
    QVERIFY(m_root.isValid() && m_packageDir.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"DESTDIR"_s, m_root.path());
    const Run install
        = run(QStringLiteral(LRC_CMAKE), {u"--install"_s, kBuildDir, u"--prefix"_s, u"/usr"_s}, environment);
    QVERIFY2(install.exitCode == 0, qPrintable(install.output));

    const Run pack = run(QStringLiteral(LRC_CPACK),
                         {u"--config"_s, kBuildDir + u"/CPackConfig.cmake"_s, u"-B"_s, m_packageDir.path()});
    QVERIFY2(pack.exitCode == 0, qPrintable(pack.output));
    const QStringList debs = QDir(m_packageDir.path()).entryList({u"*.deb"_s}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    QVERIFY2(debs.constFirst().startsWith(u"xiaoyun-lrc_1.0.0_"_s), qPrintable(debs.constFirst()));
    m_package = m_packageDir.filePath(debs.constFirst());
    const Run contents = run(u"dpkg-deb"_s, {u"--contents"_s, m_package});
    QCOMPARE(contents.exitCode, 0);
    for (const QString& line : contents.output.split(u'\n', Qt::SkipEmptyParts)) {
        if (!line.startsWith(u'd'))
            m_packaged << line.section(u' ', -1);
    }
}

void TestInstall::installedFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("iconSize"); // 0: not an icon
    QTest::newRow("program") << u"usr/bin/xiaoyun-lrc"_s << 0;
    QTest::newRow("menu entry") << kDesktopFile << 0;
    QTest::newRow("LRC file type") << kMimePackage << 0;
    QTest::newRow("icon 32") << u"usr/share/icons/hicolor/32x32/apps/xiaoyun-lrc.png"_s << 32;
    QTest::newRow("icon 64") << u"usr/share/icons/hicolor/64x64/apps/xiaoyun-lrc.png"_s << 64;
    QTest::newRow("icon 128") << u"usr/share/icons/hicolor/128x128/apps/xiaoyun-lrc.png"_s << 128;
}

void TestInstall::installedFiles()
{
    QFETCH(QString, path);
    QFETCH(int, iconSize);
    const QFileInfo file(m_root.filePath(path));
    QVERIFY2(file.isFile() && file.size() > 0, qPrintable(file.filePath()));
    QCOMPARE(file.isExecutable(), path.startsWith(u"usr/bin/"_s));
    // What apt puts on the disk is what cmake --install puts there, and nothing else.
    QVERIFY2(m_packaged.contains(u"./"_s + path), qPrintable(m_packaged.join(u' ')));
    QCOMPARE(m_packaged.size(), 6);
    if (iconSize == 0)
        return;
    // The window's 32 × 32 bitmap, every pixel a square of equal pixels: nothing blurred.
    const QImage bitmap(QStringLiteral(LRC_SOURCE_DIR) + u"/src/app/icons/icon-main.bmp"_s);
    QCOMPARE(QImage(file.filePath()).convertToFormat(QImage::Format_RGB32),
             bitmap.scaled(iconSize, iconSize).convertToFormat(QImage::Format_RGB32));
}

void TestInstall::desktopEntry()
{
    const QString validator = QStandardPaths::findExecutable(u"desktop-file-validate"_s);
    QVERIFY2(!validator.isEmpty(), "desktop-file-validate is missing: bash scripts/deps.sh --tests installs it");
    const Run check = run(validator, {m_root.filePath(kDesktopFile)});
    QCOMPARE(check.output, u""_s);
    QCOMPARE(check.exitCode, 0);

    QFile file(m_root.filePath(kDesktopFile));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    // %F: a file manager's "open with" hands the program the chosen LRC files and songs.
    for (const QString& line : {u"Name=LRC晓韵星舟"_s, u"Name[zh_CN]=LRC晓韵星舟"_s, u"Exec=xiaoyun-lrc %F"_s,
                                u"Icon=xiaoyun-lrc"_s, u"Categories=AudioVideo;Audio;AudioVideoEditing;"_s,
                                u"MimeType=application/x-lrc;audio/mpeg;audio/flac;audio/mp4;audio/aac;audio/ogg;"
                                u"audio/x-vorbis+ogg;audio/x-opus+ogg;audio/x-wav;audio/x-ape;audio/x-ms-wma;"_s})
        QVERIFY2(lines.contains(line), qPrintable(line));
}

// The database built from the installed type knows a .lrc file as an LRC file, a kind of text.
void TestInstall::lrcFileType()
{
    const QString updater = QStandardPaths::findExecutable(u"update-mime-database"_s);
    QVERIFY2(!updater.isEmpty(), "update-mime-database is missing: bash scripts/deps.sh --tests installs it");
    QTemporaryDir mimeDir;
    QVERIFY(QDir().mkpath(mimeDir.filePath(u"packages"_s)));
    QVERIFY(QFile::copy(m_root.filePath(kMimePackage), mimeDir.filePath(u"packages/xiaoyun-lrc.xml"_s)));
    const Run update = run(updater, {mimeDir.path()});
    QVERIFY2(update.exitCode == 0, qPrintable(update.output));
    QFile globs(mimeDir.filePath(u"globs2"_s));
    QVERIFY(globs.open(QIODevice::ReadOnly));
    QVERIFY2(QString::fromUtf8(globs.readAll()).split(u'\n').contains(u"50:application/x-lrc:*.lrc"_s),
             qPrintable(globs.fileName()));
    QFile subclasses(mimeDir.filePath(u"subclasses"_s));
    QVERIFY(subclasses.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(subclasses.readAll()).trimmed(), u"application/x-lrc text/plain"_s);
}

void TestInstall::packageControl_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::newRow("Package") << u"Package"_s << u"xiaoyun-lrc"_s;
    QTest::newRow("Version") << u"Version"_s << u"1.0.0"_s;
    QTest::newRow("Section") << u"Section"_s << u"sound"_s;
    QTest::newRow("Depends") << u"Depends"_s
                             << u"libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 5.2), libqt6core6 (>= 6.4.0), "
                                "libqt6gui6 (>= 6.4.0), libqt6widgets6 (>= 6.4.0), libmpv2 (>= 0.35.0), libx11-6, "
                                "libxi6, fonts-noto-cjk"_s;
    QTest::newRow("Recommends") << u"Recommends"_s << u"fonts-arphic-ukai, qt6-translations-l10n"_s;
}

void TestInstall::packageControl()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    const Run info = run(u"dpkg-deb"_s, {u"--field"_s, m_package, field});
    QCOMPARE(info.exitCode, 0);
    QCOMPARE(info.output.trimmed(), value);
}

// libmpv is opened once the window is on the screen, so the loader must not map it at launch; the
// package above still depends on it.
void TestInstall::playerLibraryOpenedAtRunTime()
{
    const Run dynamic = run(u"readelf"_s, {u"--dynamic"_s, m_root.filePath(u"usr/bin/xiaoyun-lrc"_s)});
    QCOMPARE(dynamic.exitCode, 0);
    const QStringList needed = dynamic.output.split(u'\n').filter(u"(NEEDED)"_s);
    QVERIFY2(!needed.filter(u"libQt6Widgets"_s).isEmpty(), qPrintable(dynamic.output));
    QVERIFY2(needed.filter(u"libmpv"_s).isEmpty(), qPrintable(needed.join(u'\n')));
}

LRC_TEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
