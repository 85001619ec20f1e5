// The sheet's time tags read as an LRC player reads them: which line shows at a given moment.
#pragma once

#include <QString>

#include <optional>
#include <vector>

// What a player shows at one moment: the current line and, smaller, the line after it
// ("" when no later tag follows).
struct LyricMoment
{
    QString line;
    QString next;

    bool operator==(const LyricMoment&) const = default;
};

class LyricTimeline
{
public:
    LyricTimeline() = default;
    // Reads every line of the sheet (CR LF, LF or CR breaks). The time tags are the ones in
    // front of a line: "[m:ss]" with minutes of one or more digits, seconds 00 to 59 and an
    // optional fraction of one to three digits ("[1:05.3]", "[01:05.34]", "[01:05.345]").
    // Empty tags "[]", which the export removes, are passed over among them; any other
    // bracket ends the tags. The line's text is what follows them, without surrounding blanks.
    explicit LyricTimeline(const QString& sheet);

    // True when the sheet holds no time tag.
    bool isEmpty() const { return m_cues.empty(); }

    // The line of the latest tag at or before the position, and the line of the first tag after
    // it; nullopt before the first tag. Lines whose tags are equal show the later one.
    std::optional<LyricMoment> at(double seconds) const;

private:
    struct Cue
    {
        qint64 milliseconds;
        qsizetype textStart;
        qsizetype textLength;
    };

    void readLine(qsizetype start, qsizetype end);
    QString text(const Cue& cue) const;

    // The cues point into the sheet rather than each owning a copy of its line.
    QString m_sheet;
    std::vector<Cue> m_cues;
};
