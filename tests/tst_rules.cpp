#include <QTest>

#include <algorithm>

#include "rules/scoring.h"

using rules::Hand;

class RulesTest : public QObject {
    Q_OBJECT

private slots:
    void handScores_data();
    void handScores();
    void everyHandAgainstFaceCounts();
    void patternTestsIgnoreDieOrder();
    void isMadeMatchesZeroScoreCheck();
    void totals_data();
    void totals();
    void captionsAndPhrases();
};

Q_DECLARE_METATYPE(Hand)

void RulesTest::handScores_data()
{
    QTest::addColumn<Hand>("hand");
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("bonusFace"); // 0: not a bonus dice game
    QTest::addColumn<int>("score");

    QTest::newRow("2,3,4,5,5 small") << Hand{2, 3, 4, 5, 5} << 9 << 0 << 25;
    QTest::newRow("2,3,4,5,5 not big") << Hand{2, 3, 4, 5, 5} << 10 << 0 << 0;
    QTest::newRow("1,3,4,5,6 small 3-6") << Hand{1, 3, 4, 5, 6} << 9 << 0 << 25;
    QTest::newRow("1,3,4,5,6 not big") << Hand{1, 3, 4, 5, 6} << 10 << 0 << 0;
    QTest::newRow("1,2,3,5,6 no small") << Hand{1, 2, 3, 5, 6} << 9 << 0 << 0;
    QTest::newRow("1,2,3,5,6 no big") << Hand{1, 2, 3, 5, 6} << 10 << 0 << 0;
    QTest::newRow("1-5 small") << Hand{1, 2, 3, 4, 5} << 9 << 0 << 25;
    QTest::newRow("1-5 big") << Hand{1, 2, 3, 4, 5} << 10 << 0 << 30;
    QTest::newRow("6-2 big unordered") << Hand{6, 4, 2, 5, 3} << 10 << 0 << 30;
    QTest::newRow("five 6 four kind") << Hand{6, 6, 6, 6, 6} << 7 << 0 << 30;
    QTest::newRow("five 6 full house") << Hand{6, 6, 6, 6, 6} << 8 << 0 << 30;
    QTest::newRow("five 6 five kind") << Hand{6, 6, 6, 6, 6} << 11 << 0 << 50;
    QTest::newRow("five 6 sixes") << Hand{6, 6, 6, 6, 6} << 6 << 0 << 30;
    QTest::newRow("five 6 sixes bonus 6") << Hand{6, 6, 6, 6, 6} << 6 << 6 << 60;
    QTest::newRow("five 6 freebie") << Hand{6, 6, 6, 6, 6} << 12 << 0 << 30;
    QTest::newRow("2,2,3,3,3 full house") << Hand{2, 2, 3, 3, 3} << 8 << 0 << 13;
    QTest::newRow("3,2,3,2,3 full house") << Hand{3, 2, 3, 2, 3} << 8 << 0 << 13;
    QTest::newRow("4,4,4,4,2 four kind") << Hand{4, 4, 4, 4, 2} << 7 << 0 << 18;
    QTest::newRow("2,4,4,4,4 four kind") << Hand{2, 4, 4, 4, 4} << 7 << 0 << 18;
    QTest::newRow("4,4,4,4,2 no full house") << Hand{4, 4, 4, 4, 2} << 8 << 0 << 0;
    QTest::newRow("1,1,2,2,3 no full house") << Hand{1, 1, 2, 2, 3} << 8 << 0 << 0;
    QTest::newRow("4,4,4,2,2 no five kind") << Hand{4, 4, 4, 2, 2} << 11 << 0 << 0;
    QTest::newRow("bonus 3: threes doubled") << Hand{3, 3, 3, 4, 4} << 3 << 3 << 18;
    QTest::newRow("bonus 3: fours plain") << Hand{3, 3, 3, 4, 4} << 4 << 3 << 8;
    QTest::newRow("bonus 5: fives") << Hand{5, 5, 2, 3, 5} << 5 << 5 << 30;
    QTest::newRow("no fours") << Hand{1, 2, 3, 5, 6} << 4 << 0 << 0;
    QTest::newRow("no fours, bonus 4") << Hand{1, 2, 3, 5, 6} << 4 << 4 << 0;
    QTest::newRow("ones") << Hand{1, 1, 2, 1, 6} << 1 << 0 << 3;
    QTest::newRow("freebie") << Hand{1, 1, 2, 1, 6} << 12 << 0 << 11;
    QTest::newRow("category 0") << Hand{1, 1, 1, 1, 1} << 0 << 0 << 0;
    QTest::newRow("category 13") << Hand{1, 1, 1, 1, 1} << 13 << 0 << 0;
}

void RulesTest::handScores()
{
    QFETCH(Hand, hand);
    QFETCH(int, category);
    QFETCH(int, bonusFace);
    QFETCH(int, score);
    QCOMPARE(rules::scoreFor(hand, category, {bonusFace != 0, bonusFace}), score);
}

