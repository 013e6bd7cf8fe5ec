#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

#include "tally/lzrw1error.h"
#include "common/gameconstants.h"

// A counter that is not a number, or a dump that cannot be read.
class TallyError : public TextError {
public:
    using TextError::TextError;
};

// A finished game as the tally records it: who won, and against whom.
struct GameResult {
    enum class Winner { Me, Others };
    Winner winner = Winner::Others;
    // The winner's name, or the names of several winners joined by " and ".
    QString winnerText;
    // The other players at the table, in seat order.
    QStringList opponents;
};

// The tally counters as texts: 9 columns; row 0 the local player's own totals, then one row per
// tallied opponent. Every counter is a decimal number in text form.
class TallyTable {
public:
    static constexpr int kColumns = 9;
    // Row 0.
    static constexpr int kGames = 1;
    static constexpr int kWins = 2;
    static constexpr int kFiveKind = 3;
    // Opponent rows: column 0 the name, then the all-time counters, then the same four for this
    // run at kSession columns further on.
    static constexpr int kName = 0;
    static constexpr int kTogether = 1;
    static constexpr int kHisWins = 2;
    static constexpr int kMyWins = 3;
    static constexpr int kNeitherWon = 4;
    static constexpr int kSession = 4;
    // Row 0 and one row per tallied opponent: more than any player tallies, and what a dump
    // may claim before it is taken for damage rather than a table to build.
    static constexpr int kMaxRows = 65536;

    static QString waiting() { return QString::fromLatin1(game::kWaiting); }

    TallyTable();

    int rowCount() const { return int(rows_.size()); }
    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString &text);

    // Adds 1 to a counter and returns the new value; an empty counter counts as 0.
    // Throws TallyError, changing nothing, when the counter is not a number.
    qint64 addit(int column, int row);
    qint64 addtomine(int column) { return addit(column, 0); }

    // Removes an opponent's row, moving the later ones up; row 0 always stays.
    void moverow(int row);

    // The row of a tallied name, ignoring letter case (the first one), or -1.
    int find(const QString &name) const;
    // Appends a row for a name not yet tallied, all counters "0"; returns it, or -1 when tallied
    // (or the table has kMaxRows rows, which the file could not give back).
    int tally(const QString &name);

    // A session is one run of the program: its counters start at 0 when the tally is read.
    void resetSession();

    // Records one finished game. Only the tallied opponents among its opponents are counted, and
    // an opponent won only when the winner text is his stored name exactly (a shared win is
    // nobody's). A row holding a counter that is not a number is left alone, the others are
    // counted, and then TallyError is thrown.
    void addgame(const GameResult &result);

    // The text dump: the column count, the row count, then every cell column by column, each
    // line ended by CR LF, in 8-bit text.
    QByteArray dump() const;
    // Reads a dump (lines ended by CR LF or LF alone) into a 9-column table; a line missing at
    // the end reads as an empty cell. Throws TallyError when a count is not a number, cannot
    // fit the text or claims more than kMaxRows rows.
    static TallyTable fromDump(QByteArrayView dump);

    // The names of the other players at the table, in seat order: every seat (names of seats 1
    // to 4) except `myseat` and those still "<Waiting>".
    static QStringList opponentsAtTable(const QStringList &seatNames, int myseat);

    // One change made through addit, tally or moverow. Another copy of the game may have saved
    // the file since this table was read, so a save applies this copy's changes to the file as
    // it then stands instead of writing this table over it.
    struct Change {
        enum Kind { Counted, Tallied, Deleted };
        Kind kind = Counted;
        bool ownRow = false; // row 0, the local player's own totals
        QString name;        // the opponent's row
        int column = 0;      // the counter of Counted
    };
    // The changes since the table was made or read, or since clearChanges, in order.
    const QList<Change> &changes() const { return changes_; }
    void clearChanges() { changes_.clear(); }
    // Makes the same changes to this table, but for the Session counters, which belong to the
    // copy that counted them: a count for an opponent this table lacks adds his row, a deletion
    // of a row it lacks does nothing. Throws TallyError after applying every change it could
    // when a counter here is not a number.
    void apply(const QList<Change> &changes);

private:
    using Row = std::array<QString, kColumns>;
    static Row zeroRow();

    QList<Row> rows_;
    QList<Change> changes_;
};
