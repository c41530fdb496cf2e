#include "analysis/job_list_drop.h"

#include "analysis/add_files_flow.h"
#include "analysis/open_dialog_filter.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>

QStringList DroppedSourceFiles(const QList<QUrl>& urls) {
    QStringList files;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) {
            continue;
        }
        const QString path = url.toLocalFile();
        const QFileInfo info(path);
        if (!info.isDir()) {
            files << path;
            continue;
        }
        // The names as the file system holds them; sorted by their bytes, which is the order
        // of the file manager's plain "by name" listing closely enough and never depends on the
        // locale.
        const QDir folder(path);
        QStringList names = folder.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
        std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
            return QFile::encodeName(a) < QFile::encodeName(b);
        });
        for (const QString& name : names) {
            if (OpenDialogListsFile(QFile::encodeName(name).toStdString())) {
                files << folder.filePath(name);
            }
        }
    }
    return files;
}

JobListDropTarget::JobListDropTarget(QTableWidget* list, AddFilesFlow* flow)
    : QObject(list->viewport()), m_flow(flow) {
    // The viewport only: on the view itself the flag would switch on the view's own drop
    // handling, which inserts dropped items into the model as they come.
    list->viewport()->setAcceptDrops(true);
    list->viewport()->installEventFilter(this);
}

bool JobListDropTarget::Offers(const QList<QUrl>& urls) const {
    return m_flow->AcceptsDroppedFiles() &&
           std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

bool JobListDropTarget::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (drag->mimeData()->hasUrls() && Offers(drag->mimeData()->urls())) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!drop->mimeData()->hasUrls() || !Offers(drop->mimeData()->urls())) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        // The analysis waits on its files with the event loop running; inside the drop it
        // would keep the file manager waiting for the drop's end all that time.
        const QStringList files = DroppedSourceFiles(drop->mimeData()->urls());
        AddFilesFlow* flow = m_flow;
        QTimer::singleShot(0, this, [flow, files] { flow->AddDroppedFiles(files); });
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
