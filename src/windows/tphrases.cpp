#include "windows/tphrases.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/background.h"

Tphrases::Tphrases(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("phrases"));
    setWindowTitle(QStringLiteral("Phrase Buttons - Morvello"));
    setFont(QFont(QStringLiteral("Arial"), 8));
    applyTiledBackground(this);

    auto *form = new QFormLayout;
    for (int n = 1; n <= 10; ++n) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("phrase%1").arg(n));
        edit->setMaxLength(kMaxLength);
        // The keys 1..9 and 0 of the keyboard row.
        form->addRow(QStringLiteral("Phrase Button %1:").arg(n % 10), edit);
    }
    auto *done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("SelButton8"));
    connect(done, &QPushButton::clicked, this, &Tphrases::SelButton8Click);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(done, 0, Qt::AlignHCenter);
    resize(360, 320);
}

QLineEdit *Tphrases::phrase(int n) const
{
    return findChild<QLineEdit *>(QStringLiteral("phrase%1").arg(n));
}

void Tphrases::showPhrases(const QStringList &phrases)
{
    for (int n = 1; n <= 10; ++n)
        phrase(n)->setText(phrases.value(n - 1));
}

void Tphrases::SelButton8Click()
{
    QStringList phrases;
    for (int n = 1; n <= 10; ++n)
        phrases.append(phrase(n)->text());
    emit phrasesDone(phrases);
    hide();
}
