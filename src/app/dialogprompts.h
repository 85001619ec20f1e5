// The real modal boxes: Qt's file dialogs and message boxes.
#pragma once

#include "app/userprompts.h"

#include <QPointer>
#include <QStringList>

class QMessageBox;

class DialogPrompts : public UserPrompts
{
public:
    QString askOpenFile(QWidget* parent, const QString& filter) override;
    QString askSaveFile(QWidget* parent, const QString& filter) override;
    void showMessage(QWidget* parent, const QString& text, const QString& title) override;
    bool dismissMessage(const QString& title) override;
    bool confirm(QWidget* parent, const QString& title, const QString& text, const QString& goAhead,
                 const QString& holdBack) override;
    void showError(QWidget* parent, const QString& action, const QString& reason) override;

    // "Mp3文件|*.mp3" becomes {"Mp3文件 (*.mp3)"}.
    static QStringList nameFilters(const QString& filter);

private:
    QList<QPointer<QMessageBox>> openMessages_;
};
