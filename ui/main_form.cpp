#include "main_form.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QRandomGenerator>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QVBoxLayout>
#include <chrono>

#include "ui_fonts.h"
#include "window_placement.h"

namespace {

constexpr QSize kRestoredSize(870, 640);
constexpr QSize kMinimumSize(500, 400);
constexpr int kNameColumnWidth = 150;
constexpr int kStatusBarHeight = 19;

// The page under the tabs: drawn as the frame of a tab page, it holds the
// grid and the status bar for whichever tab is selected.
class TabPage : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    QStyleOptionTabWidgetFrame option;
    option.initFrom(this);
    option.shape = QTabBar::RoundedNorth;
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &option, &painter, this);
  }
};

QString NativePath(const QString& path) {
  return QDir::toNativeSeparators(path);
}

}  // namespace

TMainForm::TMainForm(UserDialogs* dialogs, FileStore* store, QWidget* parent)
    : QMainWindow(parent),
      own_dialogs_(dialogs ? nullptr : new QtUserDialogs),
      own_store_(store ? nullptr : new QtFileStore),
      dialogs_(dialogs ? dialogs : own_dialogs_.get()),
      store_(store ? store : own_store_.get()) {
  setWindowTitle(QStringLiteral("Trevalune"));
  setFont(MakeFont({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans")}, 11,
                   QFont::SansSerif));
  setMinimumSize(kMinimumSize);
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect desktop = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, kRestoredSize, desktop));

  // The menu.
  MainMenu = menuBar();
  mm_File = MainMenu->addMenu(QStringLiteral("&Файл"));
  Open = mm_File->addAction(QStringLiteral("&Открыть..."));
  Open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  mm_SaveAs = mm_File->addAction(QStringLiteral("&Сохранить как..."));
  mm_SaveAs->setEnabled(false);
  mm_Line = mm_File->addSeparator();
  mm_Exit = mm_File->addAction(QStringLiteral("&Выход"));
  mm_Help = MainMenu->addMenu(QStringLiteral("&Справка"));
  mm_About = mm_Help->addAction(QStringLiteral("&О программе"));
  connect(Open, &QAction::triggered, this, &TMainForm::OpenClick);
  connect(mm_SaveAs, &QAction::triggered, this, &TMainForm::mm_SaveAsClick);
  connect(mm_Exit, &QAction::triggered, this, &TMainForm::mm_ExitClick);
  connect(mm_About, &QAction::triggered, this, &TMainForm::mm_AboutClick);

  // The tabs fill the client area; their page holds the grid over the status bar.
  auto* client = new QWidget(this);
  auto* client_layout = new QVBoxLayout(client);
  client_layout->setContentsMargins(2, 2, 2, 2);
  client_layout->setSpacing(0);

  tc_Tabs = new QTabBar(client);
  tc_Tabs->setFont(MakeFont({QStringLiteral("Consolas"), QStringLiteral("DejaVu Sans Mono")}, 15,
                            QFont::Monospace));
  tc_Tabs->setExpanding(false);
  tc_Tabs->setElideMode(Qt::ElideNone);
  tc_Tabs->setDrawBase(false);
  for (const std::string_view caption : TabCaptions)
    tc_Tabs->addTab(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
  tc_Tabs->setCurrentIndex(kCreatures);
  client_layout->addWidget(tc_Tabs);

  auto* page = new TabPage(client);
  auto* page_layout = new QVBoxLayout(page);
  page_layout->setContentsMargins(4, 4, 4, 4);
  page_layout->setSpacing(0);
  sg_Table = new TStringGrid(page);
  sg_Table->setFont(MakeFont({QStringLiteral("Consolas"), QStringLiteral("DejaVu Sans Mono")}, 13,
                             QFont::Monospace));
  page_layout->addWidget(sg_Table, 1);
  sb_Info = new QStatusBar(page);
  sb_Info->setSizeGripEnabled(false);
  sb_Info->setFixedHeight(kStatusBarHeight);
  page_layout->addWidget(sb_Info);
  client_layout->addWidget(page, 1);
  setCentralWidget(client);

  connect(tc_Tabs, &QTabBar::currentChanged, this, &TMainForm::SelectedTabChanged);
  connect(sg_Table, &TStringGrid::cellEdited, this, &TMainForm::CellEdited);
}

