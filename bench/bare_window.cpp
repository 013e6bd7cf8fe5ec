// The yardstick for the start-up benchmark: a bare main window that says when it first paints.

#include <QApplication>
#include <QMainWindow>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <cstdio>

namespace {

class PaintReporter : public QWidget {
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), Qt::white);
        if (!reported_) {
            reported_ = true;
            std::puts("painted");
            std::fflush(stdout);
        }
    }

private:
    bool reported_ = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new PaintReporter);
    window.resize(829, 482);
    window.show();
    return app.exec();
}
