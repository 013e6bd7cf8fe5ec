#include "windows/tgamestartform.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include "host/hostcontrols.h"
#include "ui/background.h"
#include "ui/clickablelabel.h"
#include "ui/pictures.h"
#include "ui/plaintext.h"

Tgamestartform::Tgamestartform(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("gamestartform"));
    setWindowTitle(QStringLiteral("Morvello - Start Game"));
    setFont(QFont(QStringLiteral("Arial"), 8));
    applyTiledBackground(this);

    team_ = new QCheckBox(QStringLiteral("Team Game"), this);
    team_->setObjectName(QStringLiteral("team"));
    bonus_ = new QCheckBox(QStringLiteral("Bonus Dice Game"), this);
    bonus_->setObjectName(QStringLiteral("bonus"));
    auto *speedCaption = PlainText::label(QStringLiteral("Computer Player Speed"), this);
    speedCaption->setObjectName(QStringLiteral("Label1"));
    combo_speed_ = new QComboBox(this);
    combo_speed_->setObjectName(QStringLiteral("combo_speed"));
    combo_speed_->addItems({QStringLiteral("Slow"), QStringLiteral("Fast"), QStringLiteral("Fastest")});
    combo_speed_->setCurrentIndex(1);
    connect(team_, &QCheckBox::toggled, this, [this](bool on) { options_.team = on; });
    connect(bonus_, &QCheckBox::toggled, this, [this](bool on) { options_.bonus = on; });
    connect(combo_speed_, &QComboBox::currentTextChanged, this, [this](const QString &speed) {
        options_.interval = speedInterval(speed);
    });
    auto *start = new ClickableLabel(this);
    start->setObjectName(QStringLiteral("button_start"));
    start->setPixmap(Pictures::pixmap(QStringLiteral(":/images/gamestart.png")));
    start->setCursor(Qt::PointingHandCursor);
    start->setToolTip(QStringLiteral("Start the game (Enter)"));
    connect(start, &ClickableLabel::clicked, this, &Tgamestartform::button_startClick);
    button_start_ = start;

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(team_);
    layout->addWidget(bonus_);
    layout->addWidget(speedCaption);
    layout->addWidget(combo_speed_);
    layout->addWidget(start, 0, Qt::AlignHCenter);
    resize(200, 160);
}

int Tgamestartform::speedInterval(const QString &speed)
{
    if (speed == QLatin1String("Fast"))
        return 1500;
    if (speed == QLatin1String("Fastest"))
        return 1000;
    return 2500;
}

void Tgamestartform::button_startClick()
{
    emit startRequested(options_.bonus, options_.team);
    if (host_)
        host_->setTimer1Interval(options_.interval);
    hide();
}

void Tgamestartform::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:   // the keypad's
        button_startClick();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void Tgamestartform::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit closedWithoutStart();
}
