#pragma once

#include <optional>
#include <string>

// The words after the program's name, read before the application object or any window
// exists, so that asking for help or the version, or mistyping a start, needs no display.
namespace CommandLine {

// The three ways to start, the options, the environment variables and the files.
std::string helpText();
// "Morvello <version>".
std::string versionText();
// What a start with one or two words (which can never begin a game) prints: what is
// missing and the ways to start.
std::string usageText(int words);
// What a word starting with "-" other than the known options prints.
std::string unknownOptionText(const char *word);

// Prints what the words ask for and returns the exit status, or returns nothing when the
// words start a game: none (a solo game), or three and more (the fourth and later are ignored)
// of which none of the first three starts with "-".
std::optional<int> handle(int argc, const char *const argv[]);

} // namespace CommandLine
