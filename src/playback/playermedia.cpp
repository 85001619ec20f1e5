// The current media's information: its title, as the program shows it after loading.
#include "playback/playermedia.h"

#include "common/usererror.h"
#include "playback/mpvsession.h"
#include "playback/titlerepair.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

PlayerMedia::PlayerMedia(MpvSession& session)
    : m_session(session)
{}

QString PlayerMedia::getItemInfo(const QString& attribute) const
{
    const MpvSession::Media media = m_session.media();
    if (media != MpvSession::Media::Ready && media != MpvSession::Media::Failed)
        throw UserError(u"无法读取媒体信息“%1”：播放器中没有媒体"_s.arg(attribute));
    if (attribute.compare(u"Title"_s, Qt::CaseInsensitive) == 0)
        return title();
    return {};
}

// A file that cannot be played still has a name, and showing it tells the user which file the
// player's error is about, rather than leaving the song before on show.
QString PlayerMedia::title() const
{
    switch (m_session.media()) {
    case MpvSession::Media::Ready:
        break;
    case MpvSession::Media::Failed:
        return singleLineTitle(QFileInfo(m_session.mediaPath()).completeBaseName());
    default:
        return {};
    }
    const QString tagged = decodeTagText(m_session.tag(u"title"_s).value_or(QByteArray())).trimmed();
    return singleLineTitle(tagged.isEmpty() ? QFileInfo(m_session.mediaPath()).completeBaseName() : tagged);
}