namespace {

// Independent definitions, from how many dice show each face.
struct Counts {
    std::array<int, 7> of{};
    explicit Counts(const Hand &hand)
    {
        for (int d : hand)
            ++of[std::size_t(d)];
    }
    int most() const { return *std::max_element(of.begin() + 1, of.end()); }
    bool has(std::initializer_list<int> faces) const
    {
        return std::all_of(faces.begin(), faces.end(), [this](int f) { return of[std::size_t(f)] > 0; });
    }
    bool threeAndTwo() const
    {
        bool three = false;
        bool two = false;
        for (int f = 1; f <= 6; ++f) {
            three = three || of[std::size_t(f)] == 3;
            two = two || of[std::size_t(f)] == 2;
        }
        return three && two;
    }
};

} // namespace

void RulesTest::everyHandAgainstFaceCounts()
{
    int hands = 0;
    int made[5] = {};
    Hand h{};
    for (h[0] = 1; h[0] <= 6; ++h[0])
    for (h[1] = 1; h[1] <= 6; ++h[1])
    for (h[2] = 1; h[2] <= 6; ++h[2])
    for (h[3] = 1; h[3] <= 6; ++h[3])
    for (h[4] = 1; h[4] <= 6; ++h[4]) {
        ++hands;
        const Counts c(h);
        const bool four = c.most() >= 4;
        const bool five = c.most() == 5;
        const bool full = c.threeAndTwo() || five;
        const bool small = c.has({1, 2, 3, 4}) || c.has({2, 3, 4, 5}) || c.has({3, 4, 5, 6});
        const bool big = c.has({1, 2, 3, 4, 5}) || c.has({2, 3, 4, 5, 6});
        const QByteArray at = QByteArray::number(h[0]) + QByteArray::number(h[1]) + QByteArray::number(h[2])
            + QByteArray::number(h[3]) + QByteArray::number(h[4]);
        QVERIFY2(rules::checkforfourkind(h) == four, at);
        QVERIFY2(rules::checkforfivekind(h) == five, at);
        QVERIFY2(rules::checkforfullhouse(h) == full, at);
        QVERIFY2(rules::checkforsstraight(h) == small, at);
        QVERIFY2(rules::checkforlstraight(h) == big, at);
        made[0] += four;
        made[1] += five;
        made[2] += full;
        made[3] += small;
        made[4] += big;

        const int sum = h[0] + h[1] + h[2] + h[3] + h[4];
        for (int face = 1; face <= 6; ++face) {
            QVERIFY2(rules::addnumbers(h, face) == face * c.of[std::size_t(face)], at);
            for (int bonus = 1; bonus <= 6; ++bonus) {
                const int expected = face * c.of[std::size_t(face)] * (bonus == face ? 2 : 1);
                QVERIFY2(rules::scoreFor(h, face, {true, bonus}) == expected, at);
                // Outside a bonus dice game the bonus face plays no part.
                QVERIFY2(rules::scoreFor(h, face, {false, bonus}) == face * c.of[std::size_t(face)], at);
            }
        }
        QVERIFY2(rules::scoreFor(h, 7) == (four ? sum : 0), at);
        QVERIFY2(rules::scoreFor(h, 8) == (full ? sum : 0), at);
        QVERIFY2(rules::scoreFor(h, 9) == (small ? 25 : 0), at);
        QVERIFY2(rules::scoreFor(h, 10) == (big ? 30 : 0), at);
        QVERIFY2(rules::scoreFor(h, 11) == (five ? 50 : 0), at);
        QVERIFY2(rules::scoreFor(h, 12) == sum, at);
    }
    QCOMPARE(hands, 7776);
    // The well-known counts of each pattern among all ordered hands.
    QCOMPARE(made[0], 156);  // 150 with exactly four, 6 with five
    QCOMPARE(made[1], 6);
    QCOMPARE(made[2], 306);  // 300 three-and-two, 6 five of a kind
    QCOMPARE(made[3], 1200);
    QCOMPARE(made[4], 240);
}

void RulesTest::patternTestsIgnoreDieOrder()
{
    // The full house and four of a kind tests look at dice 1 and 2 first; every order of
    // the same faces must give the same answer.
    const QList<Hand> hands{{2, 2, 3, 3, 3}, {4, 4, 4, 4, 2}, {1, 1, 2, 2, 3}, {5, 5, 5, 1, 2}, {6, 1, 6, 1, 6}};
    for (Hand h : hands) {
        std::sort(h.begin(), h.end());
        const bool four = rules::checkforfourkind(h);
        const bool full = rules::checkforfullhouse(h);
        do {
            QCOMPARE(rules::checkforfourkind(h), four);
            QCOMPARE(rules::checkforfullhouse(h), full);
        } while (std::next_permutation(h.begin(), h.end()));
    }
}

