// The submenu 播放速度: three rates to choose from, one of them checked, 1倍 at every start.
#include "app/speedmenu.h"

#include <QAction>
#include <QActionGroup>

using namespace Qt::StringLiterals;

namespace {

struct RateItem
{
    const char16_t* text;
    const char* name;
    double rate;
};

// Slower only: fast lines are what the user cannot react to in time.
constexpr RateItem kRateItems[] = {
    {u"0.5倍", "speedHalf", 0.5},
    {u"0.75倍", "speedThreeQuarters", 0.75},
    {u"1倍", "speedNormal", 1.0},
};
constexpr double kStartRate = 1.0;

} // namespace

SpeedMenu::SpeedMenu(QWidget* parent)
    : QMenu(u"播放速度"_s, parent)
    , m_rates(new QActionGroup(this))
{
    setObjectName(u"播放速度"_s);
    setAccessibleName(title());
    m_rates->setExclusive(true);
    for (const RateItem& item : kRateItems) {
        QAction* action = addAction(QString::fromUtf16(item.text));
        action->setObjectName(QString::fromLatin1(item.name));
        action->setCheckable(true);
        action->setChecked(item.rate == kStartRate);
        action->setData(item.rate);
        m_rates->addAction(action);
        connect(action, &QAction::triggered, this, [this, rate = item.rate] { Q_EMIT rateChosen(rate); });
    }
}

double SpeedMenu::rate() const
{
    const QAction* checked = m_rates->checkedAction();
    return checked ? checked->data().toDouble() : kStartRate;
}
