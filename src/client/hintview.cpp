#include "client/hintview.h"

#include <QLabel>

#include "client/hintmarks.h"
#include "session/gamemodel.h"
#include "session/hintadvisor.h"

namespace {

constexpr QSize kDieSize(32, 32);

} // namespace

HintView::HintView(const HintAdvisor &hints, const GameModel &model, QLabel *line, HintMarks *marks,
                   QObject *parent)
    : QObject(parent), hints_(hints), model_(model), line_(line), marks_(marks)
{
    connect(&hints_, &HintAdvisor::changed, this, &HintView::refresh);
    // A held or released die moves; its outline goes with it.
    connect(&model_, &GameModel::boardChanged, this, &HintView::refresh);
    refresh();
}

void HintView::refresh()
{
    if (line_->text() != hints_.line())
        line_->setText(hints_.line());
    QList<QRect> dice;
    for (int die = 1; die <= GameModel::kDice; ++die) {
        if (hints_.keep()[std::size_t(die)])
            dice.append(QRect(model_.die(die).pos, kDieSize));
    }
    marks_->setDice(dice);
}
