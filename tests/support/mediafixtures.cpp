// MP3 files made at test time: a sine tone encoded by lame, with the tags and damage tests need.
#include "support/mediafixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QtEndian>

#include <cmath>
#include <numbers>

using namespace Qt::StringLiterals;

namespace {

// Mono at a low rate keeps a minute of tone near 240 KB and encoding it well under a second.
constexpr int kSampleRate = 16000;
constexpr double kToneHz = 440.0;
constexpr double kAmplitude = 0.3 * 32767;
constexpr int kLameTimeoutMs = 60000;
constexpr int kId3v1TitleLength = 30;

void appendLittle32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void appendLittle16(QByteArray& out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void appendBig32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

// ID3v2 sizes keep the top bit of each byte clear.
void appendSyncSafe(QByteArray& out, quint32 value)
{
    for (int shift = 21; shift >= 0; shift -= 7)
        out.append(char((value >> shift) & 0x7F));
}

QByteArray toneWav(int seconds)
{
    const quint32 samples = quint32(seconds) * kSampleRate;
    QByteArray wav("RIFF");
    appendLittle32(wav, 36 + samples * 2);
    wav.append("WAVEfmt ");
    appendLittle32(wav, 16);
    appendLittle16(wav, 1);            // PCM
    appendLittle16(wav, 1);            // mono
    appendLittle32(wav, kSampleRate);
    appendLittle32(wav, kSampleRate * 2);
    appendLittle16(wav, 2);            // bytes per frame
    appendLittle16(wav, 16);           // bits per sample
    wav.append("data");
    appendLittle32(wav, samples * 2);
    for (quint32 i = 0; i < samples; ++i) {
        const double phase = 2.0 * std::numbers::pi * kToneHz * i / kSampleRate;
        appendLittle16(wav, quint16(qint16(std::lround(kAmplitude * std::sin(phase)))));
    }
    return wav;
}

// One ID3v2 tag holding one title frame; version 3 counts frame sizes plainly, version 4 sync-safe.
QByteArray id3v2Tag(int version, const QByteArray& frameData)
{
    QByteArray frame("TIT2");
    if (version == 4)
        appendSyncSafe(frame, quint32(frameData.size()));
    else
        appendBig32(frame, quint32(frameData.size()));
    frame.append(2, '\0');
    frame.append(frameData);
    QByteArray tag("ID3");
    tag.append(char(version)).append('\0').append('\0');
    appendSyncSafe(tag, quint32(frame.size()));
    return tag + frame;
}

QByteArray utf16TitleFrame(const QString& title)
{
    QByteArray data(1, '\x01');
    data.append("\xFF\xFE", 2);
    for (const QChar c : title)
        appendLittle16(data, c.unicode());
    data.append(2, '\0');
    return data;
}

QByteArray id3v1Tag(const QByteArray& titleBytes)
{
    QByteArray tag("TAG");
    tag.append(titleBytes.left(kId3v1TitleLength).leftJustified(kId3v1TitleLength, '\0'));
    tag.append(30 + 30 + 4 + 30, '\0');   // artist, album, year, comment
    tag.append(char(0xFF));               // no genre
    return tag;
}

} // namespace

MediaFixtures::MediaFixtures() = default;

QString MediaFixtures::folder() const
{
    return m_dir.path();
}

QString MediaFixtures::error() const
{
    return m_error;
}

QString MediaFixtures::tone(const QString& fileName, int seconds)
{
    const QByteArray mp3 = encodedTone(seconds);
    return mp3.isEmpty() ? QString() : write(fileName, mp3);
}

QString MediaFixtures::withId3v2Title(const QString& fileName, const QString& title, TextEncoding encoding,
                                      int seconds)
{
    const QByteArray mp3 = encodedTone(seconds);
    if (mp3.isEmpty())
        return {};
    const QByteArray tag = encoding == TextEncoding::Utf16
        ? id3v2Tag(3, utf16TitleFrame(title))
        : id3v2Tag(4, QByteArray(1, '\x03') + title.toUtf8() + QByteArray(1, '\0'));
    return write(fileName, tag + mp3);
}

QString MediaFixtures::withId3v2Latin1Title(const QString& fileName, const QByteArray& titleBytes, int seconds)
{
    const QByteArray mp3 = encodedTone(seconds);
    if (mp3.isEmpty())
        return {};
    return write(fileName, id3v2Tag(3, QByteArray(1, '\0') + titleBytes + QByteArray(1, '\0')) + mp3);
}

QString MediaFixtures::withId3v1Title(const QString& fileName, const QByteArray& titleBytes, int seconds)
{
    const QByteArray mp3 = encodedTone(seconds);
    return mp3.isEmpty() ? QString() : write(fileName, mp3 + id3v1Tag(titleBytes));
}

QString MediaFixtures::randomBytes(const QString& fileName, int size)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator generator(20240601);
    for (char& byte : bytes)
        byte = char(generator.bounded(256));
    return write(fileName, bytes);
}

QString MediaFixtures::truncatedHeader(const QString& fileName)
{
    QByteArray bytes("ID3\x03\x00\x00", 6);
    appendSyncSafe(bytes, 4096);
    bytes.append("TIT2\x00\x00", 6);
    return write(fileName, bytes);
}

QString MediaFixtures::textFile(const QString& fileName)
{
    return write(fileName, "This is a text file, not a song.\n");
}

QByteArray MediaFixtures::encodedTone(int seconds)
{
    if (const auto cached = m_encodedTones.constFind(seconds); cached != m_encodedTones.cend())
        return *cached;
    const QString lame = QStandardPaths::findExecutable(u"lame"_s);
    if (lame.isEmpty()) {
        failed(u"lame was not found on PATH; install it (bash scripts/deps.sh --tests)"_s);
        return {};
    }
    const QString wavPath = m_dir.filePath(u"tone-%1s.wav"_s.arg(seconds));
    const QString mp3Path = m_dir.filePath(u"tone-%1s.encoded"_s.arg(seconds));
    if (write(QFileInfo(wavPath).fileName(), toneWav(seconds)).isEmpty())
        return {};
    QProcess process;
    process.start(lame, {u"--quiet"_s, u"-m"_s, u"m"_s, u"-b"_s, u"32"_s, wavPath, mp3Path});
    if (!process.waitForFinished(kLameTimeoutMs) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        failed(u"lame failed: %1"_s.arg(QString::fromLocal8Bit(process.readAllStandardError())));
        return {};
    }
    QFile::remove(wavPath);
    QFile encoded(mp3Path);
    if (!encoded.open(QIODevice::ReadOnly)) {
        failed(u"cannot read lame's output %1"_s.arg(mp3Path));
        return {};
    }
    const QByteArray mp3 = encoded.readAll();
    m_encodedTones.insert(seconds, mp3);
    return mp3;
}

QString MediaFixtures::write(const QString& fileName, const QByteArray& bytes)
{
    if (!m_dir.isValid())
        return failed(u"cannot make a temporary folder: %1"_s.arg(m_dir.errorString()));
    const QString path = m_dir.filePath(fileName);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return failed(u"cannot make the folder of %1"_s.arg(path));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return failed(u"cannot write %1: %2"_s.arg(path, file.errorString()));
    m_error.clear();
    return path;
}

QString MediaFixtures::failed(const QString& why)
{
    m_error = why;
    return {};
}
