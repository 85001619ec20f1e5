// Songs made at test time: a sine tone encoded by lame (MP3), flac or oggenc, with the tags and damage tests need.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class MediaFixtures
{
public:
    // How an ID3v2.4 title frame is written: UTF-16 with BOM, UTF-8, or marked Latin-1 holding
    // title.toLatin1(), which is how Chinese tools store GBK bytes.
    enum class TextEncoding { Utf16, Utf8, Latin1 };

    // Why the last fixture could not be made; put it into QVERIFY2 when a path comes back empty.
    QString error() const;

    // Each returns the full path of the file it wrote into its temporary folder, or "" on failure.
    // fileName may hold sub folders ("歌 曲/测试.mp3"); they are made as needed.
    QString tone(const QString& fileName, int seconds);
    QString withId3v2Title(const QString& fileName, const QString& title, TextEncoding encoding, int seconds = 2);
    // An ID3v1 tag at the end whose title field holds these bytes (at most 30).
    QString withId3v1Title(const QString& fileName, const QByteArray& titleBytes, int seconds = 2);
    // The tone as WAV (.wav), FLAC (.flac, by flac) or Ogg Vorbis (.ogg, by oggenc), as the name
    // ends; a title other than "" goes into the format's own tag (a Vorbis comment TITLE).
    QString encoded(const QString& fileName, const QString& title, int seconds = 2);
    // Random bytes under an .mp3 name.
    QString randomBytes(const QString& fileName);
    // An ID3v2 header announcing a tag the file ends long before, with nothing playable.
    QString truncatedHeader(const QString& fileName);

private:
    // A tone of this length encoded by lame, with these bytes before and after it.
    QString song(const QString& fileName, int seconds, const QByteArray& before, const QByteArray& after);
    QString write(const QString& fileName, const QByteArray& bytes);
    QString run(const QString& tool, const QStringList& arguments);
    QString failed(const QString& why);

    QTemporaryDir m_dir;
    QString m_error;
};
