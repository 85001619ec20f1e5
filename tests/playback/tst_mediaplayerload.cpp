// Tests of loading media into MediaPlayer: titles of every tag kind, broken files, no media.
#include "playback/mediaplayer.h"
#include "playback/playererror.h"
#include "support/mediafixtures.h"
#include "support/numericlocale.h"

#include <QDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

enum class Variant { Untagged, Id3v2Utf16, Id3v2Utf8, Id3v2Latin1, Id3v1 };

} // namespace

class TestMediaPlayerLoad : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void titles_data();
    void titles();
    void loadingPlays();
    void lengthOfTheMedia();
    void brokenFiles_data();
    void brokenFiles();
    void brokenFileReplacesPlayingSong();
    void goodFileAfterBrokenOne();
    void noMedia();
    void emptyAddressUnloads();
    void otherAttributesAreEmpty();

private:
    QString makeFixture(Variant variant, const QString& fileName, const QString& text, const QByteArray& bytes);
    QString goodSong(const QString& fileName = u"song.mp3"_s);

    MediaFixtures m_fixtures;
    std::unique_ptr<MediaPlayer> m_player;
};

void TestMediaPlayerLoad::initTestCase()
{
    useCNumericLocale();
}

void TestMediaPlayerLoad::init()
{
    m_player = std::make_unique<MediaPlayer>();
    m_player->setAudioDriver(u"null"_s);
}

void TestMediaPlayerLoad::cleanup()
{
    m_player.reset();
}

QString TestMediaPlayerLoad::makeFixture(Variant variant, const QString& fileName, const QString& text,
                                         const QByteArray& bytes)
{
    switch (variant) {
    case Variant::Untagged:
        return m_fixtures.tone(fileName, 2);
    case Variant::Id3v2Utf16:
        return m_fixtures.withId3v2Title(fileName, text, MediaFixtures::TextEncoding::Utf16);
    case Variant::Id3v2Utf8:
        return m_fixtures.withId3v2Title(fileName, text, MediaFixtures::TextEncoding::Utf8);
    case Variant::Id3v2Latin1:
        return m_fixtures.withId3v2Latin1Title(fileName, bytes);
    case Variant::Id3v1:
        return m_fixtures.withId3v1Title(fileName, bytes);
    }
    return {};
}

QString TestMediaPlayerLoad::goodSong(const QString& fileName)
{
    return m_fixtures.tone(fileName, 5);
}

void TestMediaPlayerLoad::titles_data()
{
    QTest::addColumn<Variant>("variant");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("tagText");
    QTest::addColumn<QByteArray>("tagBytes");
    QTest::addColumn<QString>("expected");

    const QByteArray gbkTestSong("\xB2\xE2\xCA\xD4\xB8\xE8\xC7\xFA");   // 测试歌曲 in GBK
    QTest::newRow("no tag: the file's name")
        << Variant::Untagged << u"无标签的歌.mp3"_s << QString() << QByteArray() << u"无标签的歌"_s;
    QTest::newRow("no tag, dots in the name")
        << Variant::Untagged << u"my.song.v2.mp3"_s << QString() << QByteArray() << u"my.song.v2"_s;
    QTest::newRow("no tag, folder with Chinese and blanks")
        << Variant::Untagged << u"我的 歌曲/晚 风.mp3"_s << QString() << QByteArray() << u"晚 风"_s;
    QTest::newRow("ID3v2 UTF-16")
        << Variant::Id3v2Utf16 << u"utf16.mp3"_s << u"测试歌曲"_s << QByteArray() << u"测试歌曲"_s;
    QTest::newRow("ID3v2 UTF-8")
        << Variant::Id3v2Utf8 << u"utf8.mp3"_s << u"月亮代表我的心"_s << QByteArray() << u"月亮代表我的心"_s;
    QTest::newRow("ID3v2 UTF-16 in a Chinese folder")
        << Variant::Id3v2Utf16 << u"中文 目录/第 1 首.mp3"_s << u"测试歌曲"_s << QByteArray() << u"测试歌曲"_s;
    QTest::newRow("ID3v2 Latin-1 frame holding GBK")
        << Variant::Id3v2Latin1 << u"latin1-gbk.mp3"_s << QString() << gbkTestSong << u"测试歌曲"_s;
    QTest::newRow("ID3v2 Latin-1 frame holding Latin-1")
        << Variant::Id3v2Latin1 << u"latin1.mp3"_s << QString() << QByteArray("Caf\xE9") << u"Café"_s;
    QTest::newRow("ID3v1 GBK")
        << Variant::Id3v1 << u"v1-gbk.mp3"_s << QString() << gbkTestSong << u"测试歌曲"_s;
    QTest::newRow("ID3v1 ASCII")
        << Variant::Id3v1 << u"v1-ascii.mp3"_s << QString() << QByteArray("Hello World") << u"Hello World"_s;
}

