// The current media's information: its title, as the program shows it after loading.
#pragma once

#include <QString>

class MpvSession;

class PlayerMedia
{
public:
    explicit PlayerMedia(MpvSession& session);

    // "Title": the title tag (GBK titles repaired), or the file's name without its extension, also
    // for a file that cannot be played; as one line, cut to kMaxTitleLength.
    // Any other attribute: "". Throws UserError when no media is loaded.
    QString getItemInfo(const QString& attribute) const;
    // The title as getItemInfo("Title") gives it; "" when no media is loaded.
    QString title() const;

private:
    MpvSession& m_session;
};
