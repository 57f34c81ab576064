#include "pkl/pkllistbox.h"

#include <QMouseEvent>

#include <algorithm>

PklListBox::PklListBox(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);  // thousands of names lay out at once
}

int PklListBox::AddStrings(const QStringList &names)
{
    QStringList all;
    all.reserve(count() + names.size());
    for (int row = 0; row < count(); ++row)
        all.append(item(row)->text());
    all.append(names);
    std::stable_sort(all.begin(), all.end(), &PklListBox::Before);
    ResetContent();
    addItems(all);
    // No current item: the first arrow key then selects the first name, as it would in a list
    // that has never had a selection.
    setCurrentIndex(QModelIndex());
    return int(names.size());
}

void PklListBox::ResetContent()
{
    clear();
}

std::optional<QString> PklListBox::GetSelText() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    const auto first = std::min_element(rows.begin(), rows.end(),
                                        [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    return first->data().toString();
}

bool PklListBox::Before(const QString &a, const QString &b)
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a.compare(b, Qt::CaseSensitive) < 0;
}

void PklListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit dblClk();
}
