// The real modal boxes: Qt's file dialogs and message boxes.
#include "app/dialogprompts.h"

#include "app/backgroundbox.h"
#include "app/messageboxcopy.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

QString askFile(QWidget* parent, const QString& filter, QFileDialog::AcceptMode mode, const QString& proposedPath = {},
                int* filterIndex = nullptr)
{
    QFileDialog dialog(parent, mode == QFileDialog::AcceptOpen ? u"打开"_s : u"另存为"_s);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList types = DialogPrompts::nameFilters(filter);
    dialog.setNameFilters(types);
    if (filterIndex && *filterIndex >= 1 && *filterIndex <= types.size())
        dialog.selectNameFilter(types[*filterIndex - 1]);
    if (!proposedPath.isEmpty()) {
        const QFileInfo proposed(proposedPath);
        dialog.setDirectory(proposed.absolutePath());
        dialog.selectFile(proposed.fileName());
    }
    // No default suffix: the name is used exactly as the user chose or typed it. Qt's question
    // before replacing an existing file stays: one click too many beats a lost lyrics file.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    if (filterIndex && types.contains(dialog.selectedNameFilter()))
        *filterIndex = int(types.indexOf(dialog.selectedNameFilter())) + 1;
    return dialog.selectedFiles().constFirst();
}

QString errorText(const QString& action)
{
    return u"%1失败。"_s.arg(action);
}

// A question with two buttons; Escape always holds back, Enter takes the default.
bool choose(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text, const QString& goAhead,
            QMessageBox::ButtonRole goAheadRole, const QString& holdBack, bool goAheadIsDefault)
{
    QMessageBox box(icon, title, text, QMessageBox::NoButton, parent);
    QPushButton* goAheadButton = box.addButton(goAhead, goAheadRole);
    QPushButton* holdBackButton = box.addButton(holdBack, QMessageBox::RejectRole);
    box.setDefaultButton(goAheadIsDefault ? goAheadButton : holdBackButton);
    box.setEscapeButton(holdBackButton);
    box.exec();
    return box.clickedButton() == goAheadButton;
}

} // namespace

QStringList DialogPrompts::nameFilters(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << u"%1 (%2)"_s.arg(parts[i], QString(parts[i + 1]).replace(u';', u' '));
    return filters;
}

QString DialogPrompts::askOpenFile(QWidget* parent, const QString& filter)
{
    return askFile(parent, filter, QFileDialog::AcceptOpen);
}

QString DialogPrompts::askSaveFile(QWidget* parent, const QString& filter)
{
    return askFile(parent, filter, QFileDialog::AcceptSave);
}

QString DialogPrompts::askSaveFileAs(QWidget* parent, const QString& filter, const QString& proposedPath,
                                     int& filterIndex)
{
    return askFile(parent, filter, QFileDialog::AcceptSave, proposedPath, &filterIndex);
}

void DialogPrompts::showMessage(QWidget* parent, const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    allowCopyingText(box);
    exec(box);
}

bool DialogPrompts::dismissMessage(const QString& title)
{
    return dismiss(
        [&](const QMessageBox& box) { return box.icon() == QMessageBox::NoIcon && box.windowTitle() == title; });
}

bool DialogPrompts::confirm(QWidget* parent, const QString& title, const QString& text, const QString& goAhead,
                            const QString& holdBack)
{
    return choose(parent, QMessageBox::Warning, title, text, goAhead, QMessageBox::DestructiveRole, holdBack, false);
}

bool DialogPrompts::ask(QWidget* parent, const QString& title, const QString& text, const QString& goAhead,
                        const QString& holdBack)
{
    return choose(parent, QMessageBox::Question, title, text, goAhead, QMessageBox::AcceptRole, holdBack, true);
}

void DialogPrompts::showError(QWidget* parent, const QString& action, const QString& reason)
{
    QMessageBox box(QMessageBox::Critical, u"错误"_s, errorText(action), QMessageBox::Ok, parent);
    box.setInformativeText(reason);
    // A reason often names a path or an address the user wants to copy.
    if (auto* reasonLabel = box.findChild<QLabel*>(u"qt_msgbox_informativelabel"_s))
        reasonLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    exec(box);
}

bool DialogPrompts::dismissError(const QString& action)
{
    return dismiss(
        [&](const QMessageBox& box) { return box.icon() == QMessageBox::Critical && box.text() == errorText(action); });
}

void DialogPrompts::exec(QMessageBox& box)
{
    QPointer<QMessageBox> guard(&box);
    m_openMessages.append(guard);
    BackgroundBox::exec(box);
    m_openMessages.removeAll(guard);
}

// A box already closed may still be waiting to return, under a newer one opened from inside its
// wait: only the boxes still shown count.
bool DialogPrompts::dismiss(const std::function<bool(const QMessageBox&)>& matches)
{
    bool closed = false;
    for (const QPointer<QMessageBox>& box : std::as_const(m_openMessages)) {
        if (box && box->isVisible() && matches(*box)) {
            box->done(QMessageBox::Ok);
            closed = true;
        }
    }
    return closed;
}
