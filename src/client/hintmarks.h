#pragma once

#include <QList>
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
    QList<QRect> dice_;
};
