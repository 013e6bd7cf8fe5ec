#pragma once

#include <QWidget>

class QLineEdit;

// The editor of the ten phrase buttons' phrases.
class Tphrases : public QWidget {
    Q_OBJECT

public:
    explicit Tphrases(QWidget *parent = nullptr);

    // Edit box 1..10.
    QLineEdit *phrase(int n) const;
};
