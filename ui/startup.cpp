#include "startup.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include "about_form.h"
#include "main_form.h"

int RunEditor(int& argc, char** argv, bool quitOnceShown) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Trevalune"));
  QGuiApplication::setDesktopFileName(QStringLiteral("trevalune"));
  Q_INIT_RESOURCE(resources);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/trevalune.svg")));

  TMainForm MainForm;
  // Hidden until About is chosen. A window of the main window's, so it stays
  // above it and closing the main window ends the program whatever it shows.
  TAboutForm AboutForm(&MainForm);
  AboutForm.hide();
  MainForm.SetAboutForm(&AboutForm);

  MainForm.showMaximized();
  if (quitOnceShown)
    QTimer::singleShot(0, &application, &QCoreApplication::quit);
  return QApplication::exec();
}
