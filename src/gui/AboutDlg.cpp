#include "gui/AboutDlg.h"

#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace zadaravod {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutDlg"));
    setWindowTitle(tr("О программе"));
    auto* layout = new QGridLayout(this);

    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/zadaravod.svg")).pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);
    layout->addWidget(icon, 0, 0, 3, 1);

    auto* title = new QLabel(tr("KD-7731 редактор образов v.1.0"), this);
    title->setObjectName(QStringLiteral("aboutTitle"));
    layout->addWidget(title, 0, 1);
    auto* version = new QLabel(QStringLiteral("LARK40 ZadarAvod V1.6e for Linux"), this);
    version->setObjectName(QStringLiteral("aboutVersion"));
    layout->addWidget(version, 1, 1);
    auto* link = new QLabel(
        QStringLiteral("<a href=\"home\">ZadarAvod developers</a> · GPL-3.0-or-later"), this);
    link->setObjectName(QStringLiteral("control_1097"));
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link->setCursor(Qt::PointingHandCursor);
    connect(link, &QLabel::linkActivated, this, [this] { emit linkActivated(); });
    layout->addWidget(link, 2, 1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, 2, Qt::AlignTop);
    setFixedSize(sizeHint());
}

}  // namespace zadaravod
