// The 调整时间 dialog: how many milliseconds to move the sheet's time tags, earlier or later.
#pragma once

#include <QDialog>

#include <optional>

class QLabel;
class QPushButton;
class QSpinBox;
class Skin;

class TimeShiftDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TimeShiftDialog(QWidget* parent = nullptr);

    // Shows the dialog modal over parent; the amount chosen, or nullopt when the user cancelled.
    static std::optional<int> ask(QWidget* parent);

    // Negative: earlier.
    int milliseconds() const;

private:
    QLabel* m_prompt;
    QSpinBox* m_amount;
    QPushButton* m_okButton;
    QPushButton* m_cancelButton;
    Skin* m_skin;
};
