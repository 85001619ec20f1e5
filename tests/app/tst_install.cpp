// The program installed like a desktop program: cmake --install into a temporary root, the menu entry, the icons, the .deb.
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
const QString kSourceDir = QStringLiteral(LRC_SOURCE_DIR);

struct Run {
    int exitCode = -1;
    QString output;
    QString errors;
};

Run run(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment = {})
{
    QProcess process;
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, {}, program + u" did not finish: "_s + process.errorString()};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// The [Desktop Entry] group as key → value, keys with their locale suffix ("Name[zh_CN]").
QHash<QString, QString> readDesktopEntry(const QString& path)
{
    QFile file(path);
    QHash<QString, QString> entry;
    if (!file.open(QIODevice::ReadOnly))
        return entry;
    bool inGroup = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(u'['))
            inGroup = line == u"[Desktop Entry]"_s;
        const qsizetype equals = line.indexOf(u'=');
        if (inGroup && equals > 0 && !line.startsWith(u'#'))
            entry.insert(line.left(equals), line.mid(equals + 1));
    }
    return entry;
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void installedFiles_data();
    void installedFiles();
    void iconsAreTheWindowIcon_data();
    void iconsAreTheWindowIcon();
    void desktopEntry_data();
    void desktopEntry();
    void desktopEntryValidates();
    void packageControl_data();
    void packageControl();
    void packageHoldsTheInstalledFiles();
    void iconToolRejects_data();
    void iconToolRejects();

private:
    void makePackage();

    QTemporaryDir root_;
    QTemporaryDir packageDir_;
    QString package_;
};

// Installed the way a distribution packs it: prefix /usr under a DESTDIR.
void TestInstall::initTestCase()
{
    QVERIFY(root_.isValid() && packageDir_.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"DESTDIR"_s, root_.path());
    const Run install = run(QStringLiteral(LRC_CMAKE), {u"--install"_s, kBuildDir, u"--prefix"_s, u"/usr"_s},
                            environment);
    QVERIFY2(install.exitCode == 0, qPrintable(install.errors));
}

void TestInstall::installedFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("executable");
    QTest::newRow("program") << u"usr/bin/xiaoyun-lrc"_s << true;
    QTest::newRow("menu entry") << u"usr/share/applications/xiaoyun-lrc.desktop"_s << false;
    QTest::newRow("icon 32") << u"usr/share/icons/hicolor/32x32/apps/xiaoyun-lrc.png"_s << false;
    QTest::newRow("icon 64") << u"usr/share/icons/hicolor/64x64/apps/xiaoyun-lrc.png"_s << false;
    QTest::newRow("icon 128") << u"usr/share/icons/hicolor/128x128/apps/xiaoyun-lrc.png"_s << false;
}

void TestInstall::installedFiles()
{
    QFETCH(QString, path);
    QFETCH(bool, executable);
    const QFileInfo file(root_.filePath(path));
    QVERIFY2(file.isFile(), qPrintable(file.filePath()));
    QVERIFY(file.size() > 0);
    QCOMPARE(file.isExecutable(), executable);
}

void TestInstall::iconsAreTheWindowIcon_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("32") << 32;
    QTest::newRow("64") << 64;
    QTest::newRow("128") << 128;
}

// Every pixel of the window's 32 × 32 bitmap becomes a square of equal pixels, nothing blurred.
void TestInstall::iconsAreTheWindowIcon()
{
    QFETCH(int, size);
    const QImage bitmap(kSourceDir + u"/src/app/skin/icon-main.bmp"_s);
    QCOMPARE(bitmap.size(), QSize(32, 32));
    const QString path = u"usr/share/icons/hicolor/%1x%1/apps/xiaoyun-lrc.png"_s.arg(size);
    const QImage icon(root_.filePath(path));
    QCOMPARE(icon.size(), QSize(size, size));
    const int scale = size / 32;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (icon.pixel(x, y) != bitmap.pixel(x / scale, y / scale))
                QFAIL(qPrintable(u"pixel %1,%2 differs"_s.arg(x).arg(y)));
        }
    }
}

void TestInstall::desktopEntry_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("Type") << u"Type"_s << u"Application"_s;
    QTest::newRow("Name") << u"Name"_s << u"LRC晓韵星舟"_s;
    QTest::newRow("Name[zh_CN]") << u"Name[zh_CN]"_s << u"LRC晓韵星舟"_s;
    QTest::newRow("GenericName") << u"GenericName"_s << u"LRC Lyrics Maker"_s;
    QTest::newRow("GenericName[zh_CN]") << u"GenericName[zh_CN]"_s << u"LRC 歌词制作"_s;
    QTest::newRow("Exec") << u"Exec"_s << u"xiaoyun-lrc"_s;
    QTest::newRow("Icon") << u"Icon"_s << u"xiaoyun-lrc"_s;
    QTest::newRow("Terminal") << u"Terminal"_s << u"false"_s;
    QTest::newRow("Categories") << u"Categories"_s << u"AudioVideo;Audio;AudioVideoEditing;"_s;
    QTest::newRow("StartupWMClass") << u"StartupWMClass"_s << u"xiaoyun-lrc"_s;
}

