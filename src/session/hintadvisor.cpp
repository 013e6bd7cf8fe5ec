#include "session/hintadvisor.h"

#include <QStringList>

#include <algorithm>

#include "common/gameconstants.h"
#include "session/clientcommands.h"
#include "session/gamemodel.h"
#include "session/hinttables.h"
#include "session/preferences.h"

const QString HintAdvisor::kAnnouncement = QStringLiteral("turns on the hints");

namespace {

QString points(double value)
{
    return QString::number(value, 'f', 1);
}

QString captionOf(int category)
{
    return QString::fromLatin1(rules::categoryInfo(category).caption);
}

bool samePosition(const rules::HintPosition &a, const rules::HintPosition &b)
{
    return a.cells == b.cells && a.rolls == b.rolls && a.bonusFace == b.bonusFace
        && (a.rolls == 0 || a.hand == b.hand);
}

QString progressText(int percent)
{
    if (percent < 0)
        return QStringLiteral("Hint: loading the table of best moves");
    return QStringLiteral("Hint: computing the table of best moves, %1% (only this once)").arg(percent);
}

} // namespace

HintAdvisor::HintAdvisor(const GameModel &model, const Preferences &preferences, ClientCommands &commands,
                         HintTables &tables, QObject *parent)
    : QObject(parent), model_(model), preferences_(preferences), commands_(commands), tables_(tables)
{
    for (auto change : {&GameModel::boardChanged, &GameModel::headChanged, &GameModel::justWatchChanged})
        connect(&model_, change, this, &HintAdvisor::refresh);
    connect(&model_, &GameModel::cardChanged, this, &HintAdvisor::refresh);
    connect(&model_, &GameModel::rosterChanged, this, &HintAdvisor::announceIfDue);
    connect(&model_, &GameModel::newGame, this, [this] {
        announced_ = false;
        cost_.clear();
        // No turn of the new game has begun: the last game's turn is not the own one.
        turnOver_ = true;
        announceIfDue();
        refresh();
    });
    connect(&model_, &GameModel::turnStarted, this, &HintAdvisor::turnStarted);
    connect(&model_, &GameModel::tagged, this, &HintAdvisor::tagged);
    connect(&preferences_, &Preferences::switchesChanged, this, [this] {
        announceIfDue();
        refresh();
    });
    connect(&tables_, &HintTables::progressed, this, &HintAdvisor::refresh);
    connect(&tables_, &HintTables::ready, this, &HintAdvisor::refresh);
    connect(&tables_, &HintTables::problem, this, &HintAdvisor::problem);
    refresh();
}

// ---- the pieces ----

rules::HintVariant HintAdvisor::variantOf(const GameModel &model)
{
    // A team game plays one card for the partners: the plain table's game.
    return model.bonusShown() ? rules::HintVariant::BonusDice : rules::HintVariant::Plain;
}

std::optional<rules::HintPosition> HintAdvisor::positionOf(const GameModel &model)
{
    const int seat = model.myseat();
    if (!model.myTurn() || !game::isSeat(seat) || model.justWatching() || !model.winnerText().isEmpty())
        return std::nullopt;
    rules::HintPosition position;
    position.cells = model.seat(seat).cells;
    position.rolls = model.rolls();
    position.bonusFace = variantOf(model) == rules::HintVariant::BonusDice ? model.bonusdie() : 0;
    if (position.rolls > 0) {
        position.hand = model.faces();
        if (std::any_of(position.hand.begin(), position.hand.end(), [](int face) { return face < 1 || face > 6; }))
            return std::nullopt;
    }
    return position;
}

QString HintAdvisor::adviceText(const rules::HintAdvice &advice, const rules::HintPosition &position)
{
    const rules::HintChoice *best = advice.valid ? advice.best() : nullptr;
    if (!best)
        return QString();
    if (best->kind == rules::HintChoice::Kind::Score)
        return QStringLiteral("Hint: score %1 (%2)").arg(captionOf(best->category)).arg(best->points);
    const QString expected = points(best->expectedFinal);
    if (position.rolls == 0)
        return QStringLiteral("Hint: roll (expected final score %1)").arg(expected);
    std::vector<int> kept;
    for (std::size_t d = 0; d < best->held.size(); ++d) {
        if (best->held[d])
            kept.push_back(position.hand[d]);
    }
    if (kept.empty())
        return QStringLiteral("Hint: roll all five dice (expected final score %1)").arg(expected);
    std::sort(kept.begin(), kept.end());
    QStringList faces;
    for (int face : kept)
        faces.append(QString::number(face));
    return QStringLiteral("Hint: keep %1 and roll (expected final score %2)").arg(faces.join(QLatin1Char(' ')), expected);
}

