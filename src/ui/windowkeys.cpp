#include "ui/windowkeys.h"

#include <QAbstractButton>
#include <QAction>
#include <QEvent>
#include <QKeySequence>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {

// Raises and activates a window each time it is shown.
class FocusOnShow : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show
            && !static_cast<QWidget *>(watched)->testAttribute(Qt::WA_ShowWithoutActivating)) {
            // After the show has been handled, when the window system knows the window.
            QPointer<QWidget> window = static_cast<QWidget *>(watched);
            QTimer::singleShot(0, window, [window] {
                if (window && window->isVisible()) {
                    window->raise();
                    window->activateWindow();
                }
            });
        }
        return false;
    }
};

} // namespace

namespace WindowKeys {

void install(QWidget *window, QAbstractButton *defaultButton)
{
    if (!window || window->findChild<QAction *>(QStringLiteral("closeWithEscape"), Qt::FindDirectChildrenOnly))
        return;
    auto *close = new QAction(window);
    close->setObjectName(QStringLiteral("closeWithEscape"));
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    close->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(close, &QAction::triggered, window, &QWidget::close);
    window->addAction(close);

    if (defaultButton) {
        auto *press = new QAction(window);
        press->setObjectName(QStringLiteral("pressWithEnter"));
        press->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
        press->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(press, &QAction::triggered, defaultButton, &QAbstractButton::click);
        window->addAction(press);
    }
    window->installEventFilter(new FocusOnShow(window));
}

} // namespace WindowKeys
