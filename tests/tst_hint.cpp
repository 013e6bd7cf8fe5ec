#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "common/hinttablefile.h"
#include "rules/hintmove.h"
#include "rules/hinttable.h"

#include <atomic>
#include <map>

using rules::Hand;
using rules::HintRules;
using rules::HintVariant;

namespace {

constexpr quint16 bit(int category) { return quint16(1u << (category - 1)); }

constexpr quint16 categories(std::initializer_list<int> list)
{
    quint16 set = 0;
    for (int c : list)
        set |= bit(c);
    return set;
}

// Tables of few categories, each built once for the whole run.
const rules::HintTable &tableFor(HintRules hintRules)
{
    static std::map<std::pair<int, int>, rules::HintTable> tables;
    const auto key = std::make_pair(int(hintRules.variant), int(hintRules.categories));
    auto it = tables.find(key);
    if (it == tables.end())
        it = tables.emplace(key, *rules::buildHintTable(hintRules)).first;
    return it->second;
}

// "Ones=3 Sixes=18" as a card.
rules::ScoreCells card(const QString &scores)
{
    static const QStringList names{"",          "Ones",      "Twos",       "Threes",
                                   "Fours",     "Fives",     "Sixes",      "FourKind",
                                   "FullHouse", "SmStraight", "BigStraight", "FiveKind", "Freebie"};
    rules::ScoreCells cells = rules::emptyCard();
    for (const QString &entry : scores.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList parts = entry.split(QLatin1Char('='));
        const auto category = names.indexOf(parts[0]);
        Q_ASSERT(category > 0);
        cells[std::size_t(category)] = parts[1].toInt();
    }
    return cells;
}

// A choice as the rows below write it: "score <category>" or "hold <five 0/1 marks>".
QString describe(const rules::HintChoice &choice)
{
    if (choice.kind == rules::HintChoice::Kind::Score)
        return QStringLiteral("score %1").arg(choice.category);
    QString marks;
    for (bool held : choice.held)
        marks += held ? QLatin1Char('1') : QLatin1Char('0');
    return QStringLiteral("hold ") + marks;
}

} // namespace

Q_DECLARE_METATYPE(Hand)
Q_DECLARE_METATYPE(HintVariant)

class HintTest : public QObject {
    Q_OBJECT

private slots:
    void valuesKnownByHand_data();
    void valuesKnownByHand();
    void bestMoves_data();
    void bestMoves();
    void lastTurnAgreesWithTheCard_data();
    void lastTurnAgreesWithTheCard();
    void positionsOutsideTheTable_data();
    void positionsOutsideTheTable();
    void savedTableIsLoaded();
    void unusableFileIsRebuilt_data();
    void unusableFileIsRebuilt();
    void buildReportsProgressAndStops();
};

void HintTest::valuesKnownByHand_data()
{
    QTest::addColumn<HintVariant>("variant");
    QTest::addColumn<int>("category");
    QTest::addColumn<double>("expected");

    // Hold every 1 through three rolls: each die shows a 1 by the end with 1 - (5/6)^3.
    QTest::newRow("Ones") << HintVariant::Plain << int(rules::Ones) << 5 * (1 - 125.0 / 216);
    // Doubled on one turn in six.
    QTest::newRow("Ones, bonus dice") << HintVariant::BonusDice << int(rules::Ones) << 5 * (1 - 125.0 / 216) * 7 / 6;
    // One die: 3.5 with one roll; 4.25 with two (roll again below 4); 14/3 with three.
    QTest::newRow("Freebie") << HintVariant::Plain << int(rules::Freebie) << 5 * 14.0 / 3;
    // The chance of five equal dice in three rolls with best play.
    QTest::newRow("5 of a Kind") << HintVariant::Plain << int(rules::FiveKind) << 50 * 2783176.0 / 60466176;
}

void HintTest::valuesKnownByHand()
{
    QFETCH(HintVariant, variant);
    QFETCH(int, category);
    QFETCH(double, expected);
    const auto value = tableFor({variant, bit(category)}).expectedFinal(rules::emptyCard());
    QVERIFY(value);
    QVERIFY2(qAbs(*value - expected) < 1e-4, qPrintable(QString::number(*value)));
}

