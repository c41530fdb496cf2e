#pragma once
// Files dragged from the file manager onto the job list. A drop hands its files to the
// add-files command, so dropped files get the same analysis, probes, Cancel and rows as files
// chosen in the open dialog.

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

class AddFilesFlow;
class QTableWidget;

// The files a drop stands for, in the order dropped: a local file as it is; a folder as the
// files directly inside it that the open dialog lists, by name (no subfolders); anything that
// is not a local file or folder is left out.
QStringList DroppedSourceFiles(const QList<QUrl>& urls);

class JobListDropTarget : public QObject {
    Q_OBJECT
public:
    // Watches the list's viewport, where drags arrive; lives as long as the list.
    JobListDropTarget(QTableWidget* list, AddFilesFlow* flow);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Offers(const QList<QUrl>& urls) const;

    AddFilesFlow* m_flow;
};
