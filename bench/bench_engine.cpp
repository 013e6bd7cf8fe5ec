// Complete computer-only games through the host engine, without sockets or timers, with
// every message built as it would be sent to four connected slots.

#include <QElapsedTimer>

#include <cstdio>
#include <ctime>

#include "common/gameconstants.h"
#include "host/hostengine.h"
#include "rules/dicerandom.h"

namespace {

class SinkOutput : public HostOutput {
public:
    void sendToSlot(int, const QByteArray &message) override
    {
        ++messages;
        bytes += quint64(message.size());
    }
    void setTimer1Enabled(bool) override {}

    quint64 messages = 0;
    quint64 bytes = 0;
};

const wire::StartRequest kStarts[4] = {{1, "f", "false"}, {1, "t", "false"}, {1, "f", "true"}, {1, "t", "true"}};

// One game: the four seats are taken and handed to the host, which then plays them all.
void playGame(HostEngine &engine, int variant)
{
    engine.startgame(kStarts[variant]);
    for (int seat = 1; seat <= 4; ++seat)
        engine.justwatch({seat, wire::WatchRequest::Watch});
    while (engine.timer1Enabled())
        engine.Timer1Timer();
}

// Seconds of processor time this process has used; on a machine shared with other work
// this measures the engine rather than the machine's load.
double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

} // namespace

int main()
{
    SinkOutput sink;
    DiceRandom random(20240601);
    HostEngine engine(sink, random);
    for (int slot = 1; slot <= 4; ++slot) {
        engine.acceptSlot();
        engine.receivedlogininfo({slot, game::kVersionText, "Player" + QByteArray::number(slot)});
    }

    for (int i = 0; i < 2000; ++i) // warm-up
        playGame(engine, i % 4);

    sink.messages = 0;
    sink.bytes = 0;
    QElapsedTimer clock;
    clock.start();
    const double cpuStart = cpuSeconds();
    qint64 games = 0;
    while (cpuSeconds() - cpuStart < 2.0 || games < 10000) {
        for (int i = 0; i < 1000; ++i)
            playGame(engine, int(games++ % 4));
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    const double cpu = cpuSeconds() - cpuStart;

    std::printf("bench_engine: complete computer-only games through the host engine\n");
    std::printf("  setup: four connected slots, every seat handed to the host (just watching);\n"
                "         games cycle normal, bonus dice, team, team + bonus dice; no sockets, no timers\n");
    std::printf("  games:             %lld in %.2f s of processor time (%.2f s on the clock)\n",
                static_cast<long long>(games), cpu, seconds);
    std::printf("  games per second:  %.0f of processor time (%.0f on the clock)\n", double(games) / cpu,
                double(games) / seconds);
    std::printf("  messages per game: %.1f (to all four slots), %.0f bytes\n", double(sink.messages) / double(games),
                double(sink.bytes) / double(games));
    return 0;
}