void TestInstall::desktopEntry()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    const auto entry = readDesktopEntry(root_.filePath(u"usr/share/applications/xiaoyun-lrc.desktop"_s));
    QVERIFY(!entry.isEmpty());
    QCOMPARE(entry.value(key), value);
}

void TestInstall::desktopEntryValidates()
{
    const QString validator = QStandardPaths::findExecutable(u"desktop-file-validate"_s);
    QVERIFY2(!validator.isEmpty(), "desktop-file-validate is missing: bash scripts/deps.sh --tests installs it");
    const Run check = run(validator, {root_.filePath(u"usr/share/applications/xiaoyun-lrc.desktop"_s)});
    QCOMPARE(check.output + check.errors, u""_s);
    QCOMPARE(check.exitCode, 0);
}

void TestInstall::makePackage()
{
    if (!package_.isEmpty())
        return;
    const Run pack = run(QStringLiteral(LRC_CPACK),
                         {u"--config"_s, kBuildDir + u"/CPackConfig.cmake"_s, u"-B"_s, packageDir_.path()});
    QVERIFY2(pack.exitCode == 0, qPrintable(pack.output + pack.errors));
    const QStringList debs = QDir(packageDir_.path()).entryList({u"*.deb"_s}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    QVERIFY2(debs.constFirst().startsWith(u"xiaoyun-lrc_1.0.0_"_s), qPrintable(debs.constFirst()));
    package_ = packageDir_.filePath(debs.constFirst());
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
    makePackage();
    QVERIFY(!package_.isEmpty());
    const Run info = run(u"dpkg-deb"_s, {u"--field"_s, package_, field});
    QCOMPARE(info.exitCode, 0);
    QCOMPARE(info.output.trimmed(), value);
}

// What apt puts on the disk is exactly what cmake --install puts there.
void TestInstall::packageHoldsTheInstalledFiles()
{
    makePackage();
    QVERIFY(!package_.isEmpty());
    const Run contents = run(u"dpkg-deb"_s, {u"--contents"_s, package_});
    QCOMPARE(contents.exitCode, 0);
    QStringList files;
    for (const QString& line : contents.output.split(u'\n', Qt::SkipEmptyParts)) {
        if (!line.startsWith(u'd'))
            files << line.section(u' ', -1);
    }
    files.sort();
    const QStringList expected = {
        u"./usr/bin/xiaoyun-lrc"_s,
        u"./usr/share/applications/xiaoyun-lrc.desktop"_s,
        u"./usr/share/icons/hicolor/128x128/apps/xiaoyun-lrc.png"_s,
        u"./usr/share/icons/hicolor/32x32/apps/xiaoyun-lrc.png"_s,
        u"./usr/share/icons/hicolor/64x64/apps/xiaoyun-lrc.png"_s,
    };
    QCOMPARE(files, expected);
}

void TestInstall::iconToolRejects_data()
{
    QTest::addColumn<QString>("bitmap");
    QTest::addColumn<QString>("png");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("message");
    const QString icon = kSourceDir + u"/src/app/skin/icon-main.bmp"_s;
    const QString readme = kSourceDir + u"/README.md"_s;
    QTest::newRow("no such bitmap") << u"missing.bmp"_s << u"out.png"_s << u"32"_s
                                    << u"xiaoyun-lrc-iconpng: missing.bmp: not a square image\n"_s;
    QTest::newRow("not an image") << readme << u"out.png"_s << u"32"_s
                                  << u"xiaoyun-lrc-iconpng: %1: not a square image\n"_s.arg(readme);
    QTest::newRow("size between multiples") << icon << u"out.png"_s << u"48"_s
                                            << u"xiaoyun-lrc-iconpng: 48: not a whole multiple of 32\n"_s;
    QTest::newRow("size below the bitmap's") << icon << u"out.png"_s << u"16"_s
                                             << u"xiaoyun-lrc-iconpng: 16: not a whole multiple of 32\n"_s;
    QTest::newRow("size not a number") << icon << u"out.png"_s << u"big"_s
                                       << u"xiaoyun-lrc-iconpng: big: not a whole multiple of 32\n"_s;
    // Folders that cannot be written to even by root, who runs these tests.
    QTest::newRow("folder missing") << icon << u"no-folder/out.png"_s << u"32"_s
                                    << u"xiaoyun-lrc-iconpng: no-folder/out.png: cannot write\n"_s;
    QTest::newRow("parent is a file") << icon << u"file/out.png"_s << u"32"_s
                                      << u"xiaoyun-lrc-iconpng: file/out.png: cannot write\n"_s;
}

void TestInstall::iconToolRejects()
{
    QFETCH(QString, bitmap);
    QFETCH(QString, png);
    QFETCH(QString, size);
    QFETCH(QString, message);
    QTemporaryDir work;
    QVERIFY(work.isValid());
    QFile regular(work.filePath(u"file"_s));
    QVERIFY(regular.open(QIODevice::WriteOnly));
    regular.close();

    QProcess tool;
    tool.setWorkingDirectory(work.path());
    tool.start(QStringLiteral(LRC_ICONPNG), {bitmap, png, size});
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(tool.readAllStandardError()), message);
    QCOMPARE(tool.exitCode(), 1);
    QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{u"file"_s});
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
