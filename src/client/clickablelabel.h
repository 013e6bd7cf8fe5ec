#pragma once

#include <QLabel>

// A picture or caption that acts on a left click, as the board's dice, the roll and start
// pictures, the score-card captions and the logo do.
class ClickableLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
