#pragma once

class QAbstractButton;
class QWidget;

// The keys every side window answers: Esc closes it, Enter presses its default button (when
// it has one), and a window that is shown takes the focus, so the keys reach it at once --
// unless it is shown with Qt::WA_ShowWithoutActivating, as an offer beside the game is.
namespace WindowKeys {

void install(QWidget *window, QAbstractButton *defaultButton = nullptr);

} // namespace WindowKeys
