#pragma once

#include <QObject>

class GameModel;
class HintAdvisor;
class HintMarks;
class QLabel;

// Shows the hint: its line under the board and the outline around the dice it keeps, which
// follows the dice as they move. It only reads the advisor and the model.
class HintView : public QObject {
    Q_OBJECT

public:
    HintView(const HintAdvisor &hints, const GameModel &model, QLabel *line, HintMarks *marks,
             QObject *parent = nullptr);

    void refresh();

private:
    const HintAdvisor &hints_;
    const GameModel &model_;
    QLabel *line_;
    HintMarks *marks_;
};
