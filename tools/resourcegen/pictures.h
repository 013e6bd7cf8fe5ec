#pragma once

#include <QImage>
#include <QString>

// The pictures of the game, each painted at the size the windows lay it out at.
namespace pictures {

inline constexpr int kBoardWidth = 533;
inline constexpr int kBoardHeight = 312;
inline constexpr int kTrayLeft = kBoardWidth - 58;  // the tray sits in the board's top right

// Rows and value columns of the score card, as its labels are laid out over the picture.
struct CardRow {
    int top;
    int height;
    const char *caption;
    bool sum;  // a total, bonus or grand-total row rather than a category
};
inline constexpr CardRow kCardRows[] = {
    {94, 16, "Ones", false},         {110, 16, "Twos", false},
    {126, 16, "Threes", false},      {142, 16, "Fours", false},
    {158, 16, "Fives", false},       {174, 16, "Sixes", false},
    {198, 16, "Total", true},        {216, 16, "Bonus", true},
    {246, 17, "4 of a Kind", false}, {263, 17, "Full House", false},
    {280, 18, "Sm Straight", false}, {298, 17, "Big Straight", false},
    {315, 17, "5 of a Kind", false}, {332, 17, "Freebie", false},
    {353, 16, "Total", true},        {372, 16, "Bonus", true},
    {392, 18, "Total:", true},
};
inline constexpr int kCardColumns[4] = {91, 138, 184, 230};
inline constexpr int kCardColumnWidth = 44;

QImage board();
QImage tray();
QImage scoreCard();
QImage die(int face, bool bonus);
QImage rollButton();
QImage startGameButton();
QImage gameStartButton();
QImage winnerBanner();
QImage bonusBack();
QImage rollMarker();
QImage eyes();
QImage logo();
QImage phraseGlyph(int button);
QImage backgroundTile();
QImage icon(int size);
QImage lobby(int scale = 1);

} // namespace pictures
