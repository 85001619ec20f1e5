// The LRC file: the cleaned sheet as code page 936 bytes, and their atomic write to disk.
#include "lyrics/lrcfile.h"

#include "lyrics/gbkcodec.h"
#include "lyrics/safefilewriter.h"

using namespace Qt::StringLiterals;

namespace {

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

// Copies the text in runs between the breaks that need rewriting; a sheet that already has
// only CR LF (the usual case) is a single copy.
QString withCrLfLineBreaks(const QString& text)
{
    const QStringView view(text);
    QString result;
    result.reserve(text.size() + 2);
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < view.size(); ++i) {
        if (!isLineBreak(view[i]))
            continue;
        if (view[i] == u'\r' && i + 1 < view.size() && view[i + 1] == u'\n') {
            ++i;
            continue;
        }
        result += view.sliced(runStart, i - runStart);
        result += u"\r\n";
        runStart = i + 1;
    }
    result += view.sliced(runStart);
    return result;
}

} // namespace

QByteArray lrcFileBytes(const QString& sheet, LrcEncoding encoding)
{
    const QString text = withCrLfLineBreaks(sheet) + u"\r\n"_s;
    return encoding == LrcEncoding::Utf8 ? text.toUtf8() : encodeCodePage936(text);
}

void writeLrcFile(const QString& path, const QByteArray& bytes)
{
    writeFileSafely(path, bytes);
}
