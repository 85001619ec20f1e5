// A file dialog that remembers its filter and the last chosen file, as the main window's two dialogs do.
#include "app/commondialog.h"

#include "app/userprompts.h"

#include <QWidget>

CommonDialog::CommonDialog(UserPrompts& prompts, QWidget* owner)
    : QObject(owner)
    , prompts_(prompts)
    , owner_(owner)
{
}

bool CommonDialog::showOpen()
{
    return accept(prompts_.askOpenFile(owner_, filter_));
}

bool CommonDialog::showSave()
{
    return accept(prompts_.askSaveFile(owner_, filter_));
}

bool CommonDialog::accept(const QString& chosen)
{
    if (chosen.isEmpty())
        return false;
    fileName_ = chosen;
    return true;
}
