#include "session/spylistmodel.h"

SpyListModel::SpyListModel(const GameModel &model, QObject *parent)
    : QAbstractListModel(parent), model_(model), spies_(model.spectators())
{
    connect(&model_, &GameModel::rosterChanged, this, &SpyListModel::update);
}

int SpyListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(spies_.size());
}

QVariant SpyListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= spies_.size())
        return {};
    const SpectatorView &spy = spies_.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return GameModel::spyEntry(spy.slot, spy.name);
    case SlotRole:
        return spy.slot;
    case NameRole:
        return spy.name;
    default:
        return {};
    }
}

SpectatorView SpyListModel::spy(int row) const
{
    return row >= 0 && row < spies_.size() ? spies_.at(row) : SpectatorView{};
}

int SpyListModel::rowOfSlot(int slot) const
{
    for (int row = 0; row < spies_.size(); ++row) {
        if (spies_.at(row).slot == slot)
            return row;
    }
    return -1;
}

void SpyListModel::update()
{
    const QList<SpectatorView> &now = model_.spectators();
    bool same = now.size() == spies_.size();
    for (int row = 0; same && row < now.size(); ++row)
        same = now.at(row).slot == spies_.at(row).slot && now.at(row).name == spies_.at(row).name;
    if (same)
        return;
    beginResetModel();
    spies_ = now;
    endResetModel();
}
