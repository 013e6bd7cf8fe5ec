#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;

// The hosting player's choice of game options before a start.
class Tgamestartform : public QWidget {
    Q_OBJECT

public:
    explicit Tgamestartform(QWidget *parent = nullptr);

    QCheckBox *team() const { return team_; }
    QCheckBox *bonus() const { return bonus_; }
    QComboBox *combo_speed() const { return combo_speed_; }

private:
    QCheckBox *team_ = nullptr;
    QCheckBox *bonus_ = nullptr;
    QComboBox *combo_speed_ = nullptr;
};
