#pragma once

// A client without widgets or sockets: the model, the commands, and an output that records
// every message the commands send (without its terminator) and every line the model shows.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include "session/clientcommands.h"
#include "session/clientconnection.h"
#include "session/gamemodel.h"
#include "session/preferences.h"
#include "protocol/message.h"

struct ClientModelFixture : ClientOutput {
    GameModel model;
    Preferences preferences{QString()};
    ClientCommands commands{model, *this, preferences};
    QList<QByteArray> sent;
    QList<QPair<QString, ColorText::Value>> lines;
    QStringList sounds;

    ClientModelFixture()
    {
        QObject::connect(&model, &GameModel::chatLine, [this](const QString &text, ColorText::Value color) {
            lines.append({text, color});
        });
        QObject::connect(&model, &GameModel::sound, [this](const QString &name) { sounds.append(name); });
        QObject::connect(&model, &GameModel::loginAsked, [this] { commands.sendloginfo(); });
    }

    void sendToHost(const QByteArray &message) override { sent.append(message.chopped(1)); }

    // Messages written as text, one per entry; '#' stands for the terminator inside a text.
    void deliver(const QStringList &messages)
    {
        for (const QString &message : messages) {
            QByteArray bytes = message.toLatin1();
            bytes.replace('#', kTerminator);
            model.apply(bytes);
        }
    }
    void deliver(const QString &message) { deliver(QStringList{message}); }

    // Logged in as a slot with the others seated: names[0] is seat 1, and so on.
    void login(int slot, const QStringList &names = {})
    {
        commands.setLoginName(QStringLiteral("Me"));
        deliver(QStringLiteral("CMD_sendlogininfo+%1").arg(slot));
        for (int seat = 1; seat <= names.size(); ++seat)
            deliver(QStringLiteral("CMD_newplayerinfo+%1+%2").arg(seat).arg(names[seat - 1]));
        sent.clear();
        lines.clear();
        sounds.clear();
    }

    QString lastLine() const { return lines.isEmpty() ? QString() : lines.last().first; }
};
