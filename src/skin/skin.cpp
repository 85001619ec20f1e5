// The window skin: a warm paper look that each window has applied once, when it loads.
#include "skin/skin.h"

#include "common/usererror.h"
#include "skin/captionbar.h"
#include "skin/skindescription.h"
#include "skin/skinframe.h"
#include "skin/skinstyle.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFile>
#include <QWindow>

using namespace Qt::StringLiterals;

// The resources live in a static library, so they are registered by hand before first use.
static void initSkinResources()
{
    Q_INIT_RESOURCE(skin);
}

namespace {

const auto kSkinFolder = u":/skin"_s;

SkinDescription readStoredSkin()
{
    initSkinResources();
    QFile file(kSkinFolder + u"/skin.ini"_s);
    if (!file.open(QIODevice::ReadOnly))
        throw UserError(u"找不到皮肤描述“%1”"_s.arg(file.fileName()));
    return parseSkinDescription(file.readAll());
}

QBoxLayout* verticalLayoutOf(QWidget* window)
{
    if (!window)
        throw UserError(u"没有要换肤的窗口"_s);
    auto* layout = qobject_cast<QBoxLayout*>(window->layout());
    if (!layout || layout->direction() != QBoxLayout::TopToBottom)
        throw UserError(u"窗口“%1”没有自上而下的布局，放不下皮肤的标题栏"_s.arg(window->windowTitle()));
    return layout;
}

} // namespace

Skin::Skin(QObject* parent)
    : QObject(parent)
    , m_description(std::make_unique<const SkinDescription>(readStoredSkin()))
{}

Skin::~Skin() = default;

bool Skin::isApplied(const QWidget* window)
{
    return window && window->findChild<CaptionBar*>(QString(), Qt::FindDirectChildrenOnly);
}

// Both windows carry the same stored skin, so they share one style and read its images once.
SkinStyle* Skin::sharedStyle() const
{
    auto* style = qApp->findChild<SkinStyle*>(m_description->name, Qt::FindDirectChildrenOnly);
    if (!style) {
        style = new SkinStyle(kSkinFolder, *m_description);
        style->setObjectName(m_description->name);
        style->setParent(qApp);
    }
    return style;
}

void Skin::applySkin(QWidget* window)
{
    QBoxLayout* layout = verticalLayoutOf(window);
    if (isApplied(window))
        return;
    SkinStyle* style = sharedStyle();

    // setWindowFlags() would drop the frameless hint again beside the title-bar button hints, which
    // stay: they tell the caption bar which buttons to draw, and the window manager what is allowed.
    window->overrideWindowFlags(window->windowFlags() | Qt::FramelessWindowHint);
    if (QWindow* handle = window->windowHandle())
        handle->setFlags(window->windowFlags());
    layout->insertWidget(0, new CaptionBar(window, *style));
    layout->setContentsMargins(SkinFrame::kWidth, SkinFrame::kWidth, SkinFrame::kWidth, SkinFrame::kWidth);
    new SkinFrame(window, *style);
    style->dress(window);
    window->adjustSize();
}
