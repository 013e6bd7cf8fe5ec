#pragma once

#include <QtGlobal>

#include <array>

#include "protocol/slots.h"

// One of the five dice of a turn: not rolled yet, lying free on the table, or held, and the
// face it shows once rolled.
struct Die {
    enum class State : quint8 { NotRolled, Free, Held };
    State state = State::NotRolled;
    int face = 0;

    bool isFree() const { return state == State::Free; }
    bool isHeld() const { return state == State::Held; }
    bool operator==(const Die &) const = default;
};

// Dice 1..5 of the turn, at indices 0..4.
using Dice = std::array<Die, game::kDice>;
