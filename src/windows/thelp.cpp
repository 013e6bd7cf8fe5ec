#include "windows/thelp.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include "ui/background.h"
#include "windows/tabout.h"
#include "ui/plaintext.h"

namespace {

struct Page {
    const char *caption;
    const char *resource;
};

// The pages' texts are resources: HTML, and the project's licence as it stands in LICENSE.
const Page kPages[7] = {
    {nullptr, nullptr},
    {"Overview", ":/text/help/overview.html"},
    {"Connecting", ":/text/help/connecting.html"},
    {"Game Play", ":/text/help/gameplay.html"},
    {"Scoring", ":/text/help/scoring.html"},
    {"Documentation", ":/text/help/documentation.html"},
    {"License", ":/text/LICENSE"},
};

QString readText(const char *resource)
{
    QFile file(QString::fromLatin1(resource));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

Thelp::Thelp(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("help"));
    setWindowTitle(QStringLiteral("Morvello - Help File"));
    setFont(QFont(QStringLiteral("Arial"), 8));
    applyTiledBackground(this);

    auto *side = new QVBoxLayout;
    for (int tag = 1; tag <= 6; ++tag) {
        auto *button = new QPushButton(QString::fromLatin1(kPages[tag].caption), this);
        button->setObjectName(QStringLiteral("SelButton%1").arg(tag));
        button->setProperty("Tag", tag);
        connect(button, &QPushButton::clicked, this, [this, tag] { showPage(tag); });
        side->addWidget(button);
    }
    side->addStretch();
    auto *aboutButton = new QPushButton(QStringLiteral("About"), this);
    aboutButton->setObjectName(QStringLiteral("button_about"));
    aboutButton->setProperty("Tag", 10);
    connect(aboutButton, &QPushButton::clicked, this, [this] {
        if (about_) {
            about_->show();
            about_->raise();
        }
    });
    side->addWidget(aboutButton);
    auto *done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("button_done"));
    connect(done, &QPushButton::clicked, this, &QWidget::hide);
    side->addWidget(done);

    label_caption_ = PlainText::label(QString(), this);
    label_caption_->setObjectName(QStringLiteral("label_caption"));
    label_caption_->setFont(QFont(QStringLiteral("Arial"), 14, QFont::Bold));
    pages_ = new QStackedWidget(this);
    // The pages are made and laid out when first shown rather than at start-up.
    for (int tag = 1; tag <= 6; ++tag)
        pages_->addWidget(new QWidget(pages_));
    auto *main = new QVBoxLayout;
    main->addWidget(label_caption_);
    main->addWidget(pages_);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(side);
    layout->addLayout(main, 1);
    pages_->setCurrentIndex(0);
    label_caption_->setText(QString::fromLatin1(kPages[1].caption));
    resize(620, 460);
}

void Thelp::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    showPage(pages_->currentIndex() + 1);
}

void Thelp::showPage(int tag)
{
    if (tag < 1 || tag > 6)
        return;
    auto *memo = qobject_cast<QTextBrowser *>(pages_->widget(tag - 1));
    if (!memo) {
        QWidget *placeholder = pages_->widget(tag - 1);
        memo = new QTextBrowser(pages_);
        memo->setObjectName(QStringLiteral("memo%1").arg(tag));
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        pages_->insertWidget(tag - 1, memo);
        pages_->removeWidget(placeholder);
        delete placeholder;
        const QString text = readText(kPages[tag].resource);
        if (QByteArrayView(kPages[tag].resource).endsWith(".html"))
            memo->setHtml(text);
        else
            // Paragraphs of the plain text flow with the page's width.
            memo->setPlainText(QString(text).replace(QRegularExpression(QStringLiteral("(?<!\n)\n(?!\n)")),
                                                     QStringLiteral(" ")));
    }
    pages_->setCurrentIndex(tag - 1);
    label_caption_->setText(QString::fromLatin1(kPages[tag].caption));
}
