#include "windows/tspylist.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/background.h"

Tspylist::Tspylist(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("spylist"));
    setWindowTitle(QStringLiteral("Morvello -Spys"));
    setFont(QFont(QStringLiteral("Arial"), 8));
    applyTiledBackground(this);

    auto *heading = new QLabel(QStringLiteral("Spy List"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSize(10);
    heading->setFont(bold);

    listbox_spys_ = new QListWidget(this);
    listbox_spys_->setObjectName(QStringLiteral("listbox_spys"));
    listbox_spys_->setContextMenuPolicy(Qt::CustomContextMenu);

    auto *kickMenu = new QMenu(this);
    kickMenu->setObjectName(QStringLiteral("popup_kick"));
    popup_kickhim_ = kickMenu->addAction(QStringLiteral("Remove From Game"));
    popup_kickhim_->setObjectName(QStringLiteral("popup_kickhim"));
    popup_kickhim_->setEnabled(false);
    connect(listbox_spys_, &QWidget::customContextMenuRequested, this,
            [this, kickMenu](const QPoint &pos) { kickMenu->popup(listbox_spys_->viewport()->mapToGlobal(pos)); });

    auto *ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    connect(ok, &QPushButton::clicked, this, &QWidget::hide);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading, 0, Qt::AlignHCenter);
    layout->addWidget(listbox_spys_);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    resize(180, 220);
}