std::array<bool, 6> HintAdvisor::diceToKeep(const rules::HintChoice &choice, const GameModel &model)
{
    std::array<bool, 6> keep{};
    if (choice.kind != rules::HintChoice::Kind::Roll)
        return keep;
    std::array<int, 7> wanted{};
    for (int die = 1; die <= GameModel::kDice; ++die) {
        if (choice.held[std::size_t(die - 1)])
            ++wanted[std::size_t(model.die(die).face)];
    }
    for (bool held : {true, false}) {
        for (int die = 1; die <= GameModel::kDice; ++die) {
            const DieView &view = model.die(die);
            int &left = wanted[std::size_t(std::clamp(view.face, 0, 6))];
            if (keep[std::size_t(die)] || (view.mark == DieView::Held) != held || left == 0)
                continue;
            keep[std::size_t(die)] = true;
            --left;
        }
    }
    return keep;
}

QString HintAdvisor::costText(int category, double cost)
{
    if (cost < kSameValue)
        return QStringLiteral("%1: the best choice").arg(captionOf(category));
    return QStringLiteral("%1: %2 below the best choice").arg(captionOf(category), points(cost));
}

// ---- following the game ----

bool HintAdvisor::gameRunning() const
{
    // A copy that joined during a game learns of it from its turns, not from its start.
    return (model_.gameStarted() || model_.turnseat() != 0) && model_.winnerText().isEmpty();
}

void HintAdvisor::refresh()
{
    QString line;
    std::array<bool, 6> keep{};
    const rules::HintVariant variant = variantOf(model_);
    const rules::HintTable *table = preferences_.showHints() ? tables_.table(variant) : nullptr;
    const std::optional<rules::HintPosition> position =
        table && !turnOver_ ? positionOf(model_) : std::nullopt;

    if (!preferences_.showHints()) {
        // Nothing to say.
    } else if (!table) {
        tables_.request(variant);
        line = progressText(tables_.percent(variant));
    } else if (position) {
        if (!advised_ || advisedVariant_ != variant || !samePosition(*advised_, *position)) {
            advice_ = rules::bestMove(*table, *position);
            advised_ = position;
            advisedVariant_ = variant;
        }
        line = adviceText(advice_, *position);
        if (advice_.valid && position->rolls > 0)
            keep = diceToKeep(*advice_.best(), model_);
    } else {
        line = cost_;
    }
    if (!position) {
        advice_ = {};
        advised_.reset();
    }
    if (line == line_ && keep == keep_)
        return;
    line_ = line;
    keep_ = keep;
    emit changed();
}

void HintAdvisor::turnStarted(int seat)
{
    if (seat == model_.myseat()) {
        turnOver_ = false;
        cost_.clear();
    }
    announceIfDue();
    refresh();
}

void HintAdvisor::tagged(int seat, int category)
{
    if (seat != model_.myseat())
        return;
    turnOver_ = true;
    const rules::HintTable *table = preferences_.showHints() ? tables_.table(variantOf(model_)) : nullptr;
    std::optional<rules::HintPosition> before = positionOf(model_);
    if (table && before) {
        // The moment before the score: the same hand and rolls, the category still open.
        before->cells[std::size_t(category)] = rules::kEmptyCell;
        const rules::HintAdvice choices = rules::bestMove(*table, *before);
        const auto chosen = std::find_if(choices.choices.begin(), choices.choices.end(), [category](const auto &c) {
            return c.kind == rules::HintChoice::Kind::Score && c.category == category;
        });
        if (choices.valid && chosen != choices.choices.end())
            cost_ = costText(category, choices.best()->expectedFinal - chosen->expectedFinal);
    }
    refresh();
}

void HintAdvisor::announceIfDue()
{
    if (announced_ || !preferences_.showHints() || !model_.loggedin() || !game::isSeat(model_.myseat())
        || !gameRunning() || !model_.othersConnected())
        return;
    announced_ = true;
    commands_.sendAction(kAnnouncement);
}
