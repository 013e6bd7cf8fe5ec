#pragma once

// The numbers a message may name a player or a die by; every reader checks them where the
// message comes in.
namespace game {

// Slots 1..4 are the seats and the four columns of the score card; 5..9 are spectators.
inline constexpr int kSeats = 4;
inline constexpr int kSlots = 9;
inline constexpr int kDice = 5;
inline constexpr int kMaxRolls = 3;

constexpr bool isSeat(int slot) { return slot >= 1 && slot <= kSeats; }
constexpr bool isSlot(int slot) { return slot >= 1 && slot <= kSlots; }
constexpr bool isSpectatorSlot(int slot) { return slot > kSeats && slot <= kSlots; }
constexpr bool isDie(int die) { return die >= 1 && die <= kDice; }
constexpr bool isFace(int face) { return face >= 1 && face <= 6; }

} // namespace game
