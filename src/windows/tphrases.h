#pragma once

#include <QStringList>
#include <QWidget>

class QLineEdit;

// The editor of the ten phrase buttons' phrases. The main window fills the boxes from its
// buttons when it opens the editor; "Done" hands the ten texts back, for the buttons and the
// settings file, and closes the window.
class Tphrases : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMaxLength = 50;

    explicit Tphrases(QWidget *parent = nullptr);

    // Edit box 1..10.
    QLineEdit *phrase(int n) const;
    // "Done".
    void SelButton8Click();

signals:
    // The texts of boxes 1..10, in order.
    void phrasesDone(const QStringList &phrases);
};
