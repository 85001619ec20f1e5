// The encodings an LRC file is written in: code page 936 for the players that expect it, or UTF-8.
#pragma once

enum class LrcEncoding {
    // Windows' code page 936 (GBK), GB18030 sequences for what it lacks; what the export has always written.
    CodePage936,
    // UTF-8 without a byte-order mark, which some players show as a stray character.
    Utf8,
};
