// Songs made at test time: a sine tone encoded by lame (MP3), flac or oggenc, with the tags and damage tests need.
#include "support/mediafixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QStringEncoder>
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

// Raw 16-bit little-endian samples, as lame's -r reads them.
QByteArray tonePcm(int seconds)
{
    QByteArray pcm(qsizetype(seconds) * kSampleRate * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < pcm.size() / 2; ++i) {
        const double phase = 2.0 * std::numbers::pi * kToneHz * double(i) / kSampleRate;
        qToLittleEndian(qint16(std::lround(kAmplitude * std::sin(phase))), pcm.data() + 2 * i);
    }
    return pcm;
}

// ID3v2.4 sizes keep the top bit of each byte clear.
QByteArray syncSafe(quint32 value)
{
    QByteArray bytes;
    for (int shift = 21; shift >= 0; shift -= 7)
        bytes.append(char((value >> shift) & 0x7F));
    return bytes;
}

// An ID3v2.4 tag holding one title frame: the text's encoding byte, the text, its terminator.
QByteArray id3v2Tag(const QString& title, MediaFixtures::TextEncoding encoding)
{
    using enum MediaFixtures::TextEncoding;
    QByteArray text = '\0' + title.toLatin1() + '\0';
    if (encoding == Utf16)
        text = "\x01\xFF\xFE"_ba + QStringEncoder(QStringConverter::Utf16LE).encode(title) + QByteArray(2, '\0');
    else if (encoding == Utf8)
        text = "\x03"_ba + title.toUtf8() + '\0';
    const QByteArray frame = "TIT2"_ba + syncSafe(quint32(text.size())) + QByteArray(2, '\0') + text;
    return "ID3\x04\x00\x00"_ba + syncSafe(quint32(frame.size())) + frame;
}

QByteArray id3v1Tag(const QByteArray& titleBytes)
{
    return "TAG"_ba + titleBytes.left(kId3v1TitleLength).leftJustified(kId3v1TitleLength, '\0')
        + QByteArray(30 + 30 + 4 + 30, '\0') // artist, album, year, comment
        + char(0xFF); // no genre
}

QByteArray waveFile(const QByteArray& pcm)
{
    QByteArray header("RIFF....WAVEfmt ");
    const auto put32 = [&header](quint32 value) {
        char bytes[4];
        qToLittleEndian(value, bytes);
        header.append(bytes, 4);
    };
    const auto put16 = [&header](quint16 value) {
        char bytes[2];
        qToLittleEndian(value, bytes);
        header.append(bytes, 2);
    };
    qToLittleEndian(quint32(36 + pcm.size()), header.data() + 4);
    put32(16);
    put16(1); // PCM
    put16(1); // mono
    put32(kSampleRate);
    put32(kSampleRate * 2);
    put16(2);
    put16(16);
    header.append("data");
    put32(quint32(pcm.size()));
    return header + pcm;
}

} // namespace

QString MediaFixtures::error() const
{
    return m_error;
}

QString MediaFixtures::tone(const QString& fileName, int seconds)
{
    return song(fileName, seconds, {}, {});
}

QString MediaFixtures::withId3v2Title(const QString& fileName, const QString& title, TextEncoding encoding, int seconds)
{
    return song(fileName, seconds, id3v2Tag(title, encoding), {});
}

QString MediaFixtures::withId3v1Title(const QString& fileName, const QByteArray& titleBytes, int seconds)
{
    return song(fileName, seconds, {}, id3v1Tag(titleBytes));
}

QString MediaFixtures::encoded(const QString& fileName, const QString& title, int seconds)
{
    const QString wave = write(fileName + u".wav"_s, waveFile(tonePcm(seconds)));
    if (wave.isEmpty())
        return {};
    const QString path = m_dir.filePath(fileName);
    if (fileName.endsWith(u".flac"_s)) {
        QStringList arguments{u"--silent"_s, u"--force"_s, u"-o"_s, path};
        if (!title.isEmpty())
            arguments << u"--tag=TITLE=%1"_s.arg(title);
        if (run(u"flac"_s, arguments << wave).isEmpty())
            return {};
    } else if (fileName.endsWith(u".ogg"_s)) {
        QStringList arguments{u"--quiet"_s, u"--utf8"_s, u"-o"_s, path};
        if (!title.isEmpty())
            arguments << u"--title"_s << title;
        if (run(u"oggenc"_s, arguments << wave).isEmpty())
            return {};
    } else {
        QFile::remove(path);
        if (!QFile::rename(wave, path))
            return failed(u"cannot rename %1"_s.arg(wave));
    }
    QFile::remove(wave);
    return path;
}

// An encoder from Debian (flac, vorbis-tools); "" when it is missing or fails.
QString MediaFixtures::run(const QString& tool, const QStringList& arguments)
{
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty())
        return failed(u"%1 was not found on PATH; install it (bash scripts/deps.sh --tests)"_s.arg(tool));
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(kLameTimeoutMs) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return failed(u"%1 failed: %2"_s.arg(tool, QString::fromLocal8Bit(process.readAllStandardError())));
    return program;
}

QString MediaFixtures::randomBytes(const QString& fileName)
{
    QByteArray bytes(4096, Qt::Uninitialized);
    QRandomGenerator(20240601).fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
    return write(fileName, bytes);
}

QString MediaFixtures::truncatedHeader(const QString& fileName)
{
    return write(fileName, "ID3\x03\x00\x00"_ba + syncSafe(4096) + "TIT2\x00\x00"_ba);
}

QString MediaFixtures::song(const QString& fileName, int seconds, const QByteArray& before, const QByteArray& after)
{
    const QString lame = QStandardPaths::findExecutable(u"lame"_s);
    if (lame.isEmpty())
        return failed(u"lame was not found on PATH; install it (bash scripts/deps.sh --tests)"_s);
    QProcess process;
    process.start(lame,
                  {u"--quiet"_s, u"-r"_s, u"-s"_s, QString::number(kSampleRate / 1000), u"--bitwidth"_s, u"16"_s,
                   u"--signed"_s, u"--little-endian"_s, u"-m"_s, u"m"_s, u"-b"_s, u"32"_s, u"-"_s, u"-"_s});
    process.write(tonePcm(seconds));
    process.closeWriteChannel();
    const bool encoded = process.waitForFinished(kLameTimeoutMs) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
    const QByteArray mp3 = process.readAllStandardOutput();
    if (!encoded || mp3.isEmpty())
        return failed(u"lame failed: %1"_s.arg(QString::fromLocal8Bit(process.readAllStandardError())));
    return write(fileName, before + mp3 + after);
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
