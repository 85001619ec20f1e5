// The work a recovery file keeps: the sheet, the grid's boxes and the loaded song, as versioned UTF-8 JSON.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct RecoveryData
{
    // The sheet as the editor holds it: LF line breaks (a text document's own U+2029 breaks are
    // written as LF), line separators and no-break spaces kept as they are.
    QString sheet;
    // Text1(1) … Text1(21), exactly as they stood, hints included.
    QStringList grid;
    // The song's path, or "" when none was loaded.
    QString song;
};

// The file's bytes: {"format": "xiaoyun-lrc recovery", "version": 1, "sheet": …, "grid": […], "song": …}.
QByteArray recoveryFileBytes(const RecoveryData& data);

// Reads what recoveryFileBytes wrote. Throws UserError, saying why in Chinese, for bytes that are
// not such a file, come from a newer version, or lack a part.
RecoveryData parseRecoveryFile(const QByteArray& bytes);
