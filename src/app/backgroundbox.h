// Runs a box of this program without taking the keyboard from the application the user works in.
#pragma once

#include <QObject>

class QDialog;

// While another application is active (F9 pressed there), the box comes up as a box of a
// program in the background does: shown on top but not activated, so what the user types goes
// on into that application; the program's own windows take no clicks meanwhile, and when the
// user comes back to the program the box takes the focus. Otherwise it is an ordinary modal
// box, focused, Enter takes OK.
class BackgroundBox : public QObject
{
    Q_OBJECT
public:
    // Shows the box and returns once it is closed, as QDialog::exec does.
    static void exec(QDialog& box);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static bool inBackground(const QDialog& box);
    explicit BackgroundBox(QDialog& box);
    void takeFocusOnReturn(Qt::ApplicationState state);

    QDialog& m_box;
};
