// MP3 files made at test time: a sine tone encoded by lame, with the tags and damage tests need.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QTemporaryDir>

class MediaFixtures
{
public:
    enum class TextEncoding { Utf16, Utf8 };

    MediaFixtures();

    // The temporary folder every fixture goes to; removed when the object goes.
    QString folder() const;
    // Why the last fixture could not be made; put it into QVERIFY2 when a path comes back empty.
    QString error() const;

    // Each returns the full path of the file it wrote, or "" on failure (see error()).
    // fileName may hold sub folders ("歌 曲/测试.mp3"); they are made as needed.

    // A 440 Hz tone without any tag.
    QString tone(const QString& fileName, int seconds);
    // An ID3v2 title frame: UTF-16 with BOM (ID3v2.3) or UTF-8 (ID3v2.4).
    QString withId3v2Title(const QString& fileName, const QString& title, TextEncoding encoding, int seconds = 2);
    // An ID3v2.3 title frame marked Latin-1 that holds these bytes, as Chinese tools write GBK.
    QString withId3v2Latin1Title(const QString& fileName, const QByteArray& titleBytes, int seconds = 2);
    // An ID3v1 tag at the end whose title field holds these bytes (at most 30).
    QString withId3v1Title(const QString& fileName, const QByteArray& titleBytes, int seconds = 2);
    // Random bytes under an .mp3 name.
    QString randomBytes(const QString& fileName, int size = 4096);
    // An ID3v2 header announcing a tag the file ends long before, with nothing playable.
    QString truncatedHeader(const QString& fileName);
    // Plain text under an .mp3 name.
    QString textFile(const QString& fileName);

private:
    QByteArray encodedTone(int seconds);
    QString write(const QString& fileName, const QByteArray& bytes);
    QString failed(const QString& why);

    QTemporaryDir m_dir;
    QHash<int, QByteArray> m_encodedTones;
    QString m_error;
};
