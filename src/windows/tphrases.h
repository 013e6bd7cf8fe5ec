#pragma once

#include <QStringList>
#include <QWidget>

class QLineEdit;

// The editor of the ten phrase buttons' phrases. The main window fills the boxes with the
// phrases in use when it opens the editor; "Done" hands the ten edited texts back, for the
// buttons and the settings file, and closes the window.
class Tphrases : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMaxLength = 50;

    explicit Tphrases(QWidget *parent = nullptr);

    // Edit box 1..10.
    QLineEdit *phrase(int n) const;
    // Puts phrases 1..10 into the boxes.
    void showPhrases(const QStringList &phrases);
    // "Done".
    void SelButton8Click();

signals:
    // The texts of boxes 1..10, in order.
    void phrasesDone(const QStringList &phrases);
};
