#include "jobs/job_list.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPalette>
#include <QTableWidget>

#include <array>

namespace {

struct ColumnLayout {
    const char* header;
    int width;
    Qt::Alignment alignment;
};

constexpr std::array<ColumnLayout, kJobColumnCount> kColumns{{
    {"Video File Name", 310, Qt::AlignLeft | Qt::AlignVCenter},
    {"Video Size", 90, Qt::AlignCenter},
    {"FrameRate", 80, Qt::AlignCenter},
    {"Duration", 60, Qt::AlignCenter},
    {"Output", 65, Qt::AlignCenter},
    {"Progress", 57, Qt::AlignCenter},
    {"Frames", 60, Qt::AlignCenter},
}};

constexpr Qt::ItemFlags kCellFlags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;

QTableWidgetItem* MakeCell(JobColumn column, const QString& text) {
    auto* cell = new QTableWidgetItem(text);
    cell->setTextAlignment(kColumns[column].alignment);
    cell->setFlags(column == kJobFileName ? (kCellFlags | Qt::ItemIsUserCheckable) : kCellFlags);
    return cell;
}

bool ValidCell(const QTableWidget* list, int row, int column) {
    return row >= 0 && row < list->rowCount() && column >= 0 && column < kJobColumnCount;
}

void SetEveryCheckBox(QTableWidget* list, Qt::CheckState state) {
    for (int row = 0; row < list->rowCount(); ++row) {
        if (QTableWidgetItem* cell = list->item(row, kJobFileName)) {
            cell->setCheckState(state);
        }
    }
}

} // namespace

void SetUpJobList(QTableWidget* list) {
    list->setColumnCount(kJobColumnCount);
    for (int column = 0; column < kJobColumnCount; ++column) {
        auto* header = new QTableWidgetItem(QString::fromLatin1(kColumns[column].header));
        header->setTextAlignment(kColumns[column].alignment);
        list->setHorizontalHeaderItem(column, header);
        list->setColumnWidth(column, kColumns[column].width);
    }
    list->horizontalHeader()->setHighlightSections(false);
    list->horizontalHeader()->setStretchLastSection(false);
    list->verticalHeader()->hide();
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 4);
    list->setShowGrid(true);
    list->setWordWrap(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setTextElideMode(Qt::ElideRight);

    // The selected row stays marked while the user works elsewhere in the window.
    QPalette palette = list->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    list->setPalette(palette);
}

void AppendJobRow(QTableWidget* list, const QString& sourcePath, const QString& frameSize,
                  const QString& frameRate, const QString& duration, const QString& extension) {
    const bool updates = list->updatesEnabled();
    list->setUpdatesEnabled(false);
    const int row = list->rowCount();
    list->insertRow(row);
    const std::array<QString, kJobColumnCount> texts{sourcePath, frameSize, frameRate, duration,
                                                     extension,  QString(), QString()};
    for (int column = 0; column < kJobColumnCount; ++column) {
        list->setItem(row, column, MakeCell(static_cast<JobColumn>(column), texts[column]));
    }
    list->setUpdatesEnabled(updates);
    SetJobChecked(list, list->rowCount() - 1, true);
}

void CheckAllJobs(QTableWidget* list) {
    SetEveryCheckBox(list, Qt::Checked);
}

void UncheckAllJobs(QTableWidget* list) {
    SetEveryCheckBox(list, Qt::Unchecked);
}

void RemoveSelectedJob(QTableWidget* list) {
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        return;
    }
    list->removeRow(selected.first().row());
    // The view hands the selection on to the row that moves up; the list keeps none, so that
    // the next Remove takes only a row the user picks.
    list->clearSelection();
}

void ClearAllJobs(QTableWidget* list) {
    list->setRowCount(0);
}

QString JobCellText(const QTableWidget* list, int row, JobColumn column) {
    if (!ValidCell(list, row, column)) {
        return QString();
    }
    const QTableWidgetItem* cell = list->item(row, column);
    return cell != nullptr ? cell->text() : QString();
}

void SetJobCellText(QTableWidget* list, int row, JobColumn column, const QString& text) {
    if (!ValidCell(list, row, column)) {
        return;
    }
    if (QTableWidgetItem* cell = list->item(row, column)) {
        cell->setText(text);
    } else {
        list->setItem(row, column, MakeCell(column, text));
    }
}

bool IsJobChecked(const QTableWidget* list, int row) {
    if (!ValidCell(list, row, kJobFileName)) {
        return false;
    }
    const QTableWidgetItem* cell = list->item(row, kJobFileName);
    return cell != nullptr && cell->checkState() == Qt::Checked;
}

void SetJobChecked(QTableWidget* list, int row, bool checked) {
    if (!ValidCell(list, row, kJobFileName)) {
        return;
    }
    if (QTableWidgetItem* cell = list->item(row, kJobFileName)) {
        cell->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
}