void RulesTest::isMadeMatchesZeroScoreCheck()
{
    // Freebie never asks; a number row asks only when its face is missing.
    QVERIFY(rules::isMade({1, 1, 1, 1, 2}, 12));
    QVERIFY(!rules::isMade({1, 2, 3, 5, 6}, 4));
    QVERIFY(rules::isMade({1, 2, 3, 4, 6}, 4));
    QVERIFY(!rules::isMade({1, 2, 3, 4, 6}, 13));
    QVERIFY(!rules::isMade({1, 2, 3, 4, 6}, 0));
    // For the patterns, made means a score above zero (every face is at least 1).
    Hand h{};
    for (int code = 0; code < 7776; ++code) {
        int rest = code;
        for (int &d : h) {
            d = rest % 6 + 1;
            rest /= 6;
        }
        for (int category = 1; category <= 12; ++category)
            QCOMPARE(rules::isMade(h, category), rules::scoreFor(h, category) > 0);
    }
}

Q_DECLARE_METATYPE(rules::ScoreCells)

void RulesTest::totals_data()
{
    QTest::addColumn<QList<int>>("cells"); // 12 values, 1000 = unscored
    QTest::addColumn<QList<int>>("expected"); // upper total, upper bonus, lower total, lower bonus, grand

    const int E = rules::kEmptyCell;
    QTest::newRow("empty card") << QList<int>{E, E, E, E, E, E, E, E, E, E, E, E} << QList<int>{0, 0, 0, 0, 0};
    QTest::newRow("upper 70 no bonus") << QList<int>{4, 8, 12, 16, 15, 15, E, E, E, E, E, E}
                                       << QList<int>{70, 0, 0, 0, 70};
    QTest::newRow("upper 71 bonus") << QList<int>{5, 8, 12, 16, 15, 15, E, E, E, E, E, E}
                                    << QList<int>{71, 35, 0, 0, 106};
    QTest::newRow("upper 71 with gaps") << QList<int>{E, 8, 12, 16, 20, 15, E, E, E, E, E, E}
                                        << QList<int>{71, 35, 0, 0, 106};
    QTest::newRow("lower 120, five kind 0") << QList<int>{E, E, E, E, E, E, 25, 25, 25, 30, 0, 15}
                                            << QList<int>{0, 0, 120, 45, 165};
    QTest::newRow("lower 165, five kind 50") << QList<int>{E, E, E, E, E, E, 25, 25, 25, 30, 50, 10}
                                             << QList<int>{0, 0, 165, 0, 165};
    QTest::newRow("lower 166, five kind 50") << QList<int>{E, E, E, E, E, E, 25, 25, 25, 30, 50, 11}
                                             << QList<int>{0, 0, 166, 45, 211};
    QTest::newRow("lower 130, five kind open") << QList<int>{E, E, E, E, E, E, 30, 30, 25, 30, E, 15}
                                               << QList<int>{0, 0, 130, 0, 130};
    QTest::newRow("lower 130, five kind then 0") << QList<int>{E, E, E, E, E, E, 30, 30, 25, 30, 0, 15}
                                                 << QList<int>{0, 0, 130, 45, 175};
    QTest::newRow("full card") << QList<int>{3, 6, 9, 12, 15, 18, 20, 22, 25, 30, 50, 23}
                               << QList<int>{63, 0, 170, 45, 278};
}

void RulesTest::totals()
{
    QFETCH(QList<int>, cells);
    QFETCH(QList<int>, expected);
    rules::ScoreCells card = rules::emptyCard();
    for (int c = 1; c <= 12; ++c)
        card[std::size_t(c)] = cells[c - 1];
    const int grand = rules::computeTotals(card);
    QCOMPARE(card[rules::UpperTotal], expected[0]);
    QCOMPARE(card[rules::UpperBonus], expected[1]);
    QCOMPARE(card[rules::LowerTotal], expected[2]);
    QCOMPARE(card[rules::LowerBonus], expected[3]);
    QCOMPARE(grand, expected[4]);
    for (int c = 1; c <= 12; ++c)
        QCOMPARE(card[std::size_t(c)], cells[c - 1]);
}

void RulesTest::captionsAndPhrases()
{
    // The card and the status line show these texts; the client builds both from the table.
    QStringList captions;
    QStringList phrases;
    for (int n = 1; n <= 12; ++n) {
        QCOMPARE(rules::categoryInfo(n).number, n);
        captions << QString::fromLatin1(rules::categoryInfo(n).caption);
        phrases << QString::fromLatin1(rules::categoryInfo(n).phrase);
    }
    QCOMPARE(captions.join(u'|'), QStringLiteral("Ones|Twos|Threes|Fours|Fives|Sixes|4 of a Kind|Full House|"
                                                 "Sm Straight|Big Straight|5 of a Kind|Freebie"));
    QCOMPARE(phrases.join(u'|'), QStringLiteral("the ONES|the TWOS|the THREES|the FOURS|the FIVES|the SIXES|"
                                                "a 4 OF A KIND|a FULL HOUSE|a SM STRAIGHT|a BIG STRAIGHT|"
                                                "a 5 OF A KIND|a FREEBIE"));
}

QTEST_GUILESS_MAIN(RulesTest)
#include "tst_rules.moc"
