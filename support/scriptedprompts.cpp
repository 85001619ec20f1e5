// Answers the program's modal questions from a script and records what it showed.
#include "support/scriptedprompts.h"

QString ScriptedPrompts::nextAnswer(const QString& filter)
{
    askedFilters << filter;
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString ScriptedPrompts::askOpenFile(QWidget*, const QString& filter)
{
    return nextAnswer(filter);
}

QString ScriptedPrompts::askSaveFile(QWidget*, const QString& filter)
{
    return nextAnswer(filter);
}

QString ScriptedPrompts::askSaveFileAs(QWidget*, const QString& filter, const QString& proposedPath, int& filterIndex)
{
    proposedPaths << proposedPath;
    proposedTypes << filterIndex;
    const QString answer = nextAnswer(filter);
    if (!answer.isEmpty() && !typeAnswers.isEmpty())
        filterIndex = typeAnswers.takeFirst();
    return answer;
}

void ScriptedPrompts::showMessage(QWidget*, const QString& text, const QString& title)
{
    messages.append({title, text});
    if (onMessage)
        onMessage(messages.constLast());
}

bool ScriptedPrompts::dismissMessage(const QString&)
{
    return false;
}

bool ScriptedPrompts::confirm(QWidget*, const QString& title, const QString& text, const QString&, const QString&)
{
    questions.append({title, text});
    return !confirmAnswers.isEmpty() && confirmAnswers.takeFirst();
}

bool ScriptedPrompts::ask(QWidget*, const QString& title, const QString& text, const QString&, const QString&)
{
    questions.append({title, text});
    return askAnswers.isEmpty() || askAnswers.takeFirst();
}

void ScriptedPrompts::showError(QWidget*, const QString& action, const QString& reason)
{
    errors.append({action, reason});
}

bool ScriptedPrompts::dismissError(const QString&)
{
    return false;
}
