// The floor for start-up and memory: a minimal Qt program that shows a main
// window holding an empty table widget of the editor's grid size, and quits as
// soon as the window is shown and the event loop has nothing left to do.
#include <QApplication>
#include <QMainWindow>
#include <QTableWidget>
#include <QTimer>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  auto* table = new QTableWidget(67, 14, &window);
  window.setCentralWidget(table);
  window.resize(870, 640);
  window.showMaximized();
  QTimer::singleShot(0, &app, &QCoreApplication::quit);
  return app.exec();
}
