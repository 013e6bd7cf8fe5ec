#include "windows/tgamestartform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include "ui/pictures.h"
#include "ui/background.h"

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
    auto *speedCaption = new QLabel(QStringLiteral("Computer Player Speed"), this);
    speedCaption->setObjectName(QStringLiteral("Label1"));
    combo_speed_ = new QComboBox(this);
    combo_speed_->setObjectName(QStringLiteral("combo_speed"));
    combo_speed_->addItems({QStringLiteral("Slow"), QStringLiteral("Fast"), QStringLiteral("Fastest")});
    combo_speed_->setCurrentIndex(1);
    auto *start = new QLabel(this);
    start->setObjectName(QStringLiteral("button_start"));
    start->setPixmap(Pictures::pixmap(QStringLiteral(":/images/startgame.png")));
    start->setCursor(Qt::PointingHandCursor);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(team_);
    layout->addWidget(bonus_);
    layout->addWidget(speedCaption);
    layout->addWidget(combo_speed_);
    layout->addWidget(start, 0, Qt::AlignHCenter);
    resize(200, 160);
}
