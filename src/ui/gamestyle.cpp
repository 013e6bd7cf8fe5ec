#include "ui/gamestyle.h"

#include <QIconEngine>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>

namespace {

// Stands for a standard picture of a style until the picture is first needed.
class DeferredIconEngine : public QIconEngine {
public:
    DeferredIconEngine(const QStyle *style, QStyle::StandardPixmap which)
        : style_(const_cast<QStyle *>(style)), which_(which)
    {
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QIconEngine *clone() const override { return new DeferredIconEngine(*this); }

private:
    const QIcon &icon()
    {
        if (!loaded_ && style_) {
            loaded_ = true;
            icon_ = style_->standardIcon(which_);
        }
        return icon_;
    }

    QPointer<QStyle> style_;
    QStyle::StandardPixmap which_;
    bool loaded_ = false;
    QIcon icon_;
};

} // namespace

QIcon GameStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption *option, const QWidget *widget) const
{
    if (standardIcon == SP_ToolBarHorizontalExtensionButton || standardIcon == SP_ToolBarVerticalExtensionButton)
        return QIcon(new DeferredIconEngine(baseStyle(), standardIcon));
    return QProxyStyle::standardIcon(standardIcon, option, widget);
}

QPixmap GameStyle::generatedIconPixmap(QIcon::Mode iconMode, const QPixmap &pixmap, const QStyleOption *option) const
{
    if (iconMode == QIcon::Disabled && option && qobject_cast<const QLabel *>(option->styleObject))
        return pixmap;
    return QProxyStyle::generatedIconPixmap(iconMode, pixmap, option);
}
