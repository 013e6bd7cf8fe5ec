// Builds the main window: the centred panel with the board, the score card, the chat and the
// phrase buttons, and the menus. Every widget carries its name as objectName so that the
// handlers find per-seat widgets by composed names.

#include "client/tchat.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QToolButton>

#include "client/chatpanel.h"
#include "client/hintmarks.h"
#include "ui/badgelabel.h"
#include "ui/clickablelabel.h"
#include "client/clienttexts.h"
#include "ui/pictures.h"
#include "rules/categories.h"
#include "ui/plaintext.h"

namespace {

// The hint line takes a row of its own between the board and the chat; the panel and the
// window grow by that row, so neither the board nor the chat gives anything up.
constexpr int kHintLineHeight = 20;
constexpr QSize kClientArea(829, 482 + kHintLineHeight);
constexpr QSize kPanel(817, 472 + kHintLineHeight);
const QRect kHintLine(1, 314, 533, kHintLineHeight);
const QColor kHintColour(0, 70, 40);
const QColor kPanelColour(204, 200, 179);
const QColor kMaroon(128, 0, 0);
const QColor kGreen(0, 128, 0);
const QColor kPhraseGreen(0, 64, 0);

// Board positions of the dice before their first roll (and at each new turn).
constexpr QPoint kDiceStart[6] = {{}, {379, 210}, {323, 250}, {395, 250}, {363, 258}, {347, 226}};
// A die's number sits on its top left corner, outside the pips.
constexpr QPoint kDieKeyOffset(-6, -6);
constexpr QSize kDieKeySize(15, 15);

// Score card: seat columns, the rows' tops per cell, and where the head's widgets sit.
constexpr int kColumnLeft[5] = {0, 91, 138, 184, 230};
constexpr int kCellTop[17] = {0, 94, 110, 126, 142, 158, 174, 246, 263, 280, 298, 315, 332, 198, 216, 353, 372};
constexpr int kGrandTotalTop = 392;
constexpr QPoint kNamePos[5] = {{}, {45, 63}, {99, 77}, {143, 63}, {184, 78}};
constexpr QPoint kEyesPos[5] = {{}, {58, 55}, {123, 74}, {167, 57}, {205, 74}};
constexpr QPoint kRollMarkerPos[4] = {{}, {45, 10}, {69, 10}, {93, 10}};
constexpr int kCaptionLeft = 8;
constexpr int kCaptionWidth = 80;
constexpr int kCellWidth = 44;
constexpr int kRowHeight = 16;

// The phrase buttons and the logo keep their place beside the bottom of the chat.
constexpr int kPhraseLeft[5] = {536, 565, 595, 624, 653};
constexpr int kPhraseTop[2] = {429 + kHintLineHeight, 449 + kHintLineHeight};

QFont arial(int points, bool bold = false)
{
    QFont font(QStringLiteral("Arial"), points);
    font.setBold(bold);
    return font;
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

QLabel *picture(QWidget *parent, const QString &name, const QPixmap &pixmap, const QRect &rect)
{
    auto *label = new ClickableLabel(parent);
    label->setObjectName(name);
    label->setGeometry(rect);
    label->setPixmap(pixmap);
    return label;
}

const QString kBoardPicture = QStringLiteral(":/images/board.png");
const QString kCardPicture = QStringLiteral(":/images/scorecard.png");
const QString kTrayPicture = QStringLiteral(":/images/tray.png");
const QString kWinnerPicture = QStringLiteral(":/images/winner.png");

QLabel *caption(QWidget *parent, const QString &name, const QString &text, const QRect &rect,
                Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *label = new ClickableLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(rect);
    label->setAlignment(alignment);
    return label;
}

} // namespace

void Tchat::buildWindow()
{
    setWindowTitle(ClientText::caption);
    setWindowIcon(Pictures::pixmap(QStringLiteral(":/images/icon.png")));
    setFont(arial(8));

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client_area"));
    client->setAutoFillBackground(true);
    QPalette white = client->palette();
    white.setColor(QPalette::Window, Qt::white);
    client->setPalette(white);
    client->setMinimumSize(kClientArea);
    setCentralWidget(client);

    // The panel keeps its size and stays in the middle however the window is resized.
    auto *panel = new QFrame(client);
    panel->setObjectName(QStringLiteral("panel_main"));
    panel->setFixedSize(kPanel);
    panel->setAutoFillBackground(true);
    QPalette panelPalette = panel->palette();
    panelPalette.setColor(QPalette::Window, kPanelColour);
    panel->setPalette(panelPalette);
    auto *centring = new QGridLayout(client);
    centring->setContentsMargins(0, 0, 0, 0);
    centring->addWidget(panel, 0, 0, Qt::AlignCenter);

    buildChat(panel)->setGeometry(1, 315 + kHintLineHeight, 533, 157);
    buildMenus();
    buildPhraseButtons(panel);
    auto *logo = picture(panel, QStringLiteral("Image4"), Pictures::pixmap(QStringLiteral(":/images/logo.png")),
                         {680, 435 + kHintLineHeight, 55, 27});
    logo->setCursor(Qt::PointingHandCursor);
    buildScorecard(panel)->setGeometry(535, 1, 281, 426);
    buildBoard(panel)->setGeometry(1, 1, 533, 312);

    QLabel *hint = PlainText::label(QString(), panel);
    hint->setObjectName(QStringLiteral("label_hint"));
    hint->setGeometry(kHintLine);
    hint->setFont(arial(10, true));
    hint->setIndent(6);
    hint->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTextColour(hint, kHintColour);
    resize(kClientArea.width(), kClientArea.height() + menuBar()->sizeHint().height());
}

QWidget *Tchat::buildBoard(QWidget *parent)
{
    auto *board = new QFrame(parent);
    board->setObjectName(QStringLiteral("panel_board"));
    const int w = 533;
    const int h = 312;
    picture(board, QStringLiteral("Image1"), Pictures::pixmap(kBoardPicture), {0, 0, w, h});
    // Held dice lie in its channel: die n at 4, 18 + 32 (n - 1) of the tray.
    picture(board, QStringLiteral("Image2"), Pictures::pixmap(kTrayPicture), {w - 58, 0, 58, 181});
    // Over the board's pictures and under everything else, the dice above all.
    auto *marks = new HintMarks(board);
    marks->setObjectName(QStringLiteral("hint_marks"));
    marks->setGeometry(0, 0, w, h);

    picture(board, QStringLiteral("image_bonusback"), Pictures::pixmap(QStringLiteral(":/images/bonusback.png")),
            {0, 0, 44, 55})
        ->hide();
    picture(board, QStringLiteral("image_bonus"), QPixmap(), {4, 4, 32, 32})->hide();

    QLabel *status = caption(board, QStringLiteral("label_status"), ClientText::welcome, {1, 295, 424, 16},
                             Qt::AlignCenter);
    status->setFont(arial(10, true));

    QLabel *roll = picture(board, QStringLiteral("image_throwdice"),
                           Pictures::pixmap(QStringLiteral(":/images/throwdice.png")), {428, 285, 99, 24});
    roll->setCursor(Qt::PointingHandCursor);
    roll->hide();
    QLabel *start = picture(board, QStringLiteral("button_start"),
                            Pictures::pixmap(QStringLiteral(":/images/startgame.png")), {428, 285, 99, 24});
    start->setCursor(Qt::PointingHandCursor);
    start->hide();

    for (int die = 1; die <= 5; ++die) {
        QLabel *d = picture(board, QStringLiteral("dice%1").arg(die),
                            Pictures::pixmap(QStringLiteral(":/images/dice/%1.png").arg(die)),
                            {kDiceStart[die], QSize(32, 32)});
        d->setProperty("Tag", die);
        d->setEnabled(false);
    }
    // Each die's number, on its top left corner in the player's turn, so that Ctrl+1..5 can
    // be told apart: the dice land in another order than their numbers. Drawn as text, it
    // stays sharp at any scale.
    for (int die = 1; die <= 5; ++die) {
        auto *key = new BadgeLabel(QString::number(die), board);
        key->setObjectName(QStringLiteral("dicekey%1").arg(die));
        key->setGeometry({kDiceStart[die] + kDieKeyOffset, kDieKeySize});
        key->setFont(arial(7, true));
        key->setBadgeColours(Qt::white, QColor(40, 40, 40), QColor(230, 230, 230));
        key->setAttribute(Qt::WA_TransparentForMouseEvents);
        key->hide();
    }
    // The banner comes last, over the dice: the last roll lies where it fell, and a die on the
    // ribbon would hide the winner's name.
    picture(board, QStringLiteral("image_winner"), Pictures::pixmap(kWinnerPicture), {104, 57, 276, 57})->hide();
    // The line of the winner sits on the banner's ribbon.
    QLabel *winner = caption(board, QStringLiteral("label_winner"), ClientText::winner, {130, 86, 224, 28},
                             Qt::AlignCenter);
    winner->setFont(arial(14, true));
    winner->hide();
    return board;
}

QWidget *Tchat::buildScorecard(QWidget *parent)
{
    auto *card = new QFrame(parent);
    card->setObjectName(QStringLiteral("panel_scorecard"));
    card->setFont(arial(10));
    picture(card, QStringLiteral("Image3"), Pictures::pixmap(kCardPicture), {0, 0, 281, 426});

    caption(card, QStringLiteral("Label17"), ClientText::rolls, {9, 12, 34, 16});
    for (int marker = 1; marker <= 3; ++marker)
        picture(card, QStringLiteral("image_rolls%1").arg(marker),
                Pictures::pixmap(QStringLiteral(":/images/rollmarker.png")), {kRollMarkerPos[marker], QSize(20, 20)})
            ->hide();
    caption(card, QStringLiteral("label_roundnum"), ClientText::roundHeading, {124, 13, 145, 16}, Qt::AlignCenter);
    QLabel *turn =
        caption(card, QStringLiteral("label_turn"), ClientText::scoreCard, {12, 34, 261, 18}, Qt::AlignCenter);
    turn->setFont(arial(10, true));

    for (int seat = 1; seat <= 4; ++seat) {
        picture(card, QStringLiteral("image_eyes%1").arg(seat), Pictures::pixmap(QStringLiteral(":/images/eyes.png")),
                {kEyesPos[seat], QSize(24, 12)})
            ->hide();
        QLabel *name = caption(card, QStringLiteral("label_playername%1").arg(seat), ClientText::waiting,
                               {kNamePos[seat], QSize(94, 16)}, Qt::AlignCenter);
        name->setProperty("Tag", seat);
        name->setToolTip(QString::fromLatin1(game::kComputerNames[seat]));
        name->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(name, &QWidget::customContextMenuRequested, this, [this, name, seat](const QPoint &pos) {
            label_playername1ContextPopup(seat);
            popup_kick->popup(name->mapToGlobal(pos));
        });
    }

    QFont captionFont = arial(10, true);
    for (int category = 1; category <= 12; ++category) {
        auto *label = static_cast<ClickableLabel *>(
            caption(card, QStringLiteral("label%1").arg(category), QString::fromLatin1(rules::categoryInfo(category).caption),
                    {kCaptionLeft, kCellTop[category], kCaptionWidth, kRowHeight}));
        label->setProperty("Tag", category);
        label->setFont(captionFont);
        // The caption lights up under the pointer to show it can be chosen.
        label->setHoverColours(kMaroon, kGreen, Qt::white);
        label->setCursor(Qt::PointingHandCursor);
    }
    const struct {
        const char *name;
        const char *text;
        int top;
    } sums[] = {{"label13", "Total", kCellTop[13]},
                {"label14", "Bonus", kCellTop[14]},
                {"label15", "Total", kCellTop[15]},
                {"label16", "Bonus", kCellTop[16]},
                {"Label22", "Total:", kGrandTotalTop}};
    for (const auto &sum : sums) {
        QLabel *label = caption(card, QString::fromLatin1(sum.name), QString::fromLatin1(sum.text),
                                {kCaptionLeft, sum.top, kCaptionWidth, kRowHeight});
        label->setFont(captionFont);
        setTextColour(label, kMaroon);
    }

    QFont valueFont = arial(10, true);
    for (int seat = 1; seat <= 4; ++seat) {
        for (int cell = 1; cell <= 16; ++cell) {
            QLabel *label = caption(card, QStringLiteral("score%1_%2").arg(seat).arg(cell), QString(),
                                    {kColumnLeft[seat], kCellTop[cell], kCellWidth, kRowHeight}, Qt::AlignCenter);
            label->setFont(valueFont);
            if (cell <= 12)
                label->setProperty("Tag", cell);
        }
        QLabel *total = caption(card, QStringLiteral("label_score%1").arg(seat), QStringLiteral("0"),
                                {kColumnLeft[seat], kGrandTotalTop, kCellWidth, kRowHeight}, Qt::AlignCenter);
        total->setFont(valueFont);
    }
    return card;
}

QWidget *Tchat::buildChat(QWidget *parent)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(QStringLiteral("panel_chat"));

