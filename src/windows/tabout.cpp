#include "windows/tabout.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "common/gameconstants.h"
#include "ui/background.h"
#include "ui/clickablelabel.h"
#include "ui/pictures.h"
#include "ui/plaintext.h"

Tabout::Tabout(QWidget *parent)
    : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("about"));
    setWindowTitle(QStringLiteral("Morvello - About"));
    setFont(QFont(QStringLiteral("Arial"), 8));
    applyTiledBackground(this);
    openAddress = [](const QString &address) { return QDesktopServices::openUrl(QUrl(address)); };

    auto *logo = PlainText::label(QString(), this);
    logo->setObjectName(QStringLiteral("Image1"));
    logo->setPixmap(Pictures::pixmap(QStringLiteral(":/images/logo.png")));

    auto *title = PlainText::label(QStringLiteral("Morvello"), this);
    title->setObjectName(QStringLiteral("Label1"));
    title->setFont(QFont(QStringLiteral("Arial"), 24, QFont::Bold));

    auto *link = new ClickableLabel(kAddress, this);
    link->setObjectName(QStringLiteral("Label7"));
    link->setCursor(Qt::PointingHandCursor);
    QPalette blue = link->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    link->setPalette(blue);
    QFont underlined = link->font();
    underlined.setUnderline(true);
    link->setFont(underlined);
    connect(link, &ClickableLabel::clicked, this, &Tabout::Label7Click);

    auto *notice = PlainText::label(kCopyright, this);
    notice->setObjectName(QStringLiteral("Label2"));

    auto *versionCaption = PlainText::label(QStringLiteral("Version"), this);
    versionCaption->setObjectName(QStringLiteral("Label3"));
    auto *version = PlainText::label(QString::fromLatin1(game::kVersionText), this);
    version->setObjectName(QStringLiteral("version"));
    auto *build = PlainText::label(QStringLiteral(".11"), this);
    build->setObjectName(QStringLiteral("Label4"));
    auto *versionRow = new QHBoxLayout;
    versionRow->setSpacing(0);
    versionRow->addStretch();
    versionRow->addWidget(versionCaption);
    versionRow->addSpacing(4);
    versionRow->addWidget(version);
    versionRow->addWidget(build);
    versionRow->addStretch();

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    connect(ok, &QPushButton::clicked, this, &QWidget::close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(logo, 0, Qt::AlignHCenter);
    layout->addWidget(title, 0, Qt::AlignHCenter);
    layout->addWidget(link, 0, Qt::AlignHCenter);
    layout->addWidget(notice, 0, Qt::AlignHCenter);
    layout->addLayout(versionRow);
    layout->addSpacing(8);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    resize(280, 240);
}

void Tabout::Label7Click()
{
    if (openAddress)
        openAddress(kAddress);
}
