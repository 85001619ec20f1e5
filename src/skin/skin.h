// The window skin: a warm paper look that each window has applied once, when it loads.
#pragma once

#include <QObject>

#include <memory>

class QWidget;
class SkinStyle;
struct SkinDescription;

class Skin : public QObject
{
    Q_OBJECT
public:
    // Reads the stored skin's description; its images are read when a window first takes the skin.
    explicit Skin(QObject* parent = nullptr);
    ~Skin() override;

    // From now on the window and its controls are drawn in the skin: the window loses the
    // platform's frame and gets the skin's border and caption bar over its layout, which must be
    // a top-to-bottom box layout. Applying it again changes nothing. A window that cannot take the
    // skin, or a stored skin that cannot be read, throws UserError and leaves the window as it was.
    void applySkin(QWidget* window);

    // Whether the skin has been applied to window (by any Skin object).
    static bool isApplied(const QWidget* window);

private:
    SkinStyle* sharedStyle() const;

    std::unique_ptr<const SkinDescription> m_description;
};
