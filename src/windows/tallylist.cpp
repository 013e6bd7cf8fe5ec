#include "windows/tallylist.h"

#include "ui/pictures.h"
#include "tally/sharedtally.h"
#include "tally/tallyfile.h"
#include "ui/plaintext.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QString waitingTitle() { return QStringLiteral("XX's Tally"); }
QString waitingWins() { return QStringLiteral("XX Wins:"); }

QLabel *label(const QString &objectName, const QString &text, QWidget *parent)
{
    auto *widget = PlainText::label(text, parent);
    widget->setObjectName(objectName);
    return widget;
}

QLabel *caption(const QString &text, QWidget *parent)
{
    auto *widget = PlainText::label(text, parent);
    QFont font = widget->font();
    font.setBold(true);
    widget->setFont(font);
    return widget;
}

QFrame *panel(const QString &objectName, QWidget *parent)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(objectName);
    frame->setStyleSheet(QStringLiteral("QFrame#%1 { background: rgba(255, 255, 255, 215);"
                                        " border: 1px solid #7a6a4f; border-radius: 6px; }")
                             .arg(objectName));
    return frame;
}

QListWidgetItem *checkItem(const QString &text, bool checked)
{
    auto *item = new QListWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return item;
}

} // namespace

Ttallylist::Ttallylist(QWidget *parent, const QString &path)
    : QWidget(parent, Qt::Window)
    , path_(path.isEmpty() ? TallyFile::defaultPath() : path)
    , confirm_([this](const QString &question) {
        // The question names an opponent, so it is built as plain text.
        QMessageBox *box = PlainText::messageBox(QMessageBox::Question, windowTitle(), question,
                                                 QMessageBox::Yes | QMessageBox::No, this);
        box->setDefaultButton(QMessageBox::No);
        const bool yes = box->exec() == QMessageBox::Yes;
        delete box;
        return yes;
    })
{
    setWindowTitle(QStringLiteral("Morvello - Tally List"));
    resize(470, 360);
}

void Ttallylist::loadtallyfile()
{
    if (loaded_)
        return;
    loaded_ = true;
    TallyFile::Loaded loaded = SharedTally::load(doit, path_);
    canSave_ = loaded.canSave;
    if (loaded.found) {
        stringgrid_scores = std::move(loaded.table);
        stringgrid_scores.resetSession();
    }
    if (!loaded.problem.isEmpty())
        report(loaded.problem);
}

Ttallylist::~Ttallylist()
{
    // Nobody is left to read a report at the end of the run.
    canReport_ = false;
    if (loaded_)
        save();
}

void Ttallylist::setVisible(bool visible)
{
    if (visible)
        buildContents();
    QWidget::setVisible(visible);
}

QListWidget *Ttallylist::checklist()
{
    buildContents();
    return checklist_;
}

void Ttallylist::buildContents()
{
    if (built_)
        return;
    loadtallyfile();
    built_ = true;
    buildWindow();
    loadtally();
    if (!problem_.isEmpty()) {
        label_message->setText(problem_);
        label_message->show();
    }
}

