// The About dialog: who made the program and how to reach them.
#include "app/dialog.h"

#include "app/twips.h"
#include "app/weblinks.h"
#include "app/windowcentring.h"
#include "app/windowicons.h"
#include "skin/skin.h"
#include "skin/skinlabel.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QStringList kLabelFontFamilies = {u"MS Sans Serif"_s, u"Noto Sans CJK SC"_s, u"WenQuanYi Micro Hei"_s};
constexpr qreal kLabelPointSize = 8.25;
const auto kAuthorName = u"星舟"_s;
const auto kContactNumber = u"00000000"_s;

SkinLabel* createLabel(const char* name, const QString& caption, QRect geometry, QWidget* parent)
{
    auto* label = new SkinLabel(caption, kLabelFontFamilies, kLabelPointSize, parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setGeometry(geometry);
    label->setWordWrap(true);
    return label;
}

} // namespace

Dialog::Dialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(u"Dialog"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(u"关于程序："_s);
    setWindowIcon(aboutDialogIcon());
    // A tool window stays out of the task bar; it has a close button and nothing else.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    client = new QWidget(this);
    client->setObjectName(u"client"_s);
    client->setFixedSize(pixelsFromTwips(4635), pixelsFromTwips(2685));
    layout->addWidget(client);

    // Back to front, so the labels are drawn over the frame.
    OKButton = new QPushButton(u"确定"_s, client);
    OKButton->setObjectName(u"OKButton"_s);
    OKButton->setGeometry(rectFromTwips(3240, 2160, 1215, 375));
    OKButton->setAutoDefault(false);
    OKButton->setDefault(false);
    Skin1 = new Skin(this);
    Skin1->setObjectName(u"Skin1"_s);
    Frame1 = new QGroupBox(u"关于程序"_s, client);
    Frame1->setObjectName(u"Frame1"_s);
    Frame1->setGeometry(rectFromTwips(360, 240, 3855, 1695));
    const QString address = makerPageUrl().toString(QUrl::RemoveScheme | QUrl::RemovePath | QUrl::RemoveQuery).mid(2);
    SkinLabel1 = createLabel("SkinLabel1", u"作者："_s + kAuthorName, rectFromTwips(600, 720, 3495, 255), client);
    SkinLabel2 = createLabel("SkinLabel2", u"联系QQ："_s + kContactNumber + u"   欢迎反馈BUG"_s,
                             rectFromTwips(600, 1200, 3255, 495), client);
    SkinLabel3 = createLabel("SkinLabel3", address + u"  欢迎关注"_s, rectFromTwips(360, 2280, 2775, 495), client);

    connect(OKButton, &QPushButton::clicked, this, &Dialog::OKButton_Click);
    OKButton->setFocus();
    adjustSize();
    Form_Load();
    // Qt drops this for tool windows; the program must run on while the dialog is open.
    setAttribute(Qt::WA_QuitOnClose, true);
}

void Dialog::Form_Load()
{
    Skin1->applySkin(this);
    centreOnScreen(this);
}

// The dialog has no cancel button, so Escape does not close it; only OK and the close button do.
void Dialog::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel))
        return;
    QDialog::keyPressEvent(event);
}

void Dialog::OKButton_Click()
{
    close();
}
