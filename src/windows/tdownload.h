#pragma once

#include <QWidget>

// Offers the maker's lobby beside a solo game: download it, go on solo, or open it.
class Tdownload : public QWidget {
    Q_OBJECT

public:
    explicit Tdownload(QWidget *parent = nullptr);
};