    mainchat = new ChatView(panel);
    mainchat->setGeometry(0, 0, 533, 136);
    mainchat->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mainchat->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    mainchat->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    mainchat->document()->setDocumentMargin(5);
    mainchat->setFont(arial(8));
    QPalette chatPalette = mainchat->palette();
    chatPalette.setColor(QPalette::Base, kPanelColour);
    chatPalette.setColor(QPalette::Text, Qt::black);
    // The selection stays visible while the input line has the focus.
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        chatPalette.setColor(QPalette::Inactive, role, chatPalette.color(QPalette::Active, role));
    mainchat->setPalette(chatPalette);
    // Its frame turns blue while it has the keyboard focus, so a Tab into it can be seen.
    mainchat->setStyleSheet(QStringLiteral("QPlainTextEdit { border: 2px solid rgb(160, 156, 140); }"
                                           "QPlainTextEdit:focus { border: 2px solid rgb(0, 0, 255); }"));
    mainchat->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(mainchat, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopupMenu1->popup(mainchat->viewport()->mapToGlobal(pos)); });
    connect(mainchat, &ChatView::linkClicked, this, &Tchat::linkClicked);

    mychat = new ChatInput(panel);
    mychat->setGeometry(0, 136, 533, 21);
    mychat->setFont(arial(10));
    connect(mychat, &ChatInput::sendRequested, this, &Tchat::sendit);
    return panel;
}

