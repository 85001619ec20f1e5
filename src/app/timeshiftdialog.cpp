// The 调整时间 dialog: how many milliseconds to move the sheet's time tags, earlier or later.
#include "app/timeshiftdialog.h"

#include "app/windowcentring.h"
#include "app/windowicons.h"
#include "skin/skin.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// Ten minutes either way: more than any song's lateness, less than a song.
constexpr int kLimitMs = 600000;

} // namespace

TimeShiftDialog::TimeShiftDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(u"TimeShiftDialog"_s);
    setWindowTitle(u"调整时间"_s);
    setWindowIcon(aboutDialogIcon());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);

    // The skin puts its caption bar on top of the window's own top-to-bottom layout.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* client = new QWidget(this);
    client->setObjectName(u"client"_s);
    layout->addWidget(client);

    m_prompt = new QLabel(u"把时间标签提前或推后（选中几行时只改这几行）："_s, client);
    m_prompt->setObjectName(u"prompt"_s);
    m_amount = new QSpinBox(client);
    m_amount->setObjectName(u"amount"_s);
    m_amount->setRange(-kLimitMs, kLimitMs);
    m_amount->setSuffix(u" 毫秒"_s);
    m_amount->setValue(0);
    m_amount->setAccessibleName(u"调整的毫秒数（负数为提前）"_s);
    m_prompt->setBuddy(m_amount);
    m_okButton = new QPushButton(u"确定"_s, client);
    m_okButton->setObjectName(u"okButton"_s);
    m_okButton->setDefault(true);
    m_cancelButton = new QPushButton(u"取消"_s, client);
    m_cancelButton->setObjectName(u"cancelButton"_s);
    m_cancelButton->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    auto* content = new QVBoxLayout(client);
    content->addWidget(m_prompt);
    content->addWidget(m_amount);
    content->addLayout(buttons);

    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    m_skin = new Skin(this);
    m_skin->setObjectName(u"Skin1"_s);
    m_skin->applySkin(this);
    adjustSize();
    centreOnScreen(this);
    m_amount->setFocus();
    m_amount->selectAll();
}

std::optional<int> TimeShiftDialog::ask(QWidget* parent)
{
    TimeShiftDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.milliseconds();
}

int TimeShiftDialog::milliseconds() const
{
    return m_amount->value();
}