TMainForm::~TMainForm() {
  // The child widgets outlive this object's members; nothing they still send
  // while they are taken down may reach a handler here.
  disconnect(tc_Tabs, nullptr, this, nullptr);
  disconnect(sg_Table, nullptr, this, nullptr);
}

bool TMainForm::FileLoaded() const {
  return mm_SaveAs->isEnabled() && current_ != nullptr;
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shown_ && !event->spontaneous()) {
    shown_ = true;
    FormShow();
  }
}

void TMainForm::FormShow() {
  ShowHeaders(active_);
  sg_Table->SetColumnWidth(0, kNameColumnWidth);
  sg_Table->SetCurrentCell(1, 1);
  sg_Table->setFocus(Qt::OtherFocusReason);
}

void TMainForm::ShowHeaders(TableIndex index) {
  if (index >= kTableCount)
    return;
  for (int column = 0; column < ColCounts[index]; ++column)
    sg_Table->SetCellText(column, 0, std::string(HeaderCaptions[index][column]));
}

void TMainForm::SwitchTable(TableIndex index) {
  if (index >= kTableCount)
    return;
  sg_Table->SetShape(RowCounts[index], ColCounts[index]);
  ShowHeaders(index);
}

void TMainForm::SelectedTabChanged(int index) {
  if (index < 0 || index >= kTableCount)
    return;
  bool allow_change = true;
  tc_TabsChanging(allow_change);  // the index still names the tab being left
  active_ = static_cast<TableIndex>(index);
  tc_TabsChange();
}

void TMainForm::tc_TabsChanging(bool& allowChange) {
  allowChange = true;
  if (FileLoaded())
    CommitActiveTable(active_, *current_, *sg_Table);
}

void TMainForm::tc_TabsChange() {
  sg_Table->BeginUpdate();
  SwitchTable(active_);
  if (FileLoaded())
    FillActiveTable(active_, *current_, *sg_Table);
  RefreshMarks();
  sg_Table->EndUpdate();
}

void TMainForm::OpenClick() {
  const QString chosen = dialogs_->AskOpenFileName(this, open_name_);
  if (chosen.isEmpty())
    return;
  open_name_ = chosen;
  OpenPath(chosen);
}

void TMainForm::OpenPath(const QString& chosen) {
  const QString path = QFileInfo(chosen).absoluteFilePath();

  Bytes image;
  QString reason;
  if (!store_->ReadAll(path, image, reason)) {
    dialogs_->ShowError(
        this, QStringLiteral("Не удалось открыть файл «%1»: %2.").arg(NativePath(path), reason));
    return;
  }
  if (image.empty()) {
    dialogs_->ShowError(this,
                        QStringLiteral("Файл «%1» пуст: в нём нет таблиц.").arg(NativePath(path)));
    return;
  }
  if (image.size() != ExpectedFileSize && !dialogs_->AskSizeWarning(this))
    return;

  TargetFileName = path;
  SetCaption();

  // Three new tables; edits to the earlier file that were not saved are dropped.
  auto tables = std::make_unique<TableSet>();
  TargetHandle.Open(std::move(image), false);
  LoadCrNames(tables->CrTable);
  LoadCrRecords(tables->CrTable);
  current_ = std::move(tables);

  sg_Table->BeginUpdate();
  {
    // Selected by the program: neither tab handler runs, nothing is committed.
    const QSignalBlocker blocker(tc_Tabs);
    tc_Tabs->setCurrentIndex(kCreatures);
  }
  active_ = kCreatures;
  SwitchTable(kCreatures);
  FillCrGrid(current_->CrTable, *sg_Table);

  LoadBlNames(current_->BlTable);
  LoadBlRecords(current_->BlTable);
  LoadSpNames(current_->SpTable);
  LoadSpRecords(current_->SpTable);
  image_ = TargetHandle.Close();
  saved_ = *current_;
  mm_SaveAs->setEnabled(true);

  // The grid shows the tables exactly as the file holds them: nothing to mark.
  sg_Table->ClearMarks();
  sg_Table->EndUpdate();
}

