// The roster: seat names on the score card, the spy list, and the join and leave lines.

#include "client/tchat.h"

#include <QLabel>
#include <QListWidget>
#include <cstdio>

#include "client/clienttexts.h"
#include "protocol/fieldreader.h"
#include "protocol/message.h"
#include "windows/tspylist.h"

namespace {

constexpr int kMaxSlot = 9;

// A slot named by the host; anything outside 1..9 stops the message like a bad number.
int takeSlot(FieldReader &fields)
{
    const int slot = fields.takeInt();
    if (slot < 1 || slot > kMaxSlot)
        throw FieldError("slot " + std::to_string(slot) + " out of range");
    return slot;
}

QString spyEntry(int slot, const QString &name)
{
    return QStringLiteral("%1: %2").arg(slot).arg(name);
}

} // namespace

void Tchat::newplayerinfo(const QByteArray &data)
{
    FieldReader fields(data);
    const QByteArray seatText = fields.takeText();
    const QString name = fromWire(fields.rest());
    if (name.isEmpty())
        return;
    FieldReader seatField(seatText);
    const int seat = takeSlot(seatField);

    if (seat == myseat)
        addlinetochat(ClientText::youConnected, kBlue);
    else
        addlinetochat(name + ClientText::isConnected, kBlue);

    if (seat > 4) {
        if (windows_.spylist)
            windows_.spylist->listbox_spys()->addItem(spyEntry(seat, name));
        addlinetochat(seat == myseat ? ClientText::youSpying : name + ClientText::isSpying, kBlue);
    } else {
        QLabel *nameLabel = label(QStringLiteral("label_playername%1").arg(seat));
        nameLabel->setText(name);
        nameLabel->show();
        label(QStringLiteral("label_score%1").arg(seat))->show();
    }
    playsounds(QStringLiteral("entered"));
}

void Tchat::playerdisconnected(const QByteArray &data)
{
    FieldReader fields(data);
    const int seat = takeSlot(fields);
    const QString name = fromWire(fields.rest());

    if (seat <= 4) {
        QLabel *nameLabel = label(QStringLiteral("label_playername%1").arg(seat));
        addlinetochat(nameLabel->text() + ClientText::disconnected, kBlue);
        nameLabel->setText(nameLabel->toolTip());
        label(QStringLiteral("label_score%1").arg(seat))->setText(QStringLiteral("0"));
        label(QStringLiteral("image_eyes%1").arg(seat))->hide();
    }
    if (windows_.spylist) {
        QListWidget *spys = windows_.spylist->listbox_spys();
        const QList<QListWidgetItem *> found = spys->findItems(spyEntry(seat, name), Qt::MatchExactly);
        if (!found.isEmpty()) {
            addlinetochat(name + ClientText::hasLeft, kNavy);
            delete spys->takeItem(spys->row(found.first()));
        }
    }
}