void TestMediaPlayerLoad::titles()
{
    QFETCH(Variant, variant);
    QFETCH(QString, fileName);
    QFETCH(QString, tagText);
    QFETCH(QByteArray, tagBytes);
    QFETCH(QString, expected);

    const QString path = makeFixture(variant, fileName, tagText, tagBytes);
    QVERIFY2(!path.isEmpty(), qPrintable(m_fixtures.error()));
    m_player->setURL(path);
    QCOMPARE(m_player->URL(), path);
    QCOMPARE(m_player->currentMedia().getItemInfo(u"Title"_s), expected);
}

// autoStart: the song plays without being asked, as the control the player replaces does.
void TestMediaPlayerLoad::loadingPlays()
{
    const QString path = goodSong();
    QVERIFY2(!path.isEmpty(), qPrintable(m_fixtures.error()));
    m_player->setURL(path);
    QTRY_VERIFY(m_player->controls().currentPosition() > 0.2);
}

void TestMediaPlayerLoad::lengthOfTheMedia()
{
    const QString path = goodSong();
    QVERIFY2(!path.isEmpty(), qPrintable(m_fixtures.error()));
    QCOMPARE(m_player->currentMedia().duration(), 0.0);
    m_player->setURL(path);
    // lame pads the last frame, so a 5 s tone lasts a few frames longer.
    QVERIFY2(m_player->currentMedia().duration() >= 5.0 && m_player->currentMedia().duration() < 5.2,
             qPrintable(QString::number(m_player->currentMedia().duration())));
}

void TestMediaPlayerLoad::brokenFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing file") << u"missing"_s << u"文件不存在"_s;
    QTest::newRow("random bytes") << u"random"_s << u"无法识别的文件格式，文件可能已损坏或不是音频文件"_s;
    QTest::newRow("text file") << u"text"_s << u"无法识别的文件格式，文件可能已损坏或不是音频文件"_s;
    QTest::newRow("truncated header") << u"truncated"_s << u"无法识别的文件格式，文件可能已损坏或不是音频文件"_s;
    QTest::newRow("a folder") << u"folder"_s << u"这是一个文件夹，不是媒体文件"_s;
    // Root may open any file, so the unopenable path is one whose parent is a regular file.
    QTest::newRow("parent is a file") << u"under-file"_s << u"文件不存在"_s;
}

void TestMediaPlayerLoad::brokenFiles()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);

    QString path;
    if (kind == u"missing"_s)
        path = m_fixtures.folder() + u"/不存在 的歌.mp3"_s;
    else if (kind == u"random"_s)
        path = m_fixtures.randomBytes(u"随机.mp3"_s);
    else if (kind == u"text"_s)
        path = m_fixtures.textFile(u"text.mp3"_s);
    else if (kind == u"truncated"_s)
        path = m_fixtures.truncatedHeader(u"truncated.mp3"_s);
    else if (kind == u"folder"_s)
        QVERIFY(QDir(m_fixtures.folder()).mkpath(path = m_fixtures.folder() + u"/folder.mp3"_s));
    else
        path = m_fixtures.textFile(u"plain.txt"_s) + u"/song.mp3"_s;
    QVERIFY2(!path.isEmpty(), qPrintable(m_fixtures.error()));

    const QString expected = u"无法打开媒体文件“%1”：%2"_s.arg(path, reason);
    try {
        m_player->setURL(path);
        QFAIL("setURL accepted a broken file");
    } catch (const PlayerError& error) {
        QCOMPARE(error.message(), expected);
    }
    QCOMPARE(m_player->URL(), path);
    QVERIFY_THROWS_EXCEPTION(PlayerError, m_player->controls().play());
    QVERIFY_THROWS_EXCEPTION(PlayerError, m_player->controls().setCurrentPosition(1.0));
    QVERIFY_THROWS_EXCEPTION(PlayerError, m_player->currentMedia().getItemInfo(u"Title"_s));
    m_player->controls().pause();
    m_player->controls().stop();
    QCOMPARE(m_player->controls().currentPosition(), 0.0);
    QCOMPARE(m_player->URL(), path);
}

