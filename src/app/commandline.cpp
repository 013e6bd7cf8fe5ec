#include "app/commandline.h"

#include <cstdio>
#include <cstring>

#include "common/environment.h"
#include "common/gameconstants.h"

namespace CommandLine {

namespace {

const char kWays[] =
    "Usage: morvello\n"
    "       morvello NAME ADDRESS true\n"
    "       morvello NAME ADDRESS false\n";

// Prints the text and hands back the status, unless the text could not be written (a closed
// pipe, a full disk), which must not pass for success.
int print(const std::string &text, std::FILE *stream, int status)
{
    if (std::fputs(text.c_str(), stream) < 0 || std::fflush(stream) != 0)
        return status == 0 ? 1 : status;
    return status;
}

} // namespace

std::string helpText()
{
    const std::string port = std::to_string(Environment::kDefaultPort);
    std::string text = kWays;
    text += "       morvello --help | --version\n"
            "\n"
            "Morvello is a dice game for up to four players and five spectators, with a shared\n"
            "chat and computer players.\n"
            "\n"
            "Ways to start:\n"
            "  morvello                     a solo game: you against the computer, which plays\n"
            "                               the other seats\n"
            "  morvello NAME ADDRESS true   host a game as NAME; the others join this machine on\n"
            "                               TCP port " + port + " (ADDRESS is not used)\n"
            "  morvello NAME ADDRESS false  join the game hosted at ADDRESS as NAME (any third\n"
            "                               word other than \"true\" joins)\n"
            "A fourth and later word is ignored.\n"
            "\n"
            "Options:\n"
            "  -h, --help   print this help and exit\n"
            "  --version    print the version and exit\n"
            "\n"
            "Environment:\n"
            "  MORVELLO_PORT       the TCP port to host on and to join (default " + port + ")\n"
            "  MORVELLO_DIR        the directory of the settings and tally files\n"
            "  MORVELLO_SEED       a fixed seed for the dice, for replays and bug reports; not\n"
            "                      for real games, since the seed tells every roll\n"
            "  MORVELLO_ECHO_CHAT  1 copies every chat line to standard output as \"chat: <line>\"\n"
            "  MORVELLO_LOBBY_URL  where the lobby window downloads the lobby installer from\n"
            "                      (http or https; the built-in address is https only)\n"
            "\n"
            "Files, in the data directory: MORVELLO_DIR when it is set; else, for an installed\n"
            "copy, the per-user data directory ($XDG_DATA_HOME/Morvello, normally\n"
            "~/.local/share/Morvello); else the executable's directory, or the per-user data\n"
            "directory when that is not writable.\n"
            "  orlenlobby.ini      the settings: chat text size and colours, sounds, phrase buttons\n"
            "  morvellotally.tld   the tally of your games against named opponents\n";
    return text;
}

std::string versionText()
{
    return std::string("Morvello ") + game::kVersionText + "\n";
}

std::string usageText(int words)
{
    std::string text = words == 1 ? "morvello: a name alone starts no game; add the host's address and "
                                    "true (to host) or false (to join).\n"
                                  : "morvello: a name and an address start no game; add true (to host) "
                                    "or false (to join).\n";
    text += kWays;
    text += "Without words, a solo game starts. Try 'morvello --help' for more.\n";
    return text;
}

std::string unknownOptionText(const char *word)
{
    std::string text = std::string("morvello: unknown option '") + word + "'\n";
    text += kWays;
    text += "Try 'morvello --help' for more.\n";
    return text;
}

std::optional<int> handle(int argc, const char *const argv[])
{
    const int words = argc - 1;
    if (words >= 1) {
        const char *first = argv[1];
        if (std::strcmp(first, "-h") == 0 || std::strcmp(first, "--help") == 0)
            return print(helpText(), stdout, 0);
        if (std::strcmp(first, "--version") == 0)
            return print(versionText(), stdout, 0);
    }
    // A word that looks like an option is a mistyped one, not a name, an address or a host flag
    // (a fourth and later word is ignored).
    for (int word = 1; word <= words && word <= 3; ++word) {
        if (argv[word][0] == '-')
            return print(unknownOptionText(argv[word]), stderr, 2);
    }
    if (words == 1 || words == 2)
        return print(usageText(words), stderr, 2);
    return std::nullopt;
}

} // namespace CommandLine
