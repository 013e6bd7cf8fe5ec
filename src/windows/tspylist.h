#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class HostControls;
class QAction;
class QListView;
class QMenu;
class SpyListModel;

// The list of spectators ("spies"), a view of the session's spy list, which follows them as
// they come and go. In the copy that hosts the game, the context menu's "Remove From Game"
// disconnects the spy under the pointer.
class Tspylist : public QWidget {
    Q_OBJECT

public:
    explicit Tspylist(QWidget *parent = nullptr);

    QListView *listbox_spys() const { return listbox_spys_; }
    QAction *popup_kickhim() const { return popup_kickhim_; }
    void setModel(SpyListModel *spies);
    // The host of this process, once it hosts; enables "Remove From Game".
    void setHost(HostControls *host);

    // The item under the pointer: its row, or -1 over no item (the list box's tag).
    int hoveredRow() const;
    void listbox_spysMouseMove(const QPoint &viewportPos);
    void popup_kickhimClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QListView *listbox_spys_ = nullptr;
    QMenu *popup_kick_ = nullptr;
    QAction *popup_kickhim_ = nullptr;
    QPointer<SpyListModel> spies_;
    HostControls *host_ = nullptr;
    // The spy under the pointer, by slot and name: the list changes as people come and go,
    // and the command must reach the spy that was pointed at or nobody.
    int hoveredRow_ = -1;
    int hoveredSlot_ = 0;
    QString hoveredName_;
};
