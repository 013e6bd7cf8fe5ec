#pragma once

#include <QWidget>

class QAction;
class QListWidget;

// The list of spectators ("spies"), filled and emptied by the main window as they come and go.
class Tspylist : public QWidget {
    Q_OBJECT

public:
    explicit Tspylist(QWidget *parent = nullptr);

    QListWidget *listbox_spys() const { return listbox_spys_; }

private:
    QListWidget *listbox_spys_ = nullptr;
    QAction *popup_kickhim_ = nullptr;
};
