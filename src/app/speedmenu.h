// The submenu 播放速度: three rates to choose from, one of them checked, 1倍 at every start.
#pragma once

#include <QMenu>

class QActionGroup;

class SpeedMenu : public QMenu
{
    Q_OBJECT

public:
    explicit SpeedMenu(QWidget* parent = nullptr);

    // The rate of the checked item.
    double rate() const;

Q_SIGNALS:
    // The user chose this item (also when it was checked already).
    void rateChosen(double rate);

private:
    QActionGroup* m_rates;
};
