// The current media's information: its title, as the program shows it after loading.
#include "playback/playermedia.h"

#include "playback/mpvsession.h"
#include "playback/playererror.h"
#include "playback/titlerepair.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

PlayerMedia::PlayerMedia(MpvSession& session)
    : m_session(session)
{
}

QString PlayerMedia::getItemInfo(const QString& attribute) const
{
    switch (m_session.media()) {
    case MpvSession::Media::Failed:
        throw PlayerError(m_session.failure());
    case MpvSession::Media::Ready:
        break;
    default:
        throw PlayerError(u"无法读取媒体信息“%1”：播放器中没有媒体"_s.arg(attribute));
    }
    if (attribute.compare(u"Title"_s, Qt::CaseInsensitive) == 0)
        return title();
    return {};
}

double PlayerMedia::duration() const
{
    return m_session.duration();
}

QString PlayerMedia::title() const
{
    if (m_session.media() != MpvSession::Media::Ready)
        return {};
    const QString tagged = decodeTagText(m_session.tag(u"title"_s).value_or(QByteArray())).trimmed();
    return tagged.isEmpty() ? QFileInfo(m_session.mediaPath()).completeBaseName() : tagged;
}
