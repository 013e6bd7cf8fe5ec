// The hint in the main window, offscreen: how long frames wait while the table is built on its
// worker thread with the game going on, then the time from a change of the game (a roll, a
// hold, a release, a score, a new turn) to the hint line and the outlines updated, and to the
// window painted again. The host's messages are handed to the window's model directly, as its
// connection does, so only the window's own work is timed; the turns are played by the hint.
//
// bench_hintwindow [bonus] [changes]     (default: the plain table, 3000 changes)

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#include "client/tchat.h"
#include "common/gameconstants.h"
#include "rules/scoring.h"
#include "session/gamemodel.h"
#include "session/hintadvisor.h"
#include "session/hinttables.h"
#include "session/preferences.h"

namespace {

constexpr int kFrameMs = 16;
// A change of the game every this many frames while the table is built.
constexpr int kFramesPerChange = 6;

struct Figures {
    std::vector<double> ms;
    void add(double value) { ms.push_back(value); }
    double at(double quantile)
    {
        if (ms.empty())
            return 0.0;
        std::sort(ms.begin(), ms.end());
        return ms[std::min(ms.size() - 1, std::size_t(quantile * double(ms.size())))];
    }
    double max() { return ms.empty() ? 0.0 : *std::max_element(ms.begin(), ms.end()); }
};

double msSince(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

QByteArray loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readLine().trimmed() : QByteArray("?");
}

// One seat's game as the host would report it, played by the hint where it has advice and
// by chance where it has none yet.
class Game {
public:
    Game(GameModel &model, const HintAdvisor &hints, bool bonus)
        : model_(model), hints_(hints), bonus_(bonus)
    {
    }

    void start()
    {
        send("CMD_sendlogininfo+1");
        send("CMD_newplayerinfo+1+You");
        newGame();
    }

    // The next change of the game; returns its time to the advice, in milliseconds.
    double step()
    {
        QElapsedTimer clock;
        clock.start();
        next();
        return msSince(clock);
    }

private:
    void send(const QByteArray &message) { model_.apply(message); }

    void newGame()
    {
        cells_ = rules::emptyCard();
        turn_ = 0;
        send(QByteArray("CMD_startgame+1+") + (bonus_ ? "t" : "f") + "+false");
        newTurn();
    }

    void newTurn()
    {
        ++turn_;
        rolls_ = 0;
        if (bonus_)
            send("CMD_setbonusdice+" + QByteArray::number(face()));
        send("CMD_nextplayer+1+" + QByteArray::number(turn_) + "+0+0");
        pendingHolds_.clear();
    }

    int face() { return std::uniform_int_distribution<int>(1, 6)(random_); }

    void next()
    {
        if (!pendingHolds_.empty()) {
            const int die = pendingHolds_.back();
            pendingHolds_.pop_back();
            const bool held = model_.die(die).mark == DieView::Held;
            send((held ? "CMD_unsetdice+" : "CMD_setdice+") + QByteArray::number(die));
            return;
        }
        const rules::HintChoice *best = hints_.advice().valid ? hints_.advice().best() : nullptr;
        if (rolls_ > 0 && (rolls_ == 3 || (best && best->kind == rules::HintChoice::Kind::Score))) {
            score(best ? best->category : openCategory());
            return;
        }
        if (rolls_ > 0 && !holdsArranged_) {
            // Hold what the hint keeps (or a die by chance), release what it does not.
            holdsArranged_ = true;
            for (int die = 1; die <= GameModel::kDice; ++die) {
                const bool keep = best ? hints_.keep()[std::size_t(die)] : face() > 4;
                if (keep != (model_.die(die).mark == DieView::Held))
                    pendingHolds_.push_back(die);
            }
            if (!pendingHolds_.empty()) {
                next();
                return;
            }
        }
        roll();
    }

    void roll()
    {
        ++rolls_;
        holdsArranged_ = false;
        QByteArray message = "CMD_thedice+1+" + QByteArray(rolls_ < 3 ? "y" : "n") + "+" + QByteArray::number(rolls_);
        for (int die = 1; die <= GameModel::kDice; ++die) {
            if (rolls_ == 1 || model_.die(die).mark != DieView::Held)
                message += "+" + QByteArray::number(die) + "+" + QByteArray::number(face());
        }
        send(message);
    }

    int openCategory() const
    {
        for (int category = 1; category <= rules::kCategoryCount; ++category) {
            if (cells_[std::size_t(category)] == rules::kEmptyCell)
                return category;
        }
        return 1;
    }