void HintTest::bestMoves_data()
{
    QTest::addColumn<HintVariant>("variant");
    QTest::addColumn<int>("inPlay");
    QTest::addColumn<QString>("scored");
    QTest::addColumn<Hand>("hand");
    QTest::addColumn<int>("rolls");
    QTest::addColumn<int>("bonusFace");
    QTest::addColumn<QString>("best");

    using namespace rules;
    const auto plain = HintVariant::Plain;
    const auto bonus = HintVariant::BonusDice;
    const int straights = categories({Ones, SmStraight, BigStraight});
    QTest::newRow("made big straight, first roll") << plain << straights << "" << Hand{3, 1, 4, 5, 2} << 1 << 0 << "score 10";
    QTest::newRow("made big straight, last roll") << plain << straights << "" << Hand{6, 3, 4, 5, 2} << 3 << 0 << "score 10";
    QTest::newRow("small straight open only") << plain << straights << "BigStraight=0" << Hand{6, 3, 4, 5, 2} << 3 << 0 << "score 9";
    const int kinds = categories({FourKind, FullHouse, FiveKind});
    QTest::newRow("five equal, first roll") << plain << kinds << "" << Hand{4, 4, 4, 4, 4} << 1 << 0 << "score 11";
    QTest::newRow("five equal, bonus dice") << bonus << kinds << "" << Hand{2, 2, 2, 2, 2} << 2 << 2 << "score 11";
    QTest::newRow("four equal chase the fifth") << plain << kinds << "" << Hand{4, 4, 1, 4, 4} << 1 << 0 << "hold 11011";
    const int onesSixes = categories({Ones, Sixes});
    QTest::newRow("only Ones left, first roll") << plain << onesSixes << "Sixes=18" << Hand{1, 3, 1, 5, 6} << 1 << 0 << "hold 10100";
    QTest::newRow("only Ones left, second roll") << plain << onesSixes << "Sixes=18" << Hand{2, 3, 4, 5, 1} << 2 << 0 << "hold 00001";
    QTest::newRow("only Ones left, last roll") << plain << onesSixes << "Sixes=18" << Hand{2, 3, 4, 5, 6} << 3 << 0 << "score 1";
    // Twos now keeps Sixes for a turn that can do better with them...
    const int twosSixes = categories({Twos, Sixes});
    QTest::newRow("2,2,2,6,6 plain") << plain << twosSixes << "" << Hand{2, 6, 2, 6, 2} << 3 << 0 << "score 2";
    QTest::newRow("2,2,2,6,6 bonus face 2") << bonus << twosSixes << "" << Hand{2, 6, 2, 6, 2} << 3 << 2 << "score 2";
    QTest::newRow("2,2,2,6,6 bonus face 1") << bonus << twosSixes << "" << Hand{2, 6, 2, 6, 2} << 3 << 1 << "score 2";
    // ...unless the bonus face doubles the sixes now.
    QTest::newRow("2,2,2,6,6 bonus face 6") << bonus << twosSixes << "" << Hand{2, 6, 2, 6, 2} << 3 << 6 << "score 6";
}

void HintTest::bestMoves()
{
    QFETCH(HintVariant, variant);
    QFETCH(int, inPlay);
    QFETCH(QString, scored);
    QFETCH(Hand, hand);
    QFETCH(int, rolls);
    QFETCH(int, bonusFace);
    QFETCH(QString, best);

    const auto &table = tableFor({variant, quint16(inPlay)});
    const rules::HintAdvice advice = rules::bestMove(table, {card(scored), hand, rolls, bonusFace});
    QVERIFY(advice.valid);
    QCOMPARE(describe(*advice.best()), best);
    for (std::size_t i = 1; i < advice.choices.size(); ++i)
        QVERIFY(advice.choices[i - 1].expectedFinal >= advice.choices[i].expectedFinal);

    // At the turn's start the card's expectation is the table's, averaged over the bonus face.
    double start = 0;
    const int faces = variant == HintVariant::BonusDice ? 6 : 1;
    for (int face = 1; face <= faces; ++face)
        start += rules::bestMove(table, {card(scored), {}, 0, face}).best()->expectedFinal / faces;
    QVERIFY(qAbs(start - *table.expectedFinal(card(scored))) < 1e-3);
}

