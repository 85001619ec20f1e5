// Answers the program's modal questions from a script and records what it showed.
#pragma once

#include "app/userprompts.h"

#include <QList>
#include <QStringList>

#include <functional>

struct ShownMessage
{
    QString title;
    QString text;
};

class ScriptedPrompts : public UserPrompts
{
public:
    // Answers for the next file dialogs, in order; an empty answer is a cancel.
    QStringList fileAnswers;
    QStringList askedFilters;
    // What each Save box proposed: the file and the type (counted from 1).
    QStringList proposedPaths;
    QList<int> proposedTypes;
    // Types the user picks in the next Save boxes, in order; with none left the proposed one stays.
    QList<int> typeAnswers;
    QList<ShownMessage> messages;
    // Called as each message is shown, for a benchmark that times it.
    std::function<void(const ShownMessage&)> onMessage;
    QList<ShownMessage> errors;
    // Answers for the next questions, in order; with none left a question is held back, as Escape does.
    QList<bool> confirmAnswers;
    QList<ShownMessage> questions;
    // Answers for the next questions of ask, in order; with none left the default goes ahead, as Enter does.
    QList<bool> askAnswers;

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

private:
    QString nextAnswer(const QString& filter);
};
