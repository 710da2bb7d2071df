#pragma once

#include <QObject>
#include <QString>

class QDropEvent;
class QMimeData;
class QWidget;

// What was dropped on the window: one local file to open, or why nothing opens.
struct DroppedFile {
  QString path;     // the file to open; empty when refused
  QString refusal;  // the message for the user; empty when a file is given
};

// Only a single local file can be opened; several files, a web address or
// text are refused with a message saying so.
DroppedFile ReadDroppedFile(const QMimeData* data);

// Lets any drag (its enter, its moves, the drop) end on the window, so that a
// drop of anything but one file is explained rather than refused by the
// cursor. Accepted as a copy, never a move: the source keeps its file.
void AcceptFileDrag(QDropEvent* event);

// The grid's cell editors are text fields and take every drag that carries
// text, as a file manager's drag of a file does. This sends the drags that
// carry addresses past the editors in `area` (present and future) to the
// widgets around them, up to the window; drags of plain text still go to the
// editors.
class FileDropForwarder : public QObject {
 public:
  explicit FileDropForwarder(QWidget* area);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Watch(QObject* object);

  QWidget* area_;
};