void HintTest::lastTurnAgreesWithTheCard_data()
{
    QTest::addColumn<HintVariant>("variant");
    QTest::addColumn<int>("inPlay");
    QTest::addColumn<QString>("scored");
    QTest::addColumn<Hand>("hand");
    QTest::addColumn<int>("bonusFace");

    using namespace rules;
    const auto plain = HintVariant::Plain;
    const auto bonus = HintVariant::BonusDice;
    const int upper = categories({Fours, Fives, Sixes});
    QTest::newRow("upper total 71") << plain << upper << "Fours=16 Fives=25" << Hand{6, 6, 6, 6, 6} << 0;
    QTest::newRow("upper total 65") << plain << upper << "Fours=16 Fives=25" << Hand{6, 6, 6, 6, 1} << 0;
    QTest::newRow("upper total 77, doubled") << bonus << upper << "Fours=16 Fives=25" << Hand{6, 6, 6, 1, 1} << 6;
    QTest::newRow("upper total 59, not doubled") << bonus << upper << "Fours=16 Fives=25" << Hand{6, 6, 6, 1, 1} << 5;
    const int lower = categories({FourKind, FullHouse, SmStraight, BigStraight, FiveKind, Freebie});
    const QString lowerFive = QStringLiteral("FourKind=29 FullHouse=27 SmStraight=25 BigStraight=30 Freebie=5");
    QTest::newRow("lower sum 116, 5 of a Kind 50") << plain << lower << lowerFive << Hand{3, 3, 3, 3, 3} << 0;
    QTest::newRow("lower sum 116, 5 of a Kind 0") << plain << lower << lowerFive << Hand{3, 3, 3, 3, 2} << 0;
    const QString lowerFour = QStringLiteral("FourKind=28 FullHouse=27 SmStraight=25 BigStraight=30 FiveKind=50");
    QTest::newRow("lower sum 115") << plain << lower << lowerFour << Hand{1, 1, 1, 1, 1} << 0;
    QTest::newRow("lower sum 116 by Freebie") << plain << lower << lowerFour << Hand{1, 1, 2, 1, 1} << 0;
    QTest::newRow("lower sum out of reach") << plain << lower << "FourKind=0 FullHouse=0 SmStraight=25 BigStraight=30 FiveKind=0" << Hand{6, 6, 6, 6, 6} << 0;
}

void HintTest::lastTurnAgreesWithTheCard()
{
    QFETCH(HintVariant, variant);
    QFETCH(int, inPlay);
    QFETCH(QString, scored);
    QFETCH(Hand, hand);
    QFETCH(int, bonusFace);

    const rules::ScoreCells cells = card(scored);
    const rules::HintAdvice advice = rules::bestMove(tableFor({variant, quint16(inPlay)}), {cells, hand, 3, bonusFace});
    QVERIFY(advice.valid);
    QCOMPARE(advice.choices.size(), std::size_t(1));
    const rules::HintChoice &last = advice.choices.front();
    const rules::BonusDie die{variant == HintVariant::BonusDice, bonusFace};
    QCOMPARE(last.points, rules::scoreFor(hand, last.category, die));

    rules::ScoreCells final = cells;
    for (int c = 1; c <= rules::kCategoryCount; ++c) {
        if (final[std::size_t(c)] == rules::kEmptyCell)
            final[std::size_t(c)] = c == last.category ? last.points : 0;
    }
    QCOMPARE(last.expectedFinal, double(rules::computeTotals(final)));
}

void HintTest::positionsOutsideTheTable_data()
{
    QTest::addColumn<HintVariant>("variant");
    QTest::addColumn<QString>("scored");
    QTest::addColumn<Hand>("hand");
    QTest::addColumn<int>("rolls");
    QTest::addColumn<int>("bonusFace");

    const auto plain = HintVariant::Plain;
    QTest::newRow("fourth roll") << plain << "" << Hand{1, 2, 3, 4, 5} << 4 << 0;
    QTest::newRow("negative rolls") << plain << "" << Hand{1, 2, 3, 4, 5} << -1 << 0;
    QTest::newRow("face 7") << plain << "" << Hand{1, 2, 3, 4, 7} << 1 << 0;
    QTest::newRow("face 0 after a roll") << plain << "" << Hand{0, 2, 3, 4, 5} << 2 << 0;
    QTest::newRow("bonus dice without a face") << HintVariant::BonusDice << "" << Hand{1, 2, 3, 4, 5} << 1 << 0;
    QTest::newRow("bonus face 7") << HintVariant::BonusDice << "" << Hand{1, 2, 3, 4, 5} << 1 << 7;
    QTest::newRow("Ones 7") << plain << "Ones=7" << Hand{1, 2, 3, 4, 5} << 1 << 0;
    QTest::newRow("Ones negative") << plain << "Ones=-1" << Hand{1, 2, 3, 4, 5} << 1 << 0;
    QTest::newRow("category out of play") << plain << "Fives=10" << Hand{1, 2, 3, 4, 5} << 1 << 0;
    QTest::newRow("full card") << plain << "Ones=2 Twos=4 Sixes=12" << Hand{1, 2, 3, 4, 5} << 1 << 0;
}

void HintTest::positionsOutsideTheTable()
{
    QFETCH(HintVariant, variant);
    QFETCH(QString, scored);
    QFETCH(Hand, hand);
    QFETCH(int, rolls);
    QFETCH(int, bonusFace);

    const auto &table = tableFor({variant, categories({rules::Ones, rules::Twos, rules::Sixes})});
    const rules::HintAdvice advice = rules::bestMove(table, {card(scored), hand, rolls, bonusFace});
    QVERIFY(!advice.valid);
    QVERIFY(!advice.best());
}

