#pragma once

#include <QWidget>

class QLabel;
class QStackedWidget;
class Tabout;

// The help window: six pages chosen by the section buttons on its left.
class Thelp : public QWidget {
    Q_OBJECT

public:
    explicit Thelp(QWidget *parent = nullptr);

    void setAbout(Tabout *about) { about_ = about; }
    // Brings page "memo" + tag to the front under the caption of its button.
    void showPage(int tag);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *label_caption_ = nullptr;
    QStackedWidget *pages_ = nullptr;
    Tabout *about_ = nullptr;
};
