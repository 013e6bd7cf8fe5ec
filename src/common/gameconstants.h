#pragma once

// The numbers and names that the host, the client and the side windows must agree on, each
// written once.
namespace game {

// Slots 1..4 are the seats and the four columns of the score card; 5..9 are spectators.
inline constexpr int kSeats = 4;
inline constexpr int kSlots = 9;

constexpr bool isSeat(int slot) { return slot >= 1 && slot <= kSeats; }
constexpr bool isSlot(int slot) { return slot >= 1 && slot <= kSlots; }
constexpr bool isSpectatorSlot(int slot) { return slot > kSeats && slot <= kSlots; }

// Exchanged at login and shown in the about window.
inline constexpr char kVersionText[] = "1.0.1";

// The computer player of each seat (seat 1 has none: the hosting user sits there).
inline constexpr const char *kComputerNames[kSeats + 1] = {"", "", "Klot", "Kling", "Klick"};

// A name is cut to this many characters: at the host's login, and again by every client.
inline constexpr int kMaxNameLength = 64;

// A seat nobody has taken yet.
inline constexpr char kWaiting[] = "<Waiting>";

} // namespace game
