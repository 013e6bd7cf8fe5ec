#pragma once

#include <QByteArray>
#include <QString>
#include <array>

#include "common/colortext.h"

class ClientOutput;
class GameModel;
class Preferences;

// Everything the player can ask of the host. Each command checks the conditions under which
// the window offers it, notes on the model what it changed locally, and sends its message.
// Every text leaves in the wire's single-byte form, with "ÿ" (the terminator's byte) written
// as "y", so no name, line or phrase can cut its message in two.
class ClientCommands {
public:
    static constexpr int kPhrases = 10;
    // Phrase buttons unlock on the tick after the count passes this.
    static constexpr int kPhraseLockTicks = 100;

    enum class Outcome { Ignored, Sent, AskFirst, ReleaseFirst };

    // The preferences give the colours the user writes and acts in.
    ClientCommands(GameModel &model, ClientOutput &output, const Preferences &preferences);

    // The login name, as the command line gave it; the login reply carries it.
    void setLoginName(const QString &name);
    const QByteArray &loginname() const { return loginname_; }

    // ---- chat ----
    // The input line after Enter; true when the line should be cleared.
    bool sendit(const QString &input);
    void sendChat(const QString &text);
    void sendAction(const QString &text);
    // A phrase button: ignored while the phrase lock holds or before login.
    Outcome phrase(const QString &text);
    bool phraseready() const { return phraseready_; }
    int phraseticks() const { return phraseticks_; }
    // One tick of the client's timer; counts the phrase lock down. True while it still holds.
    bool tick();

    // ---- the game ----
    void sendloginfo();
    void startgame(bool bonusGame, bool teamGame);
    Outcome rolldice();
    Outcome clickDie(int die);
    // A category chosen on the card; AskFirst when the zero-score check wants a confirmation,
    // after which confirmScore sends it.
    Outcome chooseCategory(int category, bool doubleCheck);
    void sendscore(int category);
    void toggleJustWatch();
    void setJustWatch(int seat, bool watching);

    // Text as the wire carries it.
    static QByteArray wireText(const QString &text);

private:
    void send(const QByteArray &message);

    GameModel &model_;
    ClientOutput &output_;
    const Preferences &preferences_;
    QByteArray loginname_;
    bool phraseready_ = true;
    int phraseticks_ = 0;
};
