// Cost of one chat line in the chat view as it fills: the view keeps its newest 5,000 lines, so
// a line late in a long session should cost what one early in it does. Offscreen, one window.

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "client/tchat.h"

namespace {

// Median microseconds of adding each of `count` lines.
double medianMicros(Tchat &chat, int count, int &serial)
{
    std::vector<double> times;
    times.reserve(std::size_t(count));
    QElapsedTimer clock;
    for (int n = 0; n < count; ++n) {
        const QString line = QStringLiteral("Player%1 chats: line %2 of a long and busy evening at the table")
                                 .arg(serial % 9)
                                 .arg(serial);
        ++serial;
        clock.start();
        chat.addlinetochat(line, QColor(0, 0, 128));
        QApplication::processEvents();  // the repaint belongs to the line's cost
        times.push_back(double(clock.nsecsElapsed()) / 1000.0);
    }
    std::nth_element(times.begin(), times.begin() + count / 2, times.end());
    return times[std::size_t(count / 2)];
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("MORVELLO_PORT", "1");
    QApplication app(argc, argv);
    Tchat chat;
    chat.show();
    QApplication::processEvents();

    int serial = 0;
    const int sample = 200;
    std::printf("chat view: median cost of one line, %d lines a sample\n", sample);
    const int marks[] = {0, 1000, 4800, 10000, 20000};
    for (int mark : marks) {
        while (serial < mark)
            chat.addlinetochat(QStringLiteral("filler line %1").arg(serial++), Qt::black);
        QApplication::processEvents();
        const double micros = medianMicros(chat, sample, serial);
        const int lines = chat.findChild<QPlainTextEdit *>(QStringLiteral("mainchat"))->document()->blockCount();
        std::printf("  after %6d lines (%4d kept): %8.1f us\n", mark, lines, micros);
    }
    return 0;
}
