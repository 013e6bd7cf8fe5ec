#pragma once

#include <QList>
#include <QPixmap>
#include <QRect>
#include <QWidget>

// The soft outline around the dice the hint keeps. It lies over the board's pictures and under
// the dice, lets every click through, and is drawn, not a picture, so it stays crisp at any
// screen scale.
class HintMarks : public QWidget {
    Q_OBJECT

public:
    explicit HintMarks(QWidget *parent = nullptr);

    // The dice to outline, in this widget's coordinates.
    void setDice(const QList<QRect> &dice);
    const QList<QRect> &dice() const { return dice_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // One die's glow, drawn once at the screen's pixel ratio so that it is as sharp as a
    // drawing, and stamped wherever a die is kept: every repaint of the board passes here.
    const QPixmap &glow();

    QList<QRect> dice_;
    QPixmap glow_;
};
