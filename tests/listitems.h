#pragma once

#include <QListWidget>
#include <QStringList>

// The texts of a check list, each checked item marked " [x]", for comparing a whole list at once.
inline QStringList items(QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem *item = list->item(i);
        texts.append(item->text() + (item->checkState() == Qt::Checked ? QStringLiteral(" [x]") : QString()));
    }
    return texts;
}
