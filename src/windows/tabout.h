#pragma once

#include <QString>
#include <QWidget>
#include <functional>

// The about window: the game's name, the maker's web address and notice, and the version, the
// same text the client reports to the host at login.
class Tabout : public QWidget {
    Q_OBJECT

public:
    // The maker's web page. No such server exists: the name lies under the reserved
    // ".invalid" domain, so that nothing answers in its place.
    static inline const QString kAddress = QStringLiteral("https://www.orlen42.invalid/");
    static inline const QString kCopyright = QStringLiteral("Copyright (c) 2026 the Morvello developers");

    explicit Tabout(QWidget *parent = nullptr);

    // Opens the maker's web page (the address label, and the main window's logo).
    void Label7Click();
    // Opens an address in the desktop's program for it; replaceable for tests.
    std::function<bool(const QString &address)> openAddress;
};
