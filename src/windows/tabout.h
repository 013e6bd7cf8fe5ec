#pragma once

#include <QWidget>

// The about window: the game's name, its version and the maker's notice.
class Tabout : public QWidget {
    Q_OBJECT

public:
    explicit Tabout(QWidget *parent = nullptr);
};
