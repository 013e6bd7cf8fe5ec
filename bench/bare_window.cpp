// The yardstick for the start-up benchmark: a bare main window that says when it first paints.
// With --text it also draws one line of text, so the cost of the font system's start (which
// any window showing text pays before its first paint) can be told from the game's own.

#include <QApplication>
#include <QMainWindow>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <cstdio>

namespace {

class PaintReporter : public QWidget {
public:
    explicit PaintReporter(bool text) : text_(text) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        if (text_)
            painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("You are Connected."));
        if (!reported_) {
            reported_ = true;
            std::puts("painted");
            std::fflush(stdout);
        }
    }

private:
    const bool text_;
    bool reported_ = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new PaintReporter(QApplication::arguments().contains(QStringLiteral("--text"))));
    window.resize(829, 482);
    window.show();
    return app.exec();
}
