// The border the skin draws round a frameless window, in the margins it leaves round the layout.
#pragma once

#include <QObject>

class QWidget;
class SkinStyle;

class SkinFrame : public QObject
{
    Q_OBJECT
public:
    // Logical pixels on each side: a dark outer rule, paper, a light inner rule.
    static constexpr int kWidth = 4;

    // Lives as long as window, whose paint, activation and show events it watches.
    SkinFrame(QWidget* window, SkinStyle& skin);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paint();

    QWidget* m_window;
    SkinStyle& m_skin;
};
