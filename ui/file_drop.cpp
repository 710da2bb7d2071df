#include "ui/file_drop.h"

#include <QChildEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

DroppedFile ReadDroppedFile(const QMimeData* data) {
  const QList<QUrl> urls = data ? data->urls() : QList<QUrl>();
  if (urls.isEmpty())
    return {{},
            QCoreApplication::translate("FileDrop",
                                        "Открыть можно только файл: перетащите в окно один файл.")};
  if (urls.size() > 1) {
    return {
        {},
        QCoreApplication::translate("FileDrop", "Можно открыть только один файл, а перетащено %1.")
            .arg(urls.size())};
  }
  const QUrl& url = urls.first();
  if (!url.isLocalFile() || url.toLocalFile().isEmpty()) {
    return {
        {},
        QCoreApplication::translate(
            "FileDrop", "«%1» — не файл на этом компьютере: открыть можно только локальный файл.")
            .arg(url.toDisplayString())};
  }
  return {url.toLocalFile(), {}};
}

void AcceptFileDrag(QDropEvent* event) {
  if (!(event->possibleActions() & Qt::CopyAction)) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

FileDropForwarder::FileDropForwarder(QWidget* area) : QObject(area), area_(area) {
  area->installEventFilter(this);
  for (QObject* child : area->children())
    Watch(child);
}

void FileDropForwarder::Watch(QObject* object) {
  if (object->isWidgetType())
    object->installEventFilter(this);
}

bool FileDropForwarder::eventFilter(QObject* watched, QEvent* event) {
  if (watched == area_) {
    if (event->type() == QEvent::ChildAdded)
      Watch(static_cast<QChildEvent*>(event)->child());
    return false;
  }
  if (event->type() != QEvent::DragEnter)
    return false;
  auto* enter = static_cast<QDragEnterEvent*>(event);
  if (!enter->mimeData() || !enter->mimeData()->hasUrls())
    return false;
  // Refused here, the drag goes on to the parents; the window takes it, and
  // the moves and the drop go to the window from then on.
  enter->ignore();
  return true;
}
