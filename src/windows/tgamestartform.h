#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class HostControls;

// The hosting player's choice of game options before a start.
class Tgamestartform : public QWidget {
    Q_OBJECT

public:
    explicit Tgamestartform(QWidget *parent = nullptr);

    // The in-process host, whose computer players take the chosen speed.
    void setHost(HostControls *host) { host_ = host; }

    QCheckBox *team() const { return team_; }
    QCheckBox *bonus() const { return bonus_; }
    QComboBox *combo_speed() const { return combo_speed_; }
    QLabel *button_start() const { return button_start_; }

    // The host's Timer1 interval for a speed: "Fast" 1500 ms, "Fastest" 1000 ms, else 2500 ms.
    static int speedInterval(const QString &speed);

    // The start image: asks the main window to start the game, sets the computer players'
    // speed and hides the window.
    void button_startClick();

signals:
    void startRequested(bool bonusGame, bool teamGame);
    // The window was closed without starting a game.
    void closedWithoutStart();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QCheckBox *team_ = nullptr;
    QCheckBox *bonus_ = nullptr;
    QComboBox *combo_speed_ = nullptr;
    QLabel *button_start_ = nullptr;
    HostControls *host_ = nullptr;
    // The options as the user set them, offered again at the next start.
    struct {
        bool team = false;
        bool bonus = false;
        int interval = 1500;
    } options_;
};
