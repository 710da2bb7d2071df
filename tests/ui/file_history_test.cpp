// Files reaching the window other than through Open's dialog: dropped on it,
// chosen from Недавние файлы, and the folder the dialogs start in, all three
// surviving a restart of the window. The settings are the tests' own (see
// ui_test_main.cpp) and empty at the start of each test.

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <utility>

#include <gtest/gtest.h>

#include "samplegen/sample_image.h"
#include "tests/ui/window_fixtures.h"
#include "ui/main_form.h"
#include "ui/recent_files.h"
#include "ui/user_dialogs.h"
#include "ui/user_settings.h"

namespace {

TEST(RecentFilesTest, NewestFirstEachFileOnceAtMostEight) {
  const QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  RecentFiles recent;
  for (int i = 0; i < 10; ++i)
    recent.Add(dir.filePath(QStringLiteral("%1.exe").arg(i)));
  // The same file spelled another way moves to the front instead of repeating.
  recent.Add(dir.filePath(QStringLiteral("sub/../5.exe")));
  const auto file = [&dir](int i) { return dir.filePath(QStringLiteral("%1.exe").arg(i)); };
  const QStringList expected{file(5), file(9), file(8), file(7),
                             file(6), file(4), file(3), file(2)};
  EXPECT_EQ(recent.Paths(), expected);

  // Kept in settings and read back the same; whatever else is stored there
  // (empty entries, repeats, more than eight) reads as a clean list.
  UserSettings settings([&dir] {
    return std::make_unique<QSettings>(dir.filePath(QStringLiteral("settings.ini")),
                                       QSettings::IniFormat);
  });
  recent.Save(settings);
  EXPECT_EQ(RecentFiles::Load(settings).Paths(), expected);
  settings.setValue(QStringLiteral("recentFiles"),
                    QStringList{file(1), QString(), file(1), file(2), file(3), file(4), file(5),
                                file(6), file(7), file(8), file(9)});
  EXPECT_EQ(RecentFiles::Load(settings).Paths(),
            (QStringList{file(1), file(2), file(3), file(4), file(5), file(6), file(7), file(8)}));
  recent.Clear();
  recent.Save(settings);
  EXPECT_TRUE(RecentFiles::Load(settings).Paths().isEmpty());
}

// Settings that stand as they are, a one-path list included (the file reads it
// back as a string), are not written again: no rewrite and no sync per Open.
TEST(UserSettingsTest, WritesOnlyWhatChanges) {
  const QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("settings.ini"));
  const auto set = [&](const QString& folder) {  // on the disk once it is gone
    UserSettings settings([&] { return std::make_unique<QSettings>(path, QSettings::IniFormat); });
    settings.setValue(QStringLiteral("lastFolder"), folder);
    settings.setValue(QStringLiteral("recentFiles"), QStringList{dir.path()});
    settings.remove(QStringLiteral("language"));
  };
  set(dir.path());
  const QDateTime long_ago(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite) &&
              file.setFileTime(long_ago, QFileDevice::FileModificationTime));
  file.close();
  set(dir.path());
  EXPECT_EQ(QFileInfo(path).lastModified().toUTC(), long_ago);
  set(dir.filePath(QStringLiteral("sub")));
  EXPECT_NE(QFileInfo(path).lastModified().toUTC(), long_ago);
}

class FileHistoryTest : public WindowTest {
 protected:
  static constexpr Qt::DropActions kOffered = Qt::CopyAction | Qt::MoveAction;

  // Closes the window and starts a new one, as the next run of the editor would.
  void Restart() {
    form.reset();
    WindowTest::SetUp();
  }

  // Where the Open dialog starts now (it is cancelled).
  QString OpenDialogFolder() {
    form->OpenClick();
    return dialogs.dialog_folders.last();
  }

