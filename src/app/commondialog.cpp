// A file dialog that remembers its filter and the last chosen file, as the main window's two dialogs do.
#include "app/commondialog.h"

#include "app/userprompts.h"

#include <QWidget>

CommonDialog::CommonDialog(UserPrompts& prompts, QWidget* owner)
    : QObject(owner)
    , m_prompts(prompts)
    , m_owner(owner)
{}

bool CommonDialog::showOpen()
{
    return accept(m_prompts.askOpenFile(m_owner, m_filter));
}

bool CommonDialog::showSave()
{
    return accept(m_prompts.askSaveFileAs(m_owner, m_filter, m_fileName, m_filterIndex));
}

bool CommonDialog::accept(const QString& chosen)
{
    if (chosen.isEmpty())
        return false;
    m_fileName = chosen;
    return true;
}
