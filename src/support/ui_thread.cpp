#include "support/ui_thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace {
bool OnUiThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app == nullptr || QThread::currentThread() == app->thread();
}
} // namespace

void RunOnUiThread(const std::function<void()>& work) {
    if (OnUiThread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&work] { work(); }, Qt::BlockingQueuedConnection);
}

void PostToUiThread(std::function<void()> work) {
    if (QCoreApplication::instance() == nullptr) {
        work();
        return;
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}