void Ttallylist::buildWindow()
{
    setFont(QFont(QStringLiteral("Liberation Sans"), 10));

    const QPixmap background = Pictures::pixmap(QStringLiteral(":/images/background.png"));
    QPalette colours = palette();
    if (background.isNull())
        colours.setColor(QPalette::Window, QColor(0x2f, 0x5d, 0x3a));
    else
        colours.setBrush(QPalette::Window, QBrush(background));
    setPalette(colours);
    setAutoFillBackground(true);

    // Left: the two lists.
    QFrame *lists = panel(QStringLiteral("panel_lists"), this);
    auto *listsLayout = new QVBoxLayout(lists);
    listsLayout->addWidget(caption(QStringLiteral("Players Being Tallied"), lists));
    listbox_tally = new QListWidget(lists);
    listbox_tally->setObjectName(QStringLiteral("listbox_tally"));
    listsLayout->addWidget(listbox_tally, 3);
    listsLayout->addWidget(caption(QStringLiteral("Players In Current Game"), lists));
    checklist_ = new QListWidget(lists);
    checklist_->setObjectName(QStringLiteral("checklist"));
    listsLayout->addWidget(checklist_, 2);
    for (QListWidget *list : {listbox_tally, checklist_})
        list->setMinimumWidth(170);

    // Right, top: the local player's own totals.
    QFrame *mine = panel(QStringLiteral("panel_mytally"), this);
    auto *mineLayout = new QGridLayout(mine);
    mineLayout->addWidget(caption(QStringLiteral("Your Total Tally"), mine), 0, 0, 1, 2, Qt::AlignHCenter);
    const QString ownCaptions[] = {QString(), QStringLiteral("Total Games:"),
                                   QStringLiteral("Your Wins"), QStringLiteral("5 Kind")};
    for (int column = TallyTable::kGames; column <= TallyTable::kFiveKind; ++column) {
        mineLayout->addWidget(PlainText::label(ownCaptions[column], mine), column, 0);
        mylabel_[column] = label(QStringLiteral("mylabel_%1").arg(column), QStringLiteral("0"), mine);
        mylabel_[column]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        mineLayout->addWidget(mylabel_[column], column, 1);
    }

    // Right, below: the opponent selected in "Players Being Tallied".
    QFrame *his = panel(QStringLiteral("panel_histally"), this);
    auto *hisLayout = new QGridLayout(his);
    label_hisnametop = label(QStringLiteral("label_hisnametop"), waitingTitle(), his);
    QFont bold = label_hisnametop->font();
    bold.setBold(true);
    label_hisnametop->setFont(bold);
    hisLayout->addWidget(label_hisnametop, 0, 0, 1, 3, Qt::AlignHCenter);
    hisLayout->addWidget(caption(QStringLiteral("Total"), his), 1, 1, Qt::AlignRight);
    hisLayout->addWidget(caption(QStringLiteral("Session"), his), 1, 2, Qt::AlignRight);
    label_hisname = label(QStringLiteral("label_hisname"), waitingWins(), his);
    QLabel *rowCaptions[] = {PlainText::label(QStringLiteral("Number of Games"), his), label_hisname,
                             PlainText::label(QStringLiteral("Your Wins:"), his),
                             PlainText::label(QStringLiteral("Neither Won:"), his)};
    for (int line = 0; line < 4; ++line) {
        hisLayout->addWidget(rowCaptions[line], line + 2, 0);
        for (const int column : {line + 1, line + 1 + TallyTable::kSession}) {
            label_[column] = label(QStringLiteral("label_%1").arg(column), QStringLiteral("0"), his);
            label_[column]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            label_[column]->setMinimumWidth(50);
            hisLayout->addWidget(label_[column], line + 2, column <= TallyTable::kSession ? 1 : 2);
        }
    }
    hisLayout->setColumnStretch(0, 1);

    auto *right = new QVBoxLayout;
    right->addWidget(mine);
    right->addWidget(his);
    right->addStretch();

    auto *top = new QHBoxLayout;
    top->addWidget(lists, 1);
    top->addLayout(right);

    label_message = PlainText::label(QString(), this);
    label_message->setObjectName(QStringLiteral("label_message"));
    label_message->setWordWrap(true);
    label_message->setStyleSheet(QStringLiteral("QLabel { background: #fff4f0; color: #a01010;"
                                                " border: 1px solid #a01010; padding: 3px; }"));
    label_message->hide();

    FlatButton1 = new QPushButton(QStringLiteral("Ok"), this);
    FlatButton1->setObjectName(QStringLiteral("FlatButton1"));
    FlatButton1->setMinimumWidth(90);
    FlatButton1->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(FlatButton1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->addLayout(top, 1);
    layout->addWidget(label_message);
    layout->addLayout(buttons);

    connect(FlatButton1, &QPushButton::clicked, this, &Ttallylist::FlatButton1Click);
    connect(checklist_, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        if (!filling_)
            checklistClickCheck(item);
    });
    connect(listbox_tally, &QListWidget::currentRowChanged, this, &Ttallylist::listbox_tallyClick);
    connect(listbox_tally, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        // Handled once the list has finished with the click, since a Yes removes the item.
        if (!filling_ && item->checkState() == Qt::Unchecked)
            QTimer::singleShot(0, this, [this, item] { listbox_tallyClickCheck(item); });
    });
}

void Ttallylist::loadtally()
{
    showOwnTotals();
    filling_ = true;
    listbox_tally->clear();
    shownNames_.clear();
    filling_ = false;
    for (int row = 1; row < stringgrid_scores.rowCount(); ++row)
        addTallyItem(stringgrid_scores.cell(TallyTable::kName, row));
}

void Ttallylist::showTable()
{
    if (!built_)
        return;
    QStringList names;
    for (int row = 1; row < stringgrid_scores.rowCount(); ++row)
        names.append(stringgrid_scores.cell(TallyTable::kName, row));
    if (names != shownNames_) {
        // Another copy added or deleted an opponent: the list follows, keeping the selection.
        const QString selected = shownNames_.value(listbox_tally->currentRow());
        loadtally();
        listbox_tally->setCurrentRow(stringgrid_scores.find(selected) - 1);
        filling_ = true;
        for (int i = 0; i < checklist_->count(); ++i)
            checklist_->item(i)->setCheckState(isTallied(currentPlayers_.value(i)) ? Qt::Checked : Qt::Unchecked);
        filling_ = false;
    }
    showOwnTotals();
    listbox_tallyClick();
}

void Ttallylist::showOwnTotals()
{
    if (!built_)
        return;
    for (int column = TallyTable::kGames; column <= TallyTable::kFiveKind; ++column)
        mylabel_[column]->setText(stringgrid_scores.cell(column, 0));
}

