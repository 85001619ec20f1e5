// The About dialog: who made the program and how to reach them.
#pragma once

#include <QDialog>

class QGroupBox;
class QPushButton;
class Skin;
class SkinLabel;

class Dialog : public QDialog
{
    Q_OBJECT
public:
    // Loading the dialog: it is built, skinned and centred; closing it unloads it again.
    explicit Dialog(QWidget* parent = nullptr);

    QWidget* client;
    SkinLabel* SkinLabel3;
    SkinLabel* SkinLabel2;
    SkinLabel* SkinLabel1;
    QGroupBox* Frame1;
    Skin* Skin1;
    QPushButton* OKButton;

public Q_SLOTS:
    void Form_Load();
    void OKButton_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
