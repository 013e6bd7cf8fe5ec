#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QAction;
class QListWidget;
class QMenu;
class TServer;

// The list of spectators ("spies"), filled and emptied by the main window as they come and go;
// each item carries its slot under Qt::UserRole. In the copy that hosts the game, the context
// menu's "Remove From Game" disconnects the spy under the pointer.
class Tspylist : public QWidget {
    Q_OBJECT

public:
    explicit Tspylist(QWidget *parent = nullptr);

    QListWidget *listbox_spys() const { return listbox_spys_; }
    QAction *popup_kickhim() const { return popup_kickhim_; }
    // The host of this process, once it hosts; enables "Remove From Game".
    void setServer(TServer *server);

    // The item under the pointer: its row, or -1 over no item (the list box's tag).
    int hoveredRow() const;
    void listbox_spysMouseMove(const QPoint &viewportPos);
    void popup_kickhimClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QListWidget *listbox_spys_ = nullptr;
    QMenu *popup_kick_ = nullptr;
    QAction *popup_kickhim_ = nullptr;
    QPointer<TServer> server_;
    // The spy under the pointer, by slot and text: the list is rebuilt as people come and go,
    // and the command must reach the spy that was pointed at or nobody.
    int hoveredSlot_ = 0;
    QString hoveredText_;
};
