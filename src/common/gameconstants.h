#pragma once

#include "protocol/slots.h"

// The numbers and names that the host, the client and the side windows must agree on, each
// written once.
namespace game {

// Exchanged at login and shown in the about window.
inline constexpr char kVersionText[] = "1.0.1";

// The computer player of each seat (seat 1 has none: the hosting user sits there).
inline constexpr const char *kComputerNames[kSeats + 1] = {"", "", "Klot", "Kling", "Klick"};

// A name is cut to this many characters: at the host's login, and again by every client.
inline constexpr int kMaxNameLength = 64;

// A seat nobody has taken yet.
inline constexpr char kWaiting[] = "<Waiting>";

} // namespace game
