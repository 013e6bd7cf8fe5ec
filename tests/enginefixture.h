#pragma once

// A socket-free host for tests: the engine, a generator the test can steer, and an output
// that records every message (without its terminator) and the state of Timer1.

#include <QByteArray>
#include <QList>
#include <QTest>

#include <functional>
#include <utility>

#include "common/gameconstants.h"
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

    // A client in the slot that has logged in under the name, as the host's own operations
    // make one; the slots it passed on the way are freed again. What that sent is not kept.
    void connect(int slot, const QByteArray &name)
    {
        const qsizetype before = out.sent.size();
        const auto observer = std::exchange(out.observer, {});
        QList<int> passed;
        while (!engine.table().connected(slot)) {
            const int got = engine.acceptSlot();
            if (got == 0 || got == slot)
                break;
            passed.append(got);
        }
        engine.receivedlogininfo({slot, game::kVersionText, name});
        for (int other : passed)
            engine.slotClosed(other);
        out.sent.resize(before);
        out.observer = observer;
    }
    // The slot's connection closed, as the host learns it.
    void disconnect(int slot) { engine.slotClosed(slot); }
    // The next draws of the generator are these faces (the dice of a roll, in die order; a
    // turn's bonus die is drawn when the turn starts).
    void rig(const QList<int> &faces) { random.setSeed(seedForFaces(faces)); }
    // Runs the host's own play until it waits for a person (or the game is over).
    void runTimer(int limit = 100000)
    {
        while (engine.timer1Enabled() && limit-- > 0)
            engine.Timer1Timer();
    }
    const Turn &turn() const { return engine.turn(); }
    const Table &table() const { return engine.table(); }
    // The turn's dice as a text: faces in die order, "*" after a held one, "-" for one not rolled.
    QByteArray dice() const
    {
        QList<QByteArray> faces;
        for (const Die &die : turn().dice())
            faces << (die.state == Die::State::NotRolled ? QByteArray("-")
                                                         : QByteArray::number(die.face) + (die.isHeld() ? "*" : ""));
        return faces.join(' ');
    }
    // A person at the seat on turn rolls once and takes the highest open category.
    void playOwnTurn()
    {
        const int seat = turn().current();
        engine.rolldice(seat);
        engine.setscore(seat, ComputerPlayer::findany(turn().card(seat)));
    }
};

// The message word of a text ("CMD_thedice" of "CMD_thedice+2+y+...").
inline QByteArray wordOf(const QByteArray &text)
{
    const qsizetype plus = text.indexOf('+');
    return plus < 0 ? text : text.left(plus);
}
