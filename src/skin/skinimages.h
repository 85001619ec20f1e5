// The pictures of a stored skin, read and checked once when the skin is first applied.
#pragma once

#include <QPixmap>
#include <QString>

struct SkinDescription;

class SkinImages
{
public:
    // Reads the images the description names from folder; a missing or unreadable image throws UserError.
    SkinImages(const QString& folder, const SkinDescription& description);

    const QPixmap& paper() const { return m_paper; }
    const QPixmap& paperActive() const { return m_paperActive; }

private:
    QPixmap m_paper;
    QPixmap m_paperActive;
};