void Ttallylist::addTallyItem(const QString &name)
{
    filling_ = true;
    listbox_tally->addItem(checkItem(name, true));
    shownNames_.append(name);
    filling_ = false;
}

void Ttallylist::addgame(const GameResult &result)
{
    setCurrentPlayers(result.opponents);
    try {
        stringgrid_scores.addgame(result);
    } catch (const TallyError &error) {
        report(error.text());
    }
    showOwnTotals();
    listbox_tallyClick();
    save();
}

void Ttallylist::addtomine(int column)
{
    loadtallyfile();
    try {
        stringgrid_scores.addtomine(column);
    } catch (const TallyError &error) {
        report(error.text());
    }
    if (built_ && column >= TallyTable::kGames && column <= TallyTable::kFiveKind)
        mylabel_[column]->setText(stringgrid_scores.cell(column, 0));
    save();
}

void Ttallylist::setCurrentPlayers(const QStringList &names)
{
    buildContents();
    currentPlayers_ = names;
    filling_ = true;
    checklist_->clear();
    for (const QString &name : names)
        checklist_->addItem(checkItem(name, isTallied(name)));
    filling_ = false;
}

const TallyTable &Ttallylist::table()
{
    loadtallyfile();
    return stringgrid_scores;
}

QString Ttallylist::problem()
{
    loadtallyfile();
    return problem_;
}

bool Ttallylist::isTallied(const QString &name)
{
    loadtallyfile();
    return stringgrid_scores.find(name) >= 0;
}

void Ttallylist::checklistClickCheck(QListWidgetItem *item)
{
    // Taking the mark off a player does not end his tally, and must not start one.
    const int row = checklist_->row(item);
    if (item->checkState() != Qt::Checked || row < 0 || row >= currentPlayers_.size())
        return;
    const QString &name = currentPlayers_.at(row);
    if (stringgrid_scores.tally(name) < 0)
        return;
    addTallyItem(name);
    save();
}

void Ttallylist::listbox_tallyClick()
{
    const int row = listbox_tally->currentRow() + 1;
    if (row < 1 || row >= stringgrid_scores.rowCount()) {
        label_hisnametop->setText(waitingTitle());
        label_hisname->setText(waitingWins());
        for (int column = 1; column < TallyTable::kColumns; ++column)
            label_[column]->setText(QStringLiteral("0"));
        return;
    }
    for (int column = 1; column < TallyTable::kColumns; ++column)
        label_[column]->setText(stringgrid_scores.cell(column, row));
    const QString name = stringgrid_scores.cell(TallyTable::kName, row);
    label_hisname->setText(name + QStringLiteral(" Wins:"));
    label_hisnametop->setText(name + QStringLiteral("'s Tally"));
}

void Ttallylist::listbox_tallyClickCheck(QListWidgetItem *item)
{
    // Item i of the list is row i + 1 of the table, always. The item may have gone since the
    // click, so it is only compared, never asked.
    int index = -1;
    for (int i = 0; i < listbox_tally->count(); ++i) {
        if (listbox_tally->item(i) == item)
            index = i;
    }
    if (index < 0 || index + 1 >= stringgrid_scores.rowCount() || item->checkState() != Qt::Unchecked)
        return;
    const QString name = stringgrid_scores.cell(TallyTable::kName, index + 1);
    if (!confirm_(QStringLiteral("This will delete ") + name
                  + QStringLiteral("'s Tally, Are you want to delete it?"))) {
        filling_ = true;
        item->setCheckState(Qt::Checked);
        filling_ = false;
        return;
    }
    stringgrid_scores.moverow(index + 1);
    delete listbox_tally->takeItem(index);
    shownNames_.removeAt(index);
    // The mark in "Players In Current Game" would otherwise claim a tally that is gone.
    filling_ = true;
    for (int i = 0; i < checklist_->count(); ++i) {
        if (!isTallied(currentPlayers_.value(i)))
            checklist_->item(i)->setCheckState(Qt::Unchecked);
    }
    filling_ = false;
    listbox_tallyClick();
    save();
}

void Ttallylist::FlatButton1Click()
{
    hide();
}

void Ttallylist::save()
{
    if (!canSave_)
        return;
    SharedTally::Saved saved = SharedTally::save(doit, stringgrid_scores, path_);
    canSave_ = saved.canSave;
    if (saved.written) {
        stringgrid_scores = std::move(saved.table);
        showTable();
    }
    // Saving follows every game: the same failure is reported once.
    if (!saved.problem.isEmpty() && canReport_ && problem_ != saved.problem)
        report(saved.problem);
}

void Ttallylist::report(const QString &text)
{
    problem_ = text;
    if (built_) {
        label_message->setText(text);
        label_message->show();
    }
    emit problemReported(text);
}