void Tchat::buildPhraseButtons(QWidget *parent)
{
    for (int n = 1; n <= ClientCommands::kPhrases; ++n) {
        auto *button = new QToolButton(parent);
        button->setObjectName(QStringLiteral("b_phrase%1").arg(n));
        button->setGeometry(kPhraseLeft[(n - 1) % 5], kPhraseTop[(n - 1) / 5], 25, 19);
        button->setIcon(Pictures::pixmap(QStringLiteral(":/images/phrase/%1.png").arg(n)));
        button->setIconSize(QSize(25, 19));
        button->setCursor(Qt::PointingHandCursor);
        button->setAutoRaise(true);
        button->setAutoFillBackground(true);
        QPalette green = button->palette();
        green.setColor(QPalette::Button, kPhraseGreen);
        green.setColor(QPalette::Window, kPhraseGreen);
        button->setPalette(green);
        // Framed while it has the keyboard focus, so a Tab onto it can be seen.
        button->setStyleSheet(QStringLiteral("QToolButton:focus { border: 1px solid rgb(255, 215, 0); }"));
        connect(button, &QToolButton::clicked, this, [this, n] { b_phrase1Click(n); });
    }
}

void Tchat::buildMenus()
{
    auto action = [this](QMenu *menu, const char *name, const QString &text) {
        QAction *a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    auto checkable = [&](QMenu *menu, const char *name, const QString &text, bool checked) {
        QAction *a = action(menu, name, text);
        a->setCheckable(true);
        a->setChecked(checked);
        return a;
    };

    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    StartGame1 = action(file, "StartGame1", QStringLiteral("Start Game"));
    StartGame1->setEnabled(false);
    file->addSeparator();
    connect(action(file, "Exit1", QStringLiteral("Exit")), &QAction::triggered, this, &QWidget::close);

    QMenu *options = bar->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("Options1"));
    PlaySounds1 = checkable(options, "PlaySounds1", QStringLiteral("Play Sounds"), true);
    options->addSeparator();
    action(options, "TextColor1", QStringLiteral("Text Color"));
    action(options, "ActionColor1", QStringLiteral("Action Color"));
    QMenu *sizes = options->addMenu(QStringLiteral("Text Size"));
    sizes->setObjectName(QStringLiteral("TextSize1"));
    for (int size : {8, 10, 12, 14}) {
        QAction *a = checkable(sizes, QStringLiteral("N%1").arg(size).toLatin1().constData(), QString::number(size),
                               false);
        a->setProperty("Tag", size);
    }
    ScrollOff1 = checkable(options, "ScrollOff1", QStringLiteral("Scroll Chat Off"), false);
    ScrollOff1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(ScrollOff1, &QAction::triggered, this, &Tchat::ScrollChatOff1Click);
    options->addSeparator();
    JustWatch1 = checkable(options, "JustWatch1", QStringLiteral("Just Watch"), false);
    double1 = checkable(options, "double", QStringLiteral("Double Check for 0 Score"), false);
    ShowHints1 = checkable(options, "ShowHints1", QStringLiteral("Show Hints"), false);
    ShowHints1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));

    QMenu *view = bar->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("View1"));
    connect(action(view, "ViewTally1", QStringLiteral("View Tally")), &QAction::triggered, this,
            &Tchat::ViewTally1Click);
    connect(action(view, "SpyList1", QStringLiteral("Spy List")), &QAction::triggered, this, &Tchat::SpyList1Click);
    connect(action(view, "PhraseList1", QStringLiteral("Phrase List")), &QAction::triggered, this,
            &Tchat::PhraseList1Click);

    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    connect(action(help, "Help2", QStringLiteral("Help")), &QAction::triggered, this, &Tchat::Help2Click);
    connect(action(help, "About1", QStringLiteral("About")), &QAction::triggered, this, &Tchat::About1Click);

    popup_kick = new QMenu(this);
    popup_kick->setObjectName(QStringLiteral("popup_kick"));
    action(popup_kick, "RemoveFromGame1", QStringLiteral("Remove From Game"));
    action(popup_kick, "SettoJustWatch1", QStringLiteral("Set to Just Watch"));
    action(popup_kick, "UnsetJustWatch1", QStringLiteral("Unset Just Watch"));

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QAction *copy = action(PopupMenu1, "Copy1", QStringLiteral("Copy"));
    // Shown as a reminder only: the chat view handles Ctrl+C itself while it has the focus.
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &Tchat::Copy1Click);
    PopupMenu1->addSeparator();
    ScrollChatOff1 = checkable(PopupMenu1, "ScrollChatOff1", QStringLiteral("Scroll Chat Off"), false);
    ScrollChatOff1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    ScrollChatOff1->setShortcutContext(Qt::WidgetShortcut);
    connect(ScrollChatOff1, &QAction::triggered, this, &Tchat::ScrollChatOff1Click);
}
