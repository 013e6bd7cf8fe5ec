#pragma once

#include <QtGlobal>

#include <array>

// The twelve score categories and the four total and bonus cells of a score card.
namespace rules {

inline constexpr int kCategoryCount = 12;
inline constexpr int kCellCount = 16;
// A cell that has not been scored; no real score reaches it.
inline constexpr int kEmptyCell = 1000;

// Category numbers, as on the wire and in the card's rows.
enum Category : int {
    Ones = 1,
    Twos,
    Threes,
    Fours,
    Fives,
    Sixes,
    FourKind,
    FullHouse,
    SmStraight,
    BigStraight,
    FiveKind,
    Freebie,
};

// Cells after the twelve categories.
enum TotalCell : int {
    UpperTotal = 13,
    UpperBonus = 14,
    LowerTotal = 15,
    LowerBonus = 16,
};

struct CategoryInfo {
    int number;
    const char *caption; // the row's caption on the card
    const char *phrase;  // what follows "<name> tagged " when the category is scored
};

inline constexpr std::array<CategoryInfo, kCategoryCount> kCategories{{
    {Ones, "Ones", "the ONES"},
    {Twos, "Twos", "the TWOS"},
    {Threes, "Threes", "the THREES"},
    {Fours, "Fours", "the FOURS"},
    {Fives, "Fives", "the FIVES"},
    {Sixes, "Sixes", "the SIXES"},
    {FourKind, "4 of a Kind", "a 4 OF A KIND"},
    {FullHouse, "Full House", "a FULL HOUSE"},
    {SmStraight, "Sm Straight", "a SM STRAIGHT"},
    {BigStraight, "Big Straight", "a BIG STRAIGHT"},
    {FiveKind, "5 of a Kind", "a 5 OF A KIND"},
    {Freebie, "Freebie", "a FREEBIE"},
}};

constexpr bool isCategory(int number) { return number >= 1 && number <= kCategoryCount; }
constexpr bool isNumberRow(int number) { return number >= Ones && number <= Sixes; }

// The table entry of a category 1..12.
inline const CategoryInfo &categoryInfo(int number) { return kCategories[std::size_t(number - 1)]; }

} // namespace rules