void HintTest::savedTableIsLoaded()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(HintTableFile::fileName(HintVariant::BonusDice));
    const HintRules hintRules{HintVariant::BonusDice, categories({rules::Threes, rules::FullHouse, rules::Freebie})};
    const auto built = HintTableFile::loadOrBuild(path, hintRules);
    QVERIFY(built.table && built.built);
    QVERIFY(built.problem.isEmpty());

    int lastProgress = -1;
    const auto again = HintTableFile::loadOrBuild(path, hintRules, {[&](int p) { lastProgress = p; }});
    QVERIFY(again.table && !again.built);
    QVERIFY(again.problem.isEmpty());
    QCOMPARE(lastProgress, 100);
    QVERIFY(again.table->rules() == hintRules);
    QVERIFY(again.table->values() == built.table->values());
    QVERIFY(again.table->values() == tableFor(hintRules).values());
}

void HintTest::unusableFileIsRebuilt_data()
{
    QTest::addColumn<QString>("damage");
    for (const char *damage : {"value byte", "checksum byte", "format version", "variant", "categories",
                               "cut short", "one byte more", "other rules' table", "not a table",
                               "empty", "impossible value, sound checksum"})
        QTest::newRow(damage) << QString::fromLatin1(damage);
}

void HintTest::unusableFileIsRebuilt()
{
    QFETCH(QString, damage);
    QTemporaryDir dir;
    const QString path = dir.filePath(HintTableFile::fileName(HintVariant::Plain));
    const HintRules hintRules{HintVariant::Plain, categories({rules::Twos, rules::SmStraight, rules::Freebie})};
    const rules::HintTable &sound = tableFor(hintRules);
    QVERIFY(HintTableFile::save(sound, path));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    file.close();
    const qsizetype values = HintTableFile::kHeaderSize;
    if (damage == "value byte")
        bytes[values + 5] = char(bytes[values + 5] ^ 0x10);
    else if (damage == "checksum byte")
        bytes[40] = char(bytes[40] ^ 0x01);
    else if (damage == "format version")
        bytes[8] = char(bytes[8] + 1);
    else if (damage == "variant")
        bytes[12] = char(1);
    else if (damage == "categories")
        bytes[16] = char(bytes[16] ^ 0x01);
    else if (damage == "cut short")
        bytes.chop(4);
    else if (damage == "one byte more")
        bytes.append('\0');
    else if (damage == "not a table")
        bytes = QByteArray("[Morvello]\nDoublecheck=1\n").repeated(1000);
    else if (damage == "empty")
        bytes.clear();
    if (damage == "other rules' table") {
        QVERIFY(HintTableFile::save(tableFor({HintVariant::Plain, categories({rules::Twos, rules::Freebie})}), path));
    } else if (damage == "impossible value, sound checksum") {
        rules::HintTable wrong = sound;
        wrong.values()[3] = -1.0f;
        QVERIFY(HintTableFile::save(wrong, path));
    } else {
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
    }

    QVERIFY(!HintTableFile::load(path, hintRules).table);
    const auto outcome = HintTableFile::loadOrBuild(path, hintRules);
    QVERIFY(outcome.table && outcome.built);
    QVERIFY(outcome.problem.contains(path));
    QVERIFY(outcome.table->values() == sound.values());
    // The file was replaced by a sound one.
    const auto reloaded = HintTableFile::load(path, hintRules);
    QVERIFY(reloaded.table);
    QVERIFY(reloaded.problem.isEmpty());
}

void HintTest::buildReportsProgressAndStops()
{
    const HintRules hintRules{HintVariant::BonusDice, categories({rules::Ones, rules::Fives, rules::FourKind, rules::Freebie})};
    QList<int> reported;
    const auto built = rules::buildHintTable(hintRules, {[&](int p) { reported.append(p); }, nullptr, 2});
    QVERIFY(built);
    QVERIFY(built->values() == tableFor(hintRules).values());
    QCOMPARE(reported.front(), 0);
    QCOMPARE(reported.back(), 100);
    QVERIFY(std::is_sorted(reported.begin(), reported.end()));

    std::atomic<bool> cancel{true};
    QVERIFY(!rules::buildHintTable(hintRules, {{}, &cancel, 2}));
    QVERIFY(!rules::buildHintTable({HintVariant::Plain, 0}));
}

QTEST_GUILESS_MAIN(HintTest)
#include "tst_hint.moc"