void TMainForm::mm_SaveAsClick() {
  if (!FileLoaded())
    return;
  const QString chosen = dialogs_->AskSaveFileName(this, ProposeSaveName());
  if (chosen.isEmpty())
    return;
  const QString destination = QFileInfo(chosen).absoluteFilePath();

  // The copy is made in memory: the current file is read as it is now, the
  // records go into that image, and the image goes to disk in one safe step.
  // Until that step has succeeded nothing here changes.
  Bytes image;
  QString reason;
  if (!store_->ReadAll(TargetFileName, image, reason)) {
    dialogs_->ShowError(this,
                        QStringLiteral("Не удалось сохранить файл «%1»: текущий файл «%2» "
                                       "не читается: %3. Ни один файл не изменён.")
                            .arg(NativePath(destination), NativePath(TargetFileName), reason));
    return;
  }
  if (image != image_) {
    // Writing the records into another program's version of the file would
    // mix two files.
    dialogs_->ShowError(this, QStringLiteral("Не удалось сохранить файл «%1»: текущий файл «%2» "
                                             "изменён другой программой после открытия. Ни один "
                                             "файл не изменён.")
                                  .arg(NativePath(destination), NativePath(TargetFileName)));
    return;
  }

  TableSet next = *current_;
  CommitActiveTable(active_, next, *sg_Table);
  TargetHandle.Open(std::move(image), true);
  WriteAllTables(next);
  image = TargetHandle.Close();

  if (!store_->WriteAll(destination, image, reason)) {
    dialogs_->ShowError(this, QStringLiteral("Не удалось сохранить файл «%1»: %2. Ни один файл "
                                             "не изменён.")
                                  .arg(NativePath(destination), reason));
    return;
  }

  *current_ = std::move(next);
  image_ = std::move(image);
  TargetFileName = destination;
  SetCaption();
  LoadSavedTables();
  sg_Table->BeginUpdate();
  RefreshMarks();
  sg_Table->EndUpdate();
}

void TMainForm::mm_ExitClick() {
  close();
}

void TMainForm::mm_AboutClick() {
  if (!about_)
    return;
  about_->move(AboutFormPosition(frameGeometry(), about_->frameGeometry().size()));
  about_->show();
  about_->raise();
  about_->activateWindow();
}

QString TMainForm::ProposeSaveName() {
  const auto ticks = static_cast<std::uint64_t>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count());
  QRandomGenerator generator(static_cast<quint32>(ticks ^ (ticks >> 32)));
  const quint32 value = generator.bounded(quint32{0xFFFFFFFFu});  // 0 to FFFFFFFE
  return QStringLiteral("HMM2PL_") +
         QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
}

void TMainForm::CellEdited(int column, int row) {
  if (FileLoaded())
    sg_Table->SetCellMark(
        column, row,
        MarkCell(active_, *current_, saved_, column, row, sg_Table->CellText(column, row)));
}

void TMainForm::RefreshMarks() {
  const bool loaded = FileLoaded();
  for (int row = 1; row < sg_Table->RowCount(); ++row) {
    for (int column = 1; column < sg_Table->ColCount(); ++column) {
      sg_Table->SetCellMark(column, row,
                            loaded ? MarkCell(active_, *current_, saved_, column, row,
                                              sg_Table->CellText(column, row))
                                   : CellMark::None);
    }
  }
}

void TMainForm::SetCaption() {
  setWindowTitle(QStringLiteral("Trevalune - ") + NativePath(TargetFileName));
}

void TMainForm::LoadSavedTables() {
  // The fields as the file now holds them, read back from what was written.
  TableSet tables;
  TargetHandle.Open(std::move(image_), false);
  LoadAllTables(tables);
  image_ = TargetHandle.Close();
  saved_ = std::move(tables);
}