  // Drags `data` over `target` and drops it there as a file manager would,
  // offering a copy or a move, then lets the window act on it. The window
  // takes the drag whatever it carries, and only ever as a copy: a move
  // would have the file manager delete the file.
  void Drop(QWidget* target, const QMimeData& data) {
    QDragEnterEvent enter(QPoint(5, 5), kOffered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    QDropEvent drop(QPointF(5, 5), kOffered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    QApplication::processEvents();
  }

  // Addresses, with their text too, as file managers offer them.
  static std::unique_ptr<QMimeData> Urls(const QList<QUrl>& urls) {
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    QStringList texts;
    for (const QUrl& url : urls)
      texts << url.toString();
    data->setText(texts.join('\n'));
    return data;
  }

  // The items of Недавние файлы above its separator, as the user sees them
  // when the submenu opens.
  QStringList RecentItems() const {
    emit Named<QMenu>(form, "mm_Recent")->aboutToShow();
    QStringList texts;
    for (const QAction* item : Named<QMenu>(form, "mm_Recent")->actions()) {
      if (item->isSeparator())
        break;
      texts << item->text();
    }
    return texts;
  }

  QAction* RecentItem(const QString& text) const {
    emit Named<QMenu>(form, "mm_Recent")->aboutToShow();
    for (QAction* item : Named<QMenu>(form, "mm_Recent")->actions()) {
      if (item->text() == text)
        return item;
    }
    ADD_FAILURE() << "no item " << text.toStdString();
    return nullptr;
  }
};

TEST_F(FileHistoryTest, OneDroppedLocalFileOpensAnythingElseIsExplained) {
  const QString sample = WriteSample(QStringLiteral("HMM2PL.exe"));
  const QString other = WriteSample(QStringLiteral("other.exe"), 8);

  const std::unique_ptr<QMimeData> one_file = Urls({QUrl::fromLocalFile(sample)});
  // The cell editor is a text field and still takes a drag of text; a file
  // goes past it to the window.
  Named<TStringGrid>(form, "sg_Table")->SetCurrentCell(2, 3);
  QMimeData text;
  text.setText(QStringLiteral("12"));
  QDragEnterEvent enter(QPoint(5, 5), kOffered, &text, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Named<TStringGrid>(form, "sg_Table")->CellEditor(), &enter);
  QDropEvent text_drop(QPointF(5, 5), kOffered, &text, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Named<TStringGrid>(form, "sg_Table")->CellEditor(), &text_drop);
  QApplication::processEvents();
  EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->CellEditor()->text(), QStringLiteral("12"));
  EXPECT_TRUE(dialogs.errors.isEmpty());

  // Refused drops say why and read nothing.
  Drop(Named<TStringGrid>(form, "sg_Table")->viewport(),
       *Urls({QUrl::fromLocalFile(sample), QUrl::fromLocalFile(other)}));
  Drop(Named<TStringGrid>(form, "sg_Table")->CellEditor(),
       *Urls({QUrl(QStringLiteral("https://example.org/a.exe"))}));
  Drop(Named<QTabBar>(form, "tc_Tabs"), text);
  ASSERT_EQ(dialogs.errors.size(), 3);
  EXPECT_EQ(dialogs.errors[0], QStringLiteral("Можно открыть только один файл, а перетащено 2."));
  EXPECT_TRUE(dialogs.errors[1].contains(QStringLiteral("https://example.org/a.exe")));
  EXPECT_TRUE(dialogs.errors[1].contains(QStringLiteral("только локальный файл")));
  EXPECT_FALSE(dialogs.errors[2].isEmpty());
  EXPECT_EQ(store.reads, 0);
  EXPECT_FALSE(form->FileLoaded());
  EXPECT_TRUE(RecentItems().isEmpty());

  // A file of another size asks as Open does; No leaves nothing loaded.
  QFile short_file(Path(QStringLiteral("short.exe")));
  ASSERT_TRUE(short_file.open(QIODevice::WriteOnly));
  short_file.write(QByteArray(100, 'x'));
  short_file.close();
  Drop(form.get(), *Urls({QUrl::fromLocalFile(short_file.fileName())}));
  EXPECT_EQ(dialogs.size_warnings, 1);
  EXPECT_FALSE(form->FileLoaded());

  // One file dropped on the cell editor opens; the editor keeps no path.
  Drop(Named<TStringGrid>(form, "sg_Table")->CellEditor(), *one_file);
  ASSERT_TRUE(form->FileLoaded());
  EXPECT_EQ(form->TargetFileName(), sample);
  EXPECT_EQ(QString::fromStdString(Named<TStringGrid>(form, "sg_Table")->CellText(2, 3)),
            Named<TStringGrid>(form, "sg_Table")->CellEditor()->text());
  EXPECT_EQ(dialogs.errors.size(), 3);
  EXPECT_EQ(RecentItems(), QStringList{QStringLiteral("&1 ") + QDir::toNativeSeparators(sample)});
}

TEST_F(FileHistoryTest, RecentFilesSurviveARestartAndForgetMissingFiles) {
  EXPECT_FALSE(Named<QMenu>(form, "mm_Recent")->menuAction()->isEnabled());
  const QString first = WriteSample(QStringLiteral("HMM2PL.exe"));
  const QString copy = Path(QStringLiteral("a & b/copy.exe"));
  ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("a & b"))));
  OpenFile(first);
  SaveAs(copy);
  OpenFile(first);  // again: moves to the top, not listed twice

  Restart();
  const QString first_item = QStringLiteral("&1 ") + QDir::toNativeSeparators(first);
  const QString copy_item =
      QStringLiteral("&2 ") + QDir::toNativeSeparators(copy).replace('&', QStringLiteral("&&"));
  ASSERT_EQ(RecentItems(), (QStringList{first_item, copy_item}));
  EXPECT_TRUE(Named<QMenu>(form, "mm_Recent")->menuAction()->isEnabled());

  // Chosen, the file opens as Open opens it and comes first.
  RecentItem(copy_item)->trigger();
  ASSERT_TRUE(form->FileLoaded());
  EXPECT_EQ(form->TargetFileName(), copy);
  EXPECT_EQ(RecentItems().first(), QString(copy_item).replace(1, 1, QLatin1Char('1')));

  // A file gone since is reported and leaves the list; nothing else changes.
  ASSERT_TRUE(QFile::remove(first));
  const int reads = store.reads;
  RecentItem(QStringLiteral("&2 ") + QDir::toNativeSeparators(first))->trigger();
  ASSERT_EQ(dialogs.errors.size(), 1);
  EXPECT_EQ(dialogs.errors[0], QStringLiteral("Файл «%1» не найден: он убран из списка недавних.")
                                   .arg(QDir::toNativeSeparators(first)));
  EXPECT_EQ(store.reads, reads);
  EXPECT_EQ(form->TargetFileName(), copy);
  EXPECT_EQ(RecentItems().size(), 1);

  RecentItem(QStringLiteral("&Очистить список"))->trigger();
  EXPECT_TRUE(RecentItems().isEmpty());
  EXPECT_FALSE(Named<QMenu>(form, "mm_Recent")->menuAction()->isEnabled());
  Restart();
  EXPECT_FALSE(Named<QMenu>(form, "mm_Recent")->menuAction()->isEnabled());
}

