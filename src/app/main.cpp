#include <QApplication>

#include "app/commandline.h"
#include "app/quitsignals.h"
#include "client/tchat.h"
#include "host/tserver.h"
#include "ui/gamestyle.h"
#include "windows/tabout.h"
#include "windows/tallylist.h"
#include "windows/tdownload.h"
#include "windows/tgamestartform.h"
#include "windows/thelp.h"
#include "windows/tphrases.h"
#include "windows/tspylist.h"

int main(int argc, char *argv[])
{
    // Help, the version and a start that cannot begin a game are answered before the
    // application object exists, so they need no display.
    if (const std::optional<int> status = CommandLine::handle(argc, argv))
        return *status;

    QApplication app(argc, argv);
    QApplication::setStyle(new GameStyle);
    QApplication::setApplicationName(QStringLiteral("Morvello"));
    // Lets the desktop match the windows to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(MORVELLO_APP_ID));
    // Side windows may be open when the main window closes; the game ends with it all the same.
    QApplication::setQuitOnLastWindowClosed(false);

    // Created once, in this order, and kept for the whole run; only the main window is shown.
    Tchat chat;
    Ttallylist tally;
    Tabout about;
    Thelp help;
    TServer server;
    Tspylist spylist;
    Tgamestartform gamestart;
    Tphrases phrases;
    Tdownload download;

    help.setAbout(&about);
    TchatWindows windows;
    windows.tally = &tally;
    windows.about = &about;
    windows.help = &help;
    windows.server = &server;
    windows.spylist = &spylist;
    windows.gamestart = &gamestart;
    windows.phrases = &phrases;
    windows.download = &download;
    chat.setWindows(windows);
    chat.setParameters(QApplication::arguments().mid(1));
    // The host's last words to the others go out before the application ends.
    QObject::connect(&chat, &Tchat::windowClosed, &server, &TServer::closeTable, Qt::QueuedConnection);
    // Ends the run outright: quit() would first ask each window to close again, and a stop from
    // outside leaves nobody to answer a question.
    QObject::connect(&server, &TServer::tableClosed, &app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    const QuitSignals stopRequests([&server] { server.closeTable(); });

    chat.show();
    return app.exec();
}
