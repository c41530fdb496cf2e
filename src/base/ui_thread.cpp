#include "base/ui_thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

bool OnUiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

void RunOnUiThread(const std::function<void()>& work) {
    // Without an application object there is no other thread to hand the work to.
    if (QCoreApplication::instance() == nullptr || OnUiThread()) {
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
