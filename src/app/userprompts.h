// The modal questions and notices the program puts to the user, behind one seam so tests can answer them.
#pragma once

#include <QString>

class QWidget;

class UserPrompts
{
public:
    virtual ~UserPrompts() = default;

    // The filters are written as "description|pattern|description|pattern…".
    // Both return the chosen path, or an empty string when the user cancels.
    virtual QString askOpenFile(QWidget* parent, const QString& filter) = 0;
    virtual QString askSaveFile(QWidget* parent, const QString& filter) = 0;

    // The Save box with a file proposed (its folder and name; "" proposes none) and the type at
    // filterIndex (counted from 1, in the filter's order) chosen in advance. Once the user chose a
    // file, filterIndex holds the type the box was left at. Without an answer of its own, the
    // plain box above, which proposes nothing and leaves the type alone.
    virtual QString askSaveFileAs(QWidget* parent, const QString& filter, const QString& proposedPath, int& filterIndex)
    {
        Q_UNUSED(proposedPath);
        Q_UNUSED(filterIndex);
        return askSaveFile(parent, filter);
    }

    // A modal box with one OK button and no icon; returns when the user closes it.
    virtual void showMessage(QWidget* parent, const QString& text, const QString& title) = 0;

    // Closes the open box of showMessage that carries this title, if there is one.
    virtual bool dismissMessage(const QString& title) = 0;

    // Asks before something that cannot be undone. The button that holds back is the default and
    // what Escape answers; true only when the user chose the one that goes ahead.
    virtual bool confirm(QWidget* parent, const QString& title, const QString& text, const QString& goAhead,
                         const QString& holdBack)
        = 0;

    // Asks whether to go ahead with something the user most likely wants. The button that goes
    // ahead is the default (Enter), the one that holds back is what Escape answers; true when
    // the user chose to go ahead. Prompts that show no boxes take the default.
    virtual bool ask(QWidget* parent, const QString& title, const QString& text, const QString& goAhead,
                     const QString& holdBack)
    {
        Q_UNUSED(parent);
        Q_UNUSED(title);
        Q_UNUSED(text);
        Q_UNUSED(goAhead);
        Q_UNUSED(holdBack);
        return true;
    }

    // Reports a failed action: what the user tried and why it did not work.
    virtual void showError(QWidget* parent, const QString& action, const QString& reason) = 0;

    // Closes the open box of showError that reports this action, if there is one.
    virtual bool dismissError(const QString& action) = 0;
};
