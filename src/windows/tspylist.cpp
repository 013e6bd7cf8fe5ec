#include "windows/tspylist.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/tserver.h"
#include "ui/background.h"
#include "ui/plaintext.h"

Tspylist::Tspylist(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("spylist"));
    setWindowTitle(QStringLiteral("Morvello -Spys"));
    setFont(QFont(QStringLiteral("Arial"), 8));
    applyTiledBackground(this);

    auto *heading = PlainText::label(QStringLiteral("Spy List"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSize(10);
    heading->setFont(bold);

    listbox_spys_ = new QListWidget(this);
    listbox_spys_->setObjectName(QStringLiteral("listbox_spys"));
    listbox_spys_->setContextMenuPolicy(Qt::CustomContextMenu);
    listbox_spys_->setMouseTracking(true);
    listbox_spys_->viewport()->setMouseTracking(true);
    listbox_spys_->viewport()->installEventFilter(this);
    listbox_spys_->setProperty("Tag", -1);

    popup_kick_ = new QMenu(this);
    popup_kick_->setObjectName(QStringLiteral("popup_kick"));
    popup_kickhim_ = popup_kick_->addAction(QStringLiteral("Remove From Game"));
    popup_kickhim_->setObjectName(QStringLiteral("popup_kickhim"));
    popup_kickhim_->setEnabled(false);
    connect(popup_kickhim_, &QAction::triggered, this, &Tspylist::popup_kickhimClick);
    connect(listbox_spys_, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        // Also for a menu opened from the keyboard, where no mouse move came first.
        listbox_spysMouseMove(pos);
        popup_kick_->popup(listbox_spys_->viewport()->mapToGlobal(pos));
    });

    auto *ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    connect(ok, &QPushButton::clicked, this, &QWidget::hide);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading, 0, Qt::AlignHCenter);
    layout->addWidget(listbox_spys_);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    resize(180, 220);
}

void Tspylist::setServer(TServer *server)
{
    server_ = server;
    popup_kickhim_->setEnabled(server != nullptr);
}

int Tspylist::hoveredRow() const
{
    return listbox_spys_->property("Tag").toInt();
}

bool Tspylist::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == listbox_spys_->viewport()) {
        if (event->type() == QEvent::MouseMove)
            listbox_spysMouseMove(static_cast<QMouseEvent *>(event)->position().toPoint());
        else if (event->type() == QEvent::Leave && !popup_kick_->isVisible())
            listbox_spysMouseMove(QPoint(-1, -1));
    }
    return QWidget::eventFilter(watched, event);
}

void Tspylist::listbox_spysMouseMove(const QPoint &viewportPos)
{
    const QListWidgetItem *item = listbox_spys_->itemAt(viewportPos);
    listbox_spys_->setProperty("Tag", item ? listbox_spys_->row(item) : -1);
    hoveredSlot_ = item ? item->data(Qt::UserRole).toInt() : 0;
    hoveredText_ = item ? item->text() : QString();
}

void Tspylist::popup_kickhimClick()
{
    if (!server_ || hoveredSlot_ == 0)
        return;
    // Only while that spy is still listed: a slot freed and taken again in the meantime
    // belongs to someone else.
    for (int row = 0; row < listbox_spys_->count(); ++row) {
        const QListWidgetItem *item = listbox_spys_->item(row);
        if (item->data(Qt::UserRole).toInt() == hoveredSlot_ && item->text() == hoveredText_) {
            server_->disconnectsock(hoveredSlot_);
            return;
        }
    }
}
