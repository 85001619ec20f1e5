// The real modal boxes: Qt's file dialogs and message boxes.
#pragma once

#include "app/userprompts.h"

#include <QPointer>
#include <QStringList>

#include <functional>

class QMessageBox;

class DialogPrompts : public UserPrompts
{
public:
    QString askOpenFile(QWidget* parent, const QString& filter) override;
    QString askSaveFile(QWidget* parent, const QString& filter) override;
    QString askSaveFileAs(QWidget* parent, const QString& filter, const QString& proposedPath,
                          int& filterIndex) override;
    void showMessage(QWidget* parent, const QString& text, const QString& title) override;
    bool dismissMessage(const QString& title) override;
    bool confirm(QWidget* parent, const QString& title, const QString& text, const QString& goAhead,
                 const QString& holdBack) override;
    bool ask(QWidget* parent, const QString& title, const QString& text, const QString& goAhead,
             const QString& holdBack) override;
    void showError(QWidget* parent, const QString& action, const QString& reason) override;
    bool dismissError(const QString& action) override;

    // "Mp3文件|*.mp3" becomes {"Mp3文件 (*.mp3)"}.
    static QStringList nameFilters(const QString& filter);

private:
    // Runs the box until it is closed, known meanwhile to the dismiss calls.
    void exec(QMessageBox& box);
    // Closes every open box that matches; false when there was none.
    bool dismiss(const std::function<bool(const QMessageBox&)>& matches);

    QList<QPointer<QMessageBox>> m_openMessages;
};
