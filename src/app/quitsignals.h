#pragma once

#include <functional>

class QSocketNotifier;

// A request to stop from outside the window (SIGTERM from the desktop's logout or a `kill`,
// SIGINT from a terminal, SIGHUP when the terminal goes) ends the game the way Exit does: the
// host's last words go out and the tally is saved on the way out. Nobody is there to answer a
// question, so none is asked. The signal only wakes the event loop; onRequest runs there.
class QuitSignals {
public:
    explicit QuitSignals(std::function<void()> onRequest);
    ~QuitSignals();
    QuitSignals(const QuitSignals &) = delete;
    QuitSignals &operator=(const QuitSignals &) = delete;

private:
    static void caught(int signal);

    std::function<void()> onRequest_;
    QSocketNotifier *notifier_ = nullptr;
};