    void score(int category)
    {
        const rules::BonusDie bonus{bonus_, model_.bonusdie()};
        cells_[std::size_t(category)] = rules::scoreFor(model_.faces(), category, bonus);
        const int total = rules::computeTotals(cells_);
        QByteArray message = "CMD_pscore+1+" + QByteArray::number(total) + "+" + QByteArray::number(category);
        for (int cell = 1; cell <= rules::kCellCount; ++cell)
            message += "+" + QByteArray::number(cells_[std::size_t(cell)]);
        send(message);
        if (turn_ == rules::kCategoryCount) {
            send("CMD_winner+You+x");
            newGame();
        } else {
            newTurn();
        }
    }

    GameModel &model_;
    const HintAdvisor &hints_;
    bool bonus_;
    std::mt19937 random_{20240611};
    rules::ScoreCells cells_{};
    int turn_ = 0;
    int rolls_ = 0;
    bool holdsArranged_ = false;
    std::vector<int> pendingHolds_;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    qputenv("MORVELLO_DIR", QFile::encodeName(dir.path()));
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const bool bonus = arguments.contains(QStringLiteral("bonus"));
    int changes = 3000;
    for (const QString &argument : arguments) {
        if (argument.toInt() > 0)
            changes = argument.toInt();
    }
    const auto variant = bonus ? rules::HintVariant::BonusDice : rules::HintVariant::Plain;

    Tchat window;
    // One word starts nothing: the host's messages come from this program.
    window.setParameters({QStringLiteral("bench")});
    window.show();
    QCoreApplication::processEvents();
    ClientSession &session = window.session();
    session.preferences().setPlaySounds(false);
    Game game(session.model(), session.hints(), bonus);
    game.start();

    // ---- frames while the table is built, then as many with the table there ----
    std::printf("load average %s; the %s table, built with one thread\n", loadAverage().constData(),
                bonus ? "bonus dice" : "plain");
    QElapsedTimer build;
    build.start();
    session.preferences().setShowHints(true);
    double buildSeconds = 0.0;
    const auto frames = [&](const std::function<bool(int frame)> &done) {
        Figures gaps;
        Figures paints;
        Figures changesMeanwhile;
        QElapsedTimer sinceFrame;
        sinceFrame.start();
        int frame = 0;
        QEventLoop loop;
        QTimer ticks;
        ticks.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticks, &QTimer::timeout, [&] {
            gaps.add(msSince(sinceFrame));
            sinceFrame.restart();
            if (++frame % kFramesPerChange == 0)
                changesMeanwhile.add(game.step());
            // The whole window each frame, more than a change ever repaints.
            QElapsedTimer paint;
            paint.start();
            window.repaint();
            paints.add(msSince(paint));
            if (done(frame))
                loop.quit();
        });
        ticks.start(kFrameMs);
        loop.exec();
        std::printf("  %zu frames of %d ms: between frames p50 %.1f ms, p99 %.1f ms, max %.1f ms; whole-window paint"
                    " p99 %.2f ms, max %.2f ms; %zu changes of the game meanwhile, max %.2f ms\n",
                    gaps.ms.size(), kFrameMs, gaps.at(0.5), gaps.at(0.99), gaps.max(), paints.at(0.99), paints.max(),
                    changesMeanwhile.ms.size(), changesMeanwhile.max());
        return frame;
    };
    std::printf("while the table is built:\n");
    const int built = frames([&](int) {
        if (!session.hintTables().table(variant))
            return false;
        buildSeconds = double(build.elapsed()) / 1000.0;
        return true;
    });
    std::printf("  built in %.1f s\n", buildSeconds);
    std::printf("with the table there (the same game, the same frames):\n");
    frames([&](int frame) { return frame >= built; });

    // ---- from a change to the advice, then the same changes with hints off ----
    const auto play = [&](const char *title) {
        Figures toAdvice;
        Figures toPainted;
        int withAdvice = 0;
        for (int i = 0; i < changes; ++i) {
            QElapsedTimer clock;
            clock.start();
            toAdvice.add(game.step());
            // What the change left to repaint, painted as the event loop does it.
            QCoreApplication::processEvents();
            toPainted.add(msSince(clock));
            withAdvice += session.hints().line().startsWith(QStringLiteral("Hint: ")) ? 1 : 0;
        }
        std::printf("%s: %d changes (%d with advice shown): to the model and the hint updated p50 %.3f ms,"
                    " p99 %.3f ms, max %.3f ms; to the window painted p50 %.2f ms, p99 %.2f ms, max %.2f ms\n",
                    title, changes, withAdvice, toAdvice.at(0.5), toAdvice.at(0.99), toAdvice.max(),
                    toPainted.at(0.5), toPainted.at(0.99), toPainted.max());
    };
    play("hints on");
    session.preferences().setShowHints(false);
    play("hints off");
    return 0;
}
