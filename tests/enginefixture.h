#pragma once

// A socket-free host for tests: the engine, a generator the test can steer, and an output
// that records every message (without its terminator) and the state of Timer1.

#include <QByteArray>
#include <QList>
#include <QTest>

#include <functional>
#include <utility>

#include "host/hostengine.h"
#include "protocol/message.h"
#include "rules/dicerandom.h"

struct SentMessage {
    int slot;
    QByteArray text;  // without its terminator
    bool operator==(const SentMessage &other) const = default;
};

Q_DECLARE_METATYPE(SentMessage)

namespace QTest {
template <>
inline char *toString(const SentMessage &sent)
{
    return QTest::toString(QByteArray::number(sent.slot) + " <- " + sent.text);
}
} // namespace QTest

class RecordingOutput : public HostOutput {
public:
    void sendToSlot(int slot, const QByteArray &message) override
    {
        // Every message leaves whole, with exactly one terminator at its end.
        if (message.isEmpty() || message.back() != kTerminator || message.count(kTerminator) != 1)
            badFraming = true;
        sent.append({slot, message.chopped(1)});
        if (observer)
            observer(slot, sent.back().text);
    }
    void setTimer1Enabled(bool enabled) override { timer = enabled; }

    // The messages one slot received, in order.
    QList<QByteArray> to(int slot) const
    {
        QList<QByteArray> texts;
        for (const SentMessage &m : sent) {
            if (m.slot == slot)
                texts.append(m.text);
        }
        return texts;
    }
    // The slots that received a message, in order.
    QList<int> receiversOf(const QByteArray &text) const
    {
        QList<int> receivers;
        for (const SentMessage &m : sent) {
            if (m.text == text)
                receivers.append(m.slot);
        }
        return receivers;
    }
    void clear() { sent.clear(); }
    QList<SentMessage> take() { return std::exchange(sent, {}); }

    QList<SentMessage> sent;
    bool timer = false;
    bool badFraming = false;
    std::function<void(int, const QByteArray &)> observer;
};

// A seed from which the generator's next draws are the given faces, found by search, so a
// test can lay out the dice of its next roll.
inline quint32 seedForFaces(const QList<int> &faces)
{
    for (quint32 seed = 0;; ++seed) {
        DiceRandom probe(seed);
        bool match = true;
        for (int face : faces) {
            if (probe.face() != face) {
                match = false;
                break;
            }
        }
        if (match)
            return seed;
    }
}

struct EngineFixture {
    RecordingOutput out;
    DiceRandom random{12345};
    HostEngine engine{out, random};

    // A client in the slot that has logged in under the name.
    void connect(int slot, const QByteArray &name)
    {
        engine.players[std::size_t(slot)].connected = true;
        engine.players[std::size_t(slot)].loggedin = true;
        engine.players[std::size_t(slot)].name = name;
        engine.numslots = std::max(engine.numslots, slot);
    }
    void disconnect(int slot)
    {
        engine.players[std::size_t(slot)].connected = false;
        engine.players[std::size_t(slot)].loggedin = false;
        engine.players[std::size_t(slot)].name.clear();
        engine.players[std::size_t(slot)].away = false;
    }
    // The next roll shows these faces on the dice it rolls, in die order.
    void rig(const QList<int> &faces) { random.setSeed(seedForFaces(faces)); }
    // Runs the host's own play until it waits for a person (or the game is over).
    void runTimer(int limit = 100000)
    {
        while (engine.timer1Enabled() && limit-- > 0)
            engine.Timer1Timer();
    }
    // A turn in the middle of a game, laid out directly: the seat has the turn and the dice
    // lie as given (0 = held), with `held` the held faces.
    void layOut(int seat, int rolls, std::array<int, 5> free, std::array<int, 5> held)
    {
        engine.gamestarted = true;
        engine.currentplayer = seat;
        engine.rolls = rolls;
        for (int i = 1; i <= 5; ++i) {
            engine.dice[std::size_t(i)] = free[std::size_t(i - 1)];
            engine.helddice[std::size_t(i)] = held[std::size_t(i - 1)];
        }
    }
    void clearCards()
    {
        for (int seat = 1; seat <= 4; ++seat) {
            engine.players[std::size_t(seat)].scores = rules::emptyCard();
            engine.players[std::size_t(seat)].total = 0;
        }
    }
};

// The message word of a text ("CMD_thedice" of "CMD_thedice+2+y+...").
inline QByteArray wordOf(const QByteArray &text)
{
    const qsizetype plus = text.indexOf('+');
    return plus < 0 ? text : text.left(plus);
}
