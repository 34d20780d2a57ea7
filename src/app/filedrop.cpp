#include "filedrop.h"

#include "mainwindow.h"

#include <core/prompter.h>
#include <project/filenames.h>
#include <project/jetheader.h>
#include <widgets/keygrid.h>

#include <QDropEvent>
#include <QMimeData>

#include <algorithm>

namespace qlv {

bool isProjectOrImage(const QString& path)
{
    return hasExtension(path, QStringLiteral(".qlv")) ||
           hasExtension(path, QStringLiteral(".bin")) || readJetHeader(path) != JetHeader::None;
}

FileDrop::FileDrop(MainWindow& window, KeyGrid& grid, Prompter& prompter,
                   std::function<bool()> busy)
    : QObject(&window)
    , m_window(window)
    , m_prompter(prompter)
    , m_busy(std::move(busy))
{
    window.setAcceptDrops(true);
    window.installEventFilter(this);
    connect(&grid, &KeyGrid::filesDropped, this, &FileDrop::drop);
}

bool FileDrop::acceptable(const QList<QUrl>& urls) const
{
    return !urls.isEmpty() && !m_busy() &&
           std::all_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

bool FileDrop::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_window)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto* dragged = static_cast<QDropEvent*>(event);
        const QMimeData* mime = dragged->mimeData();
        if (!mime || !acceptable(mime->urls())) {
            dragged->ignore();
            return true;
        }
        dragged->acceptProposedAction();
        if (event->type() == QEvent::Drop)
            drop(mime->urls(), -1);
        return true;
    }
    default:
        return false;
    }
}

void FileDrop::drop(const QList<QUrl>& urls, int row)
{
    if (!acceptable(urls))
        return;
    // After the drop has returned: the drag's source is not kept waiting on our questions.
    QMetaObject::invokeMethod(
        this,
        [this, urls, row] {
            if (m_busy())
                return;
            // One file: an open replaces the project and two imports at one row would
            // overwrite each other; no order of several files would be the user's.
            if (urls.size() > 1) {
                m_prompter.notice(QStringLiteral("Drop one file at a time."));
                return;
            }
            const QString path = urls.front().toLocalFile();
            if (isProjectOrImage(path))
                m_window.openFile(path);
            else if (row >= 0)
                m_window.importCodesFile(path, row);
            else
                m_prompter.notice(
                    QStringLiteral("Drop a code file on the row where its codes should go."));
        },
        Qt::QueuedConnection);
}

} // namespace qlv
