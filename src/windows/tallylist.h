#pragma once

#include "tally/lzrw1.h"
#include "tally/tallytable.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The tally window: the local player's totals and the records against the opponents the user
// chose to tally. Created hidden at start-up and kept for the whole run; the tally is read when
// the window is created, and every change is saved at once into the file as other copies of the
// game may have left it (SharedTally), after which the window shows the merged tally. The
// window's contents are built when it is first shown or first needed, which spares the start-up.
class Ttallylist : public QWidget {
    Q_OBJECT

public:
    // Asks the user a Yes/No question; true for Yes.
    using Confirmation = std::function<bool(const QString &question)>;

    // `path` is the tally file; empty for the one in the data directory.
    explicit Ttallylist(QWidget *parent = nullptr, const QString &path = QString());
    ~Ttallylist() override;

    // Records one finished game; its opponents become the players in the current game.
    void addgame(const GameResult &result);
    // Counts one more of the local player's own totals: 1 games, 2 wins, 3 fives of a kind.
    void addtomine(int column);

    // Fills "Players In Current Game" with these names, each checked when tallied.
    void setCurrentPlayers(const QStringList &names);
    QListWidget *checklist();
    // Whether a name is tallied; letter case does not count.
    bool isTallied(const QString &name);

    // Reads the tally file, once: when the tally is first needed, or when the main window
    // has started its game, so that the start-up does not wait for the file and its lock.
    void loadtallyfile();
    bool isLoaded() const { return loaded_; }
    const TallyTable &table();
    QString path() const { return path_; }
    // The last problem reported in the window (reading the tally, saving, a damaged counter);
    // empty when there was none.
    QString problem();
    void setConfirmation(Confirmation confirm) { confirm_ = std::move(confirm); }

    void setVisible(bool visible) override;

signals:
    // Sent once for every problem, so the main window can show it beside its own reports.
    void problemReported(const QString &text);

private:
    void buildContents();
    void buildWindow();
    void loadtally();
    // Brings the window up to the table after a save merged in what other copies saved.
    void showTable();
    void showOwnTotals();
    void addTallyItem(const QString &name);
    void save();
    void report(const QString &text);

    void checklistClickCheck(QListWidgetItem *item);
    void listbox_tallyClick();
    void listbox_tallyClickCheck(QListWidgetItem *item);
    void FlatButton1Click();

    TallyTable stringgrid_scores;
    Tlzrw1 doit;
    QString path_;
    bool loaded_ = false;
    bool canSave_ = true;
    bool canReport_ = true;
    bool built_ = false;
    QString problem_;
    // Set while the lists are changed from code, so that only the user's clicks count.
    bool filling_ = false;
    Confirmation confirm_;
    // The names in "Players In Current Game" and in "Players Being Tallied", row for row.
    QStringList currentPlayers_;
    QStringList shownNames_;

    QListWidget *listbox_tally = nullptr;
    QListWidget *checklist_ = nullptr;
    QLabel *mylabel_[4] = {};
    QLabel *label_[9] = {};
    QLabel *label_hisnametop = nullptr;
    QLabel *label_hisname = nullptr;
    QLabel *label_message = nullptr;
    QPushButton *FlatButton1 = nullptr;
};
