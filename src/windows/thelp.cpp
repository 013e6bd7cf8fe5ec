#include "windows/thelp.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include "ui/background.h"
#include "windows/tabout.h"

namespace {

struct Page {
    const char *caption;
    const char *html;
};

const Page kPages[7] = {
    {nullptr, nullptr},
    {"Overview",
     "<p>Morvello is a dice game for up to four players. Each player tries to fill the twelve "
     "categories of the score card with the best hands of five dice; the highest grand total "
     "wins.</p><p>Players who join after the four seats are taken watch the game as spectators "
     "and may chat.</p>"},
    {"Connecting",
     "<p><b>Solo game:</b> start the game without anything on its command line. It runs its own "
     "host on this computer and the computer plays the other seats. No network is needed.</p>"
     "<p><b>With others:</b> one player hosts with <i>name address true</i>; the others join "
     "with <i>name hostaddress false</i>. The game uses TCP port 7772.</p>"},
    {"Game Play",
     "<p>A regular game has 12 rounds, a team game 6. In each turn you may roll up to three "
     "times. Click dice to hold them in the tray between rolls, click a held die to release it. "
     "Then click a category on the score card to score your dice there.</p>"},
    {"Scoring",
     "<p>Ones to Sixes count the dice showing that number. 4 of a Kind and 5 of a Kind, Full "
     "House, Sm Straight and Big Straight need their pattern; Freebie takes any dice.</p>"
     "<p>In a bonus dice game one face is drawn each turn, and scoring that number in its row "
     "counts double.</p>"},
    {"Documentation", "<p><b>Version 1.0.1</b></p><p>Hosting, joining, chat, phrase buttons, spectators, "
                      "team and bonus dice games, computer players and the tally of your games.</p>"},
    {"License",
     "<p>This game is provided as is, without warranty of any kind. You may use it and give "
     "away unchanged copies free of charge.</p>"},
};

} // namespace

Thelp::Thelp(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("help"));
    setWindowTitle(QStringLiteral("Morvello - Help File"));
    setFont(QFont(QStringLiteral("Arial"), 8));
    applyTiledBackground(this);

    auto *side = new QVBoxLayout;
    for (int tag = 1; tag <= 6; ++tag) {
        auto *button = new QPushButton(QString::fromLatin1(kPages[tag].caption), this);
        button->setObjectName(QStringLiteral("SelButton%1").arg(tag));
        button->setProperty("Tag", tag);
        connect(button, &QPushButton::clicked, this, [this, tag] { showPage(tag); });
        side->addWidget(button);
    }
    side->addStretch();
    auto *aboutButton = new QPushButton(QStringLiteral("About"), this);
    aboutButton->setObjectName(QStringLiteral("button_about"));
    aboutButton->setProperty("Tag", 10);
    connect(aboutButton, &QPushButton::clicked, this, [this] {
        if (about_) {
            about_->show();
            about_->raise();
        }
    });
    side->addWidget(aboutButton);
    auto *done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("button_done"));
    connect(done, &QPushButton::clicked, this, &QWidget::hide);
    side->addWidget(done);

    label_caption_ = new QLabel(this);
    label_caption_->setObjectName(QStringLiteral("label_caption"));
    label_caption_->setFont(QFont(QStringLiteral("Arial"), 14, QFont::Bold));
    pages_ = new QStackedWidget(this);
    for (int tag = 1; tag <= 6; ++tag) {
        auto *memo = new QTextBrowser(pages_);
        memo->setObjectName(QStringLiteral("memo%1").arg(tag));
        pages_->addWidget(memo);
    }
    auto *main = new QVBoxLayout;
    main->addWidget(label_caption_);
    main->addWidget(pages_);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(side);
    layout->addLayout(main, 1);
    pages_->setCurrentIndex(0);
    label_caption_->setText(QString::fromLatin1(kPages[1].caption));
    resize(520, 360);
}

void Thelp::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    showPage(pages_->currentIndex() + 1);
}

void Thelp::showPage(int tag)
{
    if (tag < 1 || tag > 6)
        return;
    // Pages are laid out when first shown rather than at start-up.
    auto *memo = static_cast<QTextBrowser *>(pages_->widget(tag - 1));
    if (memo->document()->isEmpty())
        memo->setHtml(QString::fromLatin1(kPages[tag].html));
    pages_->setCurrentIndex(tag - 1);
    label_caption_->setText(QString::fromLatin1(kPages[tag].caption));
}
