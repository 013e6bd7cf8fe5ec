#pragma once

#include <QColor>
#include <QLabel>

// A picture or caption that acts on a left click, as the board's dice, the roll and start
// pictures, the score-card captions and the logo do.
class ClickableLabel : public QLabel {
    Q_OBJECT

public:
    // Its text, if any, is plain text (see PlainText).
    explicit ClickableLabel(QWidget *parent = nullptr);
    ClickableLabel(const QString &text, QWidget *parent);

    // Text colour normally, and text and background colours while the pointer is over it.
    void setHoverColours(const QColor &text, const QColor &hoverText, const QColor &hoverBackground);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void showHover(bool on);

    bool hoverColours_ = false;
    QColor text_;
    QColor hoverText_;
    QColor hoverBackground_;
};
