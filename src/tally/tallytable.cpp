#include "tally/tallytable.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace {

qint64 counter(const QString &text)
{
    if (text.isEmpty())
        return 0;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok)
        throw TallyError(QLatin1Char('\'') + text + QStringLiteral("' is not a valid integer value"));
    return value;
}

TallyError badCount() { return TallyError(QStringLiteral("Invalid numeric format")); }

} // namespace

TallyTable::Row TallyTable::zeroRow()
{
    Row row;
    row.fill(QStringLiteral("0"));
    return row;
}

TallyTable::TallyTable()
    : rows_{zeroRow()}
{
}

QString TallyTable::cell(int column, int row) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumns)
        return QString();
    return rows_[row][column];
}

void TallyTable::setCell(int column, int row, const QString &text)
{
    if (row >= 0 && row < rowCount() && column >= 0 && column < kColumns)
        rows_[row][column] = text;
}

qint64 TallyTable::addit(int column, int row)
{
    const qint64 value = counter(cell(column, row)) + 1;
    setCell(column, row, QString::number(value));
    if (row >= 0 && row < rowCount() && column >= 1 && column < kColumns)
        changes_.append({Change::Counted, row == 0, row == 0 ? QString() : rows_[row][kName], column});
    return value;
}

void TallyTable::moverow(int row)
{
    if (row >= 1 && row < rowCount()) {
        changes_.append({Change::Deleted, false, rows_[row][kName], 0});
        rows_.removeAt(row);
    }
}

int TallyTable::find(const QString &name) const
{
    for (int row = 1; row < rowCount(); ++row) {
        if (rows_[row][kName].compare(name, Qt::CaseInsensitive) == 0)
            return row;
    }
    return -1;
}

int TallyTable::tally(const QString &name)
{
    if (find(name) >= 0 || rowCount() >= kMaxRows)
        return -1;
    Row row = zeroRow();
    row[kName] = name;
    rows_.append(row);
    changes_.append({Change::Tallied, false, name, 0});
    return rowCount() - 1;
}

void TallyTable::apply(const QList<Change> &changes)
{
    QString problem;
    for (const Change &change : changes) {
        switch (change.kind) {
        case Change::Tallied:
            tally(change.name);
            break;
        case Change::Deleted:
            moverow(find(change.name));
            break;
        case Change::Counted: {
            if (!change.ownRow && change.column > kNeitherWon)
                break;
            int row = change.ownRow ? 0 : find(change.name);
            if (row < 0)
                row = tally(change.name);
            try {
                addit(change.column, row);
            } catch (const TallyError &error) {
                if (problem.isEmpty())
                    problem = error.text();
            }
            break;
        }
        }
    }
    if (!problem.isEmpty())
        throw TallyError(problem);
}

void TallyTable::resetSession()
{
    for (int row = 1; row < rowCount(); ++row) {
        for (int column = kTogether + kSession; column < kColumns; ++column)
            rows_[row][column] = QStringLiteral("0");
    }
}

void TallyTable::addgame(const GameResult &result)
{
    QString problem;
    const auto attempt = [&problem](auto &&step) {
        try {
            step();
        } catch (const TallyError &error) {
            if (problem.isEmpty())
                problem = error.text();
        }
    };

    attempt([&] { addtomine(kGames); });
    const bool mine = result.winner == GameResult::Winner::Me;
    if (mine)
        attempt([&] { addtomine(kWins); });

    for (const QString &name : result.opponents) {
        const int row = find(name);
        if (row < 0)
            continue;
        attempt([&] {
            Row &cells = rows_[row];
            for (int column = kTogether; column < kColumns; ++column) {
                if (cells[column].isEmpty())
                    cells[column] = QStringLiteral("0");
                counter(cells[column]);
            }
            const int outcome = mine                       ? kMyWins
                : cells[kName] == result.winnerText ? kHisWins
                                                    : kNeitherWon;
            for (const int column : {kTogether, outcome}) {
                addit(column, row);
                addit(column + kSession, row);
            }
        });
    }
    if (!problem.isEmpty())
        throw TallyError(problem);
}

QByteArray TallyTable::dump() const
{
    static const QByteArray kEnd("\r\n");
    QByteArray text = QByteArray::number(kColumns) + kEnd + QByteArray::number(rowCount()) + kEnd;
    for (int column = 0; column < kColumns; ++column) {
        for (const Row &row : rows_) {
            // A line break inside a cell would shift every later cell by a line.
            QByteArray cell = row[column].toLatin1();
            cell.replace('\r', ' ').replace('\n', ' ');
            text += cell + kEnd;
        }
    }
    return text;
}

TallyTable TallyTable::fromDump(QByteArrayView dump)
{
    // Lines are taken one at a time from the dump: a list of them all would cost far more
    // than the text when it is mostly line breaks.
    const qsizetype lineCount =
        std::count(dump.begin(), dump.end(), '\n') + (dump.endsWith('\n') || dump.isEmpty() ? 0 : 1);
    qsizetype at = 0;
    const auto nextLine = [&]() -> std::optional<QByteArrayView> {
        if (at >= dump.size())
            return std::nullopt;
        qsizetype end = dump.indexOf('\n', at);
        if (end < 0)
            end = dump.size();
        QByteArrayView line = dump.sliced(at, end - at);
        at = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        return line;
    };

    const auto count = [&](qsizetype most) {
        bool ok = false;
        const std::optional<QByteArrayView> line = nextLine();
        const int value = line ? line->trimmed().toInt(&ok) : 0;
        if (!ok || value < 1 || value > most)
            throw badCount();
        return value;
    };
    const int columns = count(std::numeric_limits<int>::max());
    // Column 0 alone needs a line per row: a larger count is damage, not a table.
    const int rows = count(lineCount);
    if (rows > kMaxRows)
        throw TallyError(QStringLiteral("The tally claims %1 rows, more than the %2 a tally can hold").arg(rows).arg(kMaxRows));

    TallyTable table;
    table.rows_.fill(Row(), rows);
    for (int column = 0; column < std::min(columns, kColumns); ++column) {
        for (int row = 0; row < rows; ++row) {
            if (const std::optional<QByteArrayView> line = nextLine())
                table.rows_[row][column] = QString::fromLatin1(*line);
        }
    }
    return table;
}

QStringList TallyTable::opponentsAtTable(const QStringList &seatNames, int myseat)
{
    QStringList names;
    for (int seat = 1; seat <= std::min<int>(4, int(seatNames.size())); ++seat) {
        const QString &name = seatNames[seat - 1];
        if (seat != myseat && name != waiting())
            names.append(name);
    }
    return names;
}
