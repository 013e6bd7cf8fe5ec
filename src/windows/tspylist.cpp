#include "windows/tspylist.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/hostcontrols.h"
#include "session/spylistmodel.h"
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

    listbox_spys_ = new QListView(this);
    listbox_spys_->setEditTriggers(QAbstractItemView::NoEditTriggers);
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

void Tspylist::setModel(SpyListModel *spies)
{
    spies_ = spies;
    listbox_spys_->setModel(spies);
}

void Tspylist::setHost(HostControls *host)
{
    host_ = host;
    popup_kickhim_->setEnabled(host != nullptr);
}

int Tspylist::hoveredRow() const
{
    return hoveredRow_;
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
    const QModelIndex index = spies_ ? listbox_spys_->indexAt(viewportPos) : QModelIndex();
    const SpectatorView spy = spies_ && index.isValid() ? spies_->spy(index.row()) : SpectatorView{};
    hoveredRow_ = spy.slot ? index.row() : -1;
    listbox_spys_->setProperty("Tag", hoveredRow_);
    hoveredSlot_ = spy.slot;
    hoveredName_ = spy.name;
}

void Tspylist::popup_kickhimClick()
{
    if (!host_ || !spies_ || hoveredSlot_ == 0)
        return;
    // Only while that spy is still listed: a slot freed and taken again in the meantime
    // belongs to someone else.
    const int row = spies_->rowOfSlot(hoveredSlot_);
    if (row >= 0 && spies_->spy(row).name == hoveredName_)
        host_->disconnectsock(hoveredSlot_);
}