// The folder of the file chosen last is where the next run's dialogs start;
// once it is gone, the next run starts where a first run would.
TEST_F(FileHistoryTest, DialogFolderSurvivesARestart) {
  EXPECT_EQ(OpenDialogFolder(), QDir::currentPath());
  OpenFile(WriteSample(QStringLiteral("kept/HMM2PL.exe")));
  Restart();
  EXPECT_EQ(OpenDialogFolder(), Path(QStringLiteral("kept")));
  ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("saved"))));
  OpenFile(Path(QStringLiteral("kept/HMM2PL.exe")));
  SaveAs(Path(QStringLiteral("saved/copy.exe")));
  Restart();
  EXPECT_EQ(OpenDialogFolder(), Path(QStringLiteral("saved")));
  ASSERT_TRUE(QDir(Path(QStringLiteral("saved"))).removeRecursively());
  Restart();
  EXPECT_EQ(OpenDialogFolder(), QDir::currentPath());
}

// Qt's file dialog writes its own settings file, with a disk sync, as it is
// destroyed: each kind is made once and kept while the window lives, so that
// no use of a dialog writes that file, which is written once they go. A kept
// dialog still starts each time in the folder and with the name asked for,
// only the name's file name part, and with no name asked for offers none.
TEST(FileDialogsTest, KeptWhileTheWindowLivesAndStartEachTimeAsAsked) {
  using Kind = UserDialogs::FileKind;
  const QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString a = dir.filePath(QStringLiteral("a"));
  const QString b = dir.filePath(QStringLiteral("b"));
  for (const QString& file : {a + QStringLiteral("/one.exe"), a + QStringLiteral("/two.csv"),
                              a + QStringLiteral("/three.csv"), b + QStringLiteral("/four.csv")}) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
    ASSERT_TRUE(WriteBytes(file, Bytes{1}));
  }
  // Qt's dialogs keep their state under FileDialog in QtProject's settings:
  // a file on Linux, the registry on Windows.
  const auto qt_settings_written = [] {
    return QSettings(QSettings::UserScope, QStringLiteral("QtProject"))
        .childGroups()
        .contains(QStringLiteral("FileDialog"));
  };
  QSettings(QSettings::UserScope, QStringLiteral("QtProject")).remove(QStringLiteral("FileDialog"));
  ASSERT_FALSE(qt_settings_written());

  const auto in = [](const QString& folder, const char* name) {
    return folder + QLatin1Char('/') + QLatin1String(name);
  };
  const struct {
    Kind kind;
    QString folder;
    QString name;  // proposed
    bool several;
    QString shown;  // the name the dialog offers
    QString typed;  // then typed and accepted; cancelled when empty
    QStringList chosen;
    // Typed key by key, as a user types, with the completion list that
    // brings up; otherwise set and accepted at once.
    bool by_keys = false;
  } asks[] = {
      {Kind::Executable, a, "HMM2PL.exe", false, "HMM2PL.exe", "one.exe", {in(a, "one.exe")}},
      {Kind::Executable, b, in(a, "one.exe"), false, "one.exe", {}, {}},
      {Kind::Executable, a, "HMM2PL.exe", false, "HMM2PL.exe", "one.exe", {in(a, "one.exe")}, true},
      {Kind::Csv, a, {}, false, {}, "two.csv", {in(a, "two.csv")}},
      {Kind::Csv, a, {}, false, {}, {}, {}},
      {Kind::Csv,
       a,
       {},
       true,
       {},
       "\"three.csv\" \"two.csv\"",
       {in(a, "three.csv"), in(a, "two.csv")}},
      {Kind::Csv, b, {}, false, {}, "four.csv", {in(b, "four.csv")}},
      {Kind::SaveCsv, b, "changes.csv", false, "changes.csv", "new", {in(b, "new.csv")}},
      {Kind::SaveCsv, a, "creatures.csv", false, "creatures.csv", {}, {}},
  };
  QWidget window;
  window.show();
  auto dialogs = std::make_unique<QtUserDialogs>();
  for (const auto& ask : asks) {
    SCOPED_TRACE(::testing::Message()
                 << static_cast<int>(ask.kind) << " in " << ask.folder.toStdString()
                 << " offering \"" << ask.name.toStdString() << '"');
    QString folder_shown;
    QString name_shown;
    QStringList selected;
    // A dialog still up once answered has refused the answer, and is cancelled.
    bool answered = false;
    QElapsedTimer up;
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr)
        return;
      // Answered once its folder is listed, as a user answers what is shown
      // (or after half a second, for a folder that lists nothing).
      if (!up.isValid())
        up.start();
      const auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
      if (!answered && up.elapsed() < 500 &&
          (list == nullptr || list->model()->rowCount(list->rootIndex()) == 0))
        return;
      if (std::exchange(answered, true)) {
        dialog->reject();
        return;
      }
      folder_shown = dialog->directory().absolutePath();
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      ASSERT_NE(name, nullptr);
      name_shown = name->text();
      if (ask.typed.isEmpty()) {
        dialog->reject();
        return;
      }
      if (ask.by_keys) {
#ifdef Q_OS_WIN
        // Qt's own dialog on Windows selects the folder itself while a name
        // is typed into it key by key, and then opens that folder; Windows
        // users get the system's dialog, which has no completion list.
        name->setText(ask.typed);
        static_cast<QDialog*>(dialog)->accept();
        return;
#endif
        // Key by key, with the completion list that brings up, then Открыть.
        name->clear();
        QTest::keyClicks(name, ask.typed);
        static_cast<QDialog*>(dialog)->accept();
        return;
      }
      // Typed and accepted in one go, as the dialog's listing may come later.
      name->setText(ask.typed);
      static_cast<QDialog*>(dialog)->accept();
    });
    answer.start();
    if (ask.several) {
      selected = dialogs->AskFileNames(&window, ask.kind, ask.folder);
    } else {
      const QString one = dialogs->AskFileName(&window, ask.kind, ask.folder, ask.name);
      if (!one.isEmpty())
        selected << one;
    }
    EXPECT_EQ(folder_shown, ask.folder);
    EXPECT_EQ(name_shown, ask.shown);
    EXPECT_EQ(selected, ask.chosen);
    EXPECT_FALSE(qt_settings_written());
    // Nothing of the dialog stays in sight, not even once the folder's
    // listing has come.
    QTest::qWait(300);
    for (const QWidget* widget : QApplication::topLevelWidgets())
      EXPECT_FALSE(widget->isVisible() && widget != &window) << widget->metaObject()->className();
  }
  dialogs.reset();
  EXPECT_TRUE(qt_settings_written());
}

}  // namespace