// The broken file takes the place of the song before it, which stops.
void TestMediaPlayerLoad::brokenFileReplacesPlayingSong()
{
    const QString song = goodSong();
    const QString broken = m_fixtures.randomBytes(u"broken.mp3"_s);
    QVERIFY2(!song.isEmpty() && !broken.isEmpty(), qPrintable(m_fixtures.error()));
    m_player->setURL(song);
    QTRY_VERIFY(m_player->controls().currentPosition() > 0.1);
    QVERIFY_THROWS_EXCEPTION(PlayerError, m_player->setURL(broken));
    QCOMPARE(m_player->URL(), broken);
    QCOMPARE(m_player->controls().currentPosition(), 0.0);
    QVERIFY_THROWS_EXCEPTION(PlayerError, m_player->controls().play());
}

void TestMediaPlayerLoad::goodFileAfterBrokenOne()
{
    const QString broken = m_fixtures.truncatedHeader(u"broken.mp3"_s);
    const QString song = m_fixtures.withId3v2Title(u"good.mp3"_s, u"测试歌曲"_s, MediaFixtures::TextEncoding::Utf16);
    QVERIFY2(!song.isEmpty() && !broken.isEmpty(), qPrintable(m_fixtures.error()));
    QVERIFY_THROWS_EXCEPTION(PlayerError, m_player->setURL(broken));
    m_player->setURL(song);
    QCOMPARE(m_player->URL(), song);
    QCOMPARE(m_player->currentMedia().getItemInfo(u"Title"_s), u"测试歌曲"_s);
    m_player->controls().pause();
    m_player->controls().play();
    QTRY_VERIFY(m_player->controls().currentPosition() > 0.1);
}

// The hotkey may press play before any song is loaded: nothing happens, nothing throws.
void TestMediaPlayerLoad::noMedia()
{
    QCOMPARE(m_player->URL(), QString());
    m_player->controls().play();
    m_player->controls().pause();
    m_player->controls().stop();
    m_player->controls().setCurrentPosition(3.0);
    QCOMPARE(m_player->controls().currentPosition(), 0.0);
    QCOMPARE(m_player->settings().volume(), 50);
    QVERIFY_THROWS_EXCEPTION(PlayerError, m_player->currentMedia().getItemInfo(u"Title"_s));
}

void TestMediaPlayerLoad::emptyAddressUnloads()
{
    const QString song = goodSong();
    QVERIFY2(!song.isEmpty(), qPrintable(m_fixtures.error()));
    m_player->setURL(song);
    QTRY_VERIFY(m_player->controls().currentPosition() > 0.1);
    m_player->setURL(QString());
    QCOMPARE(m_player->URL(), QString());
    QCOMPARE(m_player->controls().currentPosition(), 0.0);
    m_player->controls().play();
    QCOMPARE(m_player->controls().currentPosition(), 0.0);
    QVERIFY_THROWS_EXCEPTION(PlayerError, m_player->currentMedia().getItemInfo(u"Title"_s));
}

void TestMediaPlayerLoad::otherAttributesAreEmpty()
{
    const QString song = m_fixtures.withId3v2Title(u"tagged.mp3"_s, u"测试歌曲"_s, MediaFixtures::TextEncoding::Utf8);
    QVERIFY2(!song.isEmpty(), qPrintable(m_fixtures.error()));
    m_player->setURL(song);
    QCOMPARE(m_player->currentMedia().getItemInfo(u"Author"_s), QString());
    QCOMPARE(m_player->currentMedia().getItemInfo(u"title"_s), u"测试歌曲"_s);
}

QTEST_MAIN(TestMediaPlayerLoad)
#include "tst_mediaplayerload.moc"
