#pragma once

#include <QAbstractListModel>
#include <QList>

#include "session/gamemodel.h"

// The spectators ("spies") as a list, one row per connected spy in the order they came, each
// keyed by its slot: the text shown is "slot: name", SlotRole gives the slot. Follows the game
// model's roster.
class SpyListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { SlotRole = Qt::UserRole, NameRole };

    explicit SpyListModel(const GameModel &model, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // The spy at a row, or a slot of 0 past the end.
    SpectatorView spy(int row) const;
    // The row of the spy in a slot, or -1.
    int rowOfSlot(int slot) const;

private:
    void update();

    const GameModel &model_;
    QList<SpectatorView> spies_;
};
