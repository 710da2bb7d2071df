#include "ui/main_form.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLibraryInfo>
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
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>

#include "document/caption_language.h"
#include "document/comparison_file.h"
#include "journal/journal_file.h"
#include "journal/recovery_journal.h"
#include "ui/balance_commands.h"
#include "ui/changes_panel.h"
#include "ui/checks_panel.h"
#include "ui/editor_commands.h"
#include "ui/field_notes_commands.h"
#include "ui/file_drop.h"
#include "ui/find_bar.h"
#include "ui/grid_clipboard.h"
#include "ui/mod_commands.h"
#include "ui/recent_files_menu.h"
#include "ui/ui_fonts.h"
#include "ui/ui_language.h"
#include "ui/user_settings.h"
#include "ui/window_placement.h"

namespace {

constexpr QSize kRestoredSize(870, 640);
constexpr QSize kMinimumSize(500, 400);
constexpr int kNameColumnWidth = 150;
constexpr int kStatusBarHeight = 19;
// The settings key of the window's language: "ru" or "en".
const QString kLanguageKey = QStringLiteral("language");

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
      dialogs_(dialogs ? dialogs : own_dialogs_.get()),
      settings_(std::make_unique<UserSettings>()),
      document_(new TableDocument(store, this)),
      journal_(new RecoveryJournal(document_, RecoveryJournal::DefaultFolder())),
      dialog_folder_(RememberedDialogFolder(*settings_, QDir::currentPath())),
      translations_(
          std::make_unique<UiTranslations>(QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
  // Russian unless English was chosen, whatever the system's locale.
  translations_->Use(
      LanguageFromKey(settings_->value(kLanguageKey).toString()).value_or(UiLanguage::Russian));
  setWindowTitle(QStringLiteral("Trevalune"));
  setFont(MakeFont({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans")}, 11,
                   QFont::SansSerif));
  setMinimumSize(kMinimumSize);
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect desktop = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, kRestoredSize, desktop));

  // The menu.
  MainMenu = menuBar();
  mm_File = MainMenu->addMenu(QString());
  SetTranslated(mm_File, QT_TRANSLATE_NOOP("Menu", "&Файл"), "title");
  Open = mm_File->addAction(QString());
  SetTranslated(Open, QT_TRANSLATE_NOOP("Menu", "&Открыть..."));
  Open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  mm_SaveAs = mm_File->addAction(QString());
  SetTranslated(mm_SaveAs, QT_TRANSLATE_NOOP("Menu", "&Сохранить как..."));
  mm_SaveAs->setEnabled(false);
  connect(document_, &TableDocument::fileChanged, mm_SaveAs,
          [this] { mm_SaveAs->setEnabled(document_->IsLoaded()); });
  // Added to the menu's own letters: the desktop's usual key for Save As.
  mm_SaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  mm_Line = mm_File->addSeparator();
  recent_files_ = new RecentFilesMenu(
      mm_File, mm_Line, *settings_, [this](const QString& path) { OpenPath(path); },
      [this](const QString& text) { dialogs_->ShowError(this, text); });
  mm_Recent = recent_files_->Menu();
  mm_Exit = mm_File->addAction(QString());
  SetTranslated(mm_Exit, QT_TRANSLATE_NOOP("Menu", "&Выход"));
  mm_Help = MainMenu->addMenu(QString());
  SetTranslated(mm_Help, QT_TRANSLATE_NOOP("Menu", "&Справка"), "title");
  mm_About = mm_Help->addAction(QString());
  SetTranslated(mm_About, QT_TRANSLATE_NOOP("Menu", "&О программе"));
  connect(Open, &QAction::triggered, this, &TMainForm::OpenClick);
  connect(mm_SaveAs, &QAction::triggered, this, &TMainForm::mm_SaveAsClick);
  connect(mm_Exit, &QAction::triggered, this, &TMainForm::mm_ExitClick);
  connect(mm_About, &QAction::triggered, this, &TMainForm::mm_AboutClick);
  AddKeyboardCommands();

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
    tc_Tabs->addTab(ShownCaption(caption));
  tc_Tabs->setCurrentIndex(kCreatures);
  client_layout->addWidget(tc_Tabs);

  auto* page = new TabPage(client);
  auto* page_layout = new QVBoxLayout(page);
  page_layout->setContentsMargins(4, 4, 4, 4);
  page_layout->setSpacing(0);
  sg_Table = new TStringGrid(document_, page);
  sg_Table->setFont(MakeFont({QStringLiteral("Consolas"), QStringLiteral("DejaVu Sans Mono")}, 13,
                             QFont::Monospace));
  auto* find_bar = new FindBar(sg_Table, page);
  addActions(find_bar->WindowActions());
  page_layout->addWidget(find_bar);
  page_layout->addWidget(sg_Table, 1);
  sb_Info = new QStatusBar(page);
  sb_Info->setSizeGripEnabled(false);
  sb_Info->setFixedHeight(kStatusBarHeight);
  page_layout->addWidget(sb_Info);
  client_layout->addWidget(page, 1);
  setCentralWidget(client);

  connect(tc_Tabs, &QTabBar::currentChanged, this, &TMainForm::SelectedTabChanged);
  // The tab bar and the grid follow the document's table on show.
  connect(document_, &TableDocument::activeTableChanged, this, &TMainForm::tc_TabsChange);
  setAcceptDrops(true);
  new FileDropForwarder(sg_Table->viewport());
  SetUpEditing();

  clipboard_ = new GridClipboard(sg_Table, document_, dialogs_, this);
  table_files_ = new TableFileCommands(CommandContext(), mm_File, mm_Line);
  patch_files_ = new PatchFileCommands(CommandContext(), mm_File, mm_Line);
  SetUpModWork();
  // Said once a file, after the step whose write failed.
  connect(journal_, &RecoveryJournal::notWritten, this,
          [this](const QString& message) { dialogs_->ShowError(this, message); });
  // Each part known by its member's name (command_window.h).
  NameParts({{MainMenu, "MainMenu"},    {mm_File, "mm_File"},         {Open, "Open"},
             {mm_SaveAs, "mm_SaveAs"},  {mm_Recent, "mm_Recent"},     {mm_Line, "mm_Line"},
             {mm_Exit, "mm_Exit"},      {tc_Tabs, "tc_Tabs"},         {sg_Table, "sg_Table"},
             {sb_Info, "sb_Info"},      {mm_Help, "mm_Help"},         {mm_About, "mm_About"},
             {mm_Edit, "mm_Edit"},      {mm_Undo, "mm_Undo"},         {mm_Redo, "mm_Redo"},
             {mm_Revert, "mm_Revert"},  {pm_Grid, "pm_Grid"},         {mm_View, "mm_View"},
             {mm_Checks, "mm_Checks"},  {mm_Language, "mm_Language"}, {mm_Russian, "mm_Russian"},
             {mm_English, "mm_English"}});
  built_ = true;
}

TMainForm::~TMainForm() {
  // The child widgets outlive this object's members; nothing they still send
  // while they are taken down may reach a handler here.
  disconnect(tc_Tabs, nullptr, this, nullptr);
  disconnect(sg_Table, nullptr, this, nullptr);
  // The settings go with the window's members; what was opened last goes in first.
  recent_files_->WriteNow();
}

void TMainForm::SetUpModWork() {
  mod_commands_ = new ModCommands(CommandContext(), mm_File, mm_Line, mm_Edit);
  editor_commands_->Claim(mod_commands_->EditorKey());
  notes_commands_ = new FieldNotesCommands(CommandContext(), *settings_, mm_File, mm_Line, mm_Edit);
  editor_commands_->Claim(notes_commands_->EditorKey());

  pn_Changes = new ChangesPanel(document_, this);
  DockUnderGrid(pn_Changes);
  pn_Changes->hide();

  mm_View = new QMenu(MainMenu);
  SetTranslated(mm_View, QT_TRANSLATE_NOOP("Menu", "&Вид"), "title");
  MainMenu->insertMenu(mm_Help->menuAction(), mm_View);
  QAction* panel = pn_Changes->toggleViewAction();
  SetTranslated(panel, QT_TRANSLATE_NOOP("Menu", "&Изменения"));
  panel->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
  // Shown from the keyboard, the panel takes the keyboard.
  connect(panel, &QAction::triggered, this, [this](bool shown) {
    if (!shown)
      return;
    // The first time, a third of the window: the grid keeps the most of it.
    if (!panel_placed_) {
      panel_placed_ = true;
      resizeDocks({pn_Changes}, {std::max(120, height() / 3)}, Qt::Vertical);
    }
    pn_Changes->setFocus(Qt::ShortcutFocusReason);
  });
  mm_View->addAction(panel);

  // The panel is made the first time it is shown: start-up does without it.
  mm_Checks = new QAction(this);
  SetTranslated(mm_Checks, QT_TRANSLATE_NOOP("Menu", "Про&верки"));
  mm_Checks->setCheckable(true);
  mm_Checks->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
  connect(mm_Checks, &QAction::triggered, this, &TMainForm::ShowChecksPanel);
  mm_View->addAction(mm_Checks);
  balance_commands_ = new BalanceCommands(
      this, document_, settings_.get(), mm_View, [this](GridPanel* panel) { DockUnderGrid(panel); },
      [this](const QString& error) { dialogs_->ShowError(this, error); });
  balance_commands_->SetNotesSource([this] { return &notes_commands_->Checker(); });
  connect(notes_commands_, &FieldNotesCommands::notesChanged, balance_commands_,
          &BalanceCommands::NotesChanged);
  mm_View->addSeparator();
  mod_commands_->AddSteps(mm_View);
  SetUpLanguageMenu();
}

void TMainForm::DockUnderGrid(GridPanel* panel) {
  addDockWidget(Qt::BottomDockWidgetArea, panel);
  connect(panel, &GridPanel::showField, this, &TMainForm::ShowField);
  // Escape in the panel: the keyboard back in the cell it left.
  connect(panel, &GridPanel::leaveRequested, this,
          [this] { sg_Table->setFocus(Qt::OtherFocusReason); });
}

void TMainForm::ShowChecksPanel(bool shown) {
  if (!pn_Checks && shown) {
    pn_Checks = new ChecksPanel(document_, notes_commands_, this);
    DockUnderGrid(pn_Checks);
    // Closed by its own button, the menu item follows. The panel and the item
    // are captured themselves, not through the window: the panel is hidden
    // again while the window is being destroyed.
    ChecksPanel* const panel = pn_Checks;
    QAction* const item = mm_Checks;
    connect(panel, &QDockWidget::visibilityChanged, item, [panel, item](bool visible) {
      if (!visible && !panel->isVisible())
        item->setChecked(false);
    });
  }
  if (!pn_Checks)
    return;
  mm_Checks->setChecked(shown);
  pn_Checks->setVisible(shown);
  if (shown)
    pn_Checks->setFocus(Qt::ShortcutFocusReason);
}

void TMainForm::SetUpLanguageMenu() {
  mm_View->addSeparator();
  mm_Language = mm_View->addMenu(QString());
  SetTranslated(mm_Language, QT_TRANSLATE_NOOP("Menu", "&Язык"), "title");
  auto* languages = new QActionGroup(mm_Language);
  // Each language is named in itself.
  mm_Russian = mm_Language->addAction(QString());
  SetTranslated(mm_Russian, QT_TRANSLATE_NOOP("Menu", "&Русский"));
  mm_English = mm_Language->addAction(QStringLiteral("&English"));
  for (QAction* action : {mm_Russian, mm_English}) {
    action->setCheckable(true);
    languages->addAction(action);
  }
  ShowLanguageChoice();
  connect(mm_Russian, &QAction::triggered, this, [this] { SetLanguage(UiLanguage::Russian); });
  connect(mm_English, &QAction::triggered, this, [this] { SetLanguage(UiLanguage::English); });
}

void TMainForm::ShowLanguageChoice() {
  const bool english = translations_->Language() == UiLanguage::English;
  mm_English->setChecked(english);
  mm_Russian->setChecked(!english);
}

UiLanguage TMainForm::Language() const {
  return translations_->Language();
}

void TMainForm::SetLanguage(UiLanguage language) {
  settings_->setValue(kLanguageKey, LanguageKey(language));
  if (language != translations_->Language())
    translations_->Use(language);  // every window is sent a LanguageChange
  ShowLanguageChoice();
}

void TMainForm::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Installing the language's translations at the start sends one too, before
  // the window is built.
  if (event->type() == QEvent::LanguageChange && built_)
    Retranslate();
}

void TMainForm::Retranslate() {
  RetranslateTree(this);
  for (TableIndex table = 0; table < kTableCount; ++table)
    tc_Tabs->setTabText(table, ShownCaption(TabCaptions[table]));
  ShowHeaders(ActiveTable());
  ShowUndoTexts();
  pn_Changes->Model()->Retranslate();
}

CommandWindow TMainForm::CommandContext() {
  return {this, document_, History(), sg_Table, dialogs_, [this] { return ActiveTable(); },
          // The patch is exported from the comparison file while one is set,
          // and from the file on disk otherwise.
          [this] {
            return std::span<const std::uint8_t>(document_->Comparison().IsOpen()
                                                     ? document_->Comparison().Image()
                                                     : document_->File().image);
          },
          [this] { return DialogFolder(); },
          [this](const QString& chosen) { RememberDialogFolder(chosen); },
          [this](const FieldRef& field) { ShowField(field); }};
}

void TMainForm::ShowField(const FieldRef& field) {
  if (!IsField(field))
    return;
  ShowTouchedField(field);
  sg_Table->setFocus(Qt::OtherFocusReason);
}

void TMainForm::AddKeyboardCommands() {
  // The other tabs and the menu from the keyboard, whatever the keyboard
  // layout: the menu's letters are Cyrillic.
  auto* next_tab = new QAction(this);
  next_tab->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)});
  connect(next_tab, &QAction::triggered, this, [this] { StepTab(+1); });
  auto* previous_tab = new QAction(this);
  previous_tab->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
                              QKeySequence(Qt::CTRL | Qt::Key_PageUp)});
  connect(previous_tab, &QAction::triggered, this, [this] { StepTab(-1); });
  auto* open_menu = new QAction(this);
  open_menu->setShortcut(QKeySequence(Qt::Key_F10));
  connect(open_menu, &QAction::triggered, this,
          [this] { MainMenu->setActiveAction(mm_File->menuAction()); });
  for (QAction* action : {next_tab, previous_tab, open_menu}) {
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
  }
}

void TMainForm::StepTab(int step) {
  // Selecting the tab runs the same handlers as a click on it.
  const int count = tc_Tabs->count();
  tc_Tabs->setCurrentIndex((tc_Tabs->currentIndex() + step + count) % count);
}

const TableSet* TMainForm::CurrentTables() const {
  return document_->IsLoaded() ? &document_->Committed() : nullptr;
}

const TableSet& TMainForm::SavedTables() const {
  return document_->File().tables;
}

const QString& TMainForm::TargetFileName() const {
  return document_->File().path;
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shown_ && !event->spontaneous()) {
    shown_ = true;
    FormShow();
  }
}

void TMainForm::FormShow() {
  ShowHeaders(ActiveTable());
  sg_Table->SetColumnWidth(0, kNameColumnWidth);
  sg_Table->SetCurrentCell(1, 1);
  sg_Table->setFocus(Qt::OtherFocusReason);
}

void TMainForm::ShowHeaders(TableIndex index) {
  if (index >= kTableCount)
    return;
  for (int column = 0; column < ColCounts[index]; ++column)
    sg_Table->SetCellText(column, 0, ShownCaption(HeaderCaptions[index][column]).toStdString());
}

void TMainForm::SwitchTable(TableIndex index) {
  if (index >= kTableCount)
    return;
  sg_Table->SetShape(RowCounts[index], ColCounts[index]);
  sg_Table->CollapseRange();
  ShowHeaders(index);
}

void TMainForm::SelectedTabChanged(int index) {
  if (index < 0 || index >= kTableCount)
    return;
  bool allow_change = true;
  tc_TabsChanging(allow_change);  // the document still shows the table being left
  // Leads to tc_TabsChange, through the document's activeTableChanged.
  document_->SetActiveTable(static_cast<TableIndex>(index));
}

void TMainForm::tc_TabsChanging(bool& allowChange) {
  allowChange = true;
  if (FileLoaded())
    document_->CommitTable(ActiveTable());
}

void TMainForm::tc_TabsChange() {
  {
    // Selected to follow the document: the tab handlers do not run again.
    const QSignalBlocker blocker(tc_Tabs);
    tc_Tabs->setCurrentIndex(ActiveTable());
  }
  sg_Table->BeginUpdate();
  SwitchTable(ActiveTable());
  // The grid shows the document's cells of the new table, scrolled to the top left.
  if (FileLoaded())
    sg_Table->ResetGridScroll();
  sg_Table->EndUpdate();
  sg_Table->ForgetEditorHistory();
}

void TMainForm::OpenClick() {
  const QString chosen =
      dialogs_->AskFileName(this, UserDialogs::FileKind::Executable, DialogFolder(), open_name_);
  if (chosen.isEmpty())
    return;
  RememberDialogFolder(chosen);
  open_name_ = chosen;
  OpenPath(chosen);
}

void TMainForm::OpenPath(const QString& path) {
  OpenPathRecovering(path, false);
}

void TMainForm::OpenPathRecovering(const QString& path, bool recover) {
  QString error;
  sg_Table->BeginUpdate();
  const TableDocument::Outcome outcome = document_->Open(
      path, [this] { return dialogs_->AskSizeWarning(this); }, error);
  if (outcome == TableDocument::Outcome::Done) {
    // The document shows the creatures again, and the tab bar and the grid
    // followed it (tc_TabsChange) without committing anything.
    SetCaption();
    sg_Table->ResetGridScroll();
    recent_files_->Add(path);
  }
  sg_Table->EndUpdate();
  if (outcome == TableDocument::Outcome::Done) {
    sg_Table->ForgetEditorHistory();
    OfferJournal(recover);
  } else if (outcome == TableDocument::Outcome::Failed) {
    dialogs_->ShowError(this, error);
  }
}

void TMainForm::OfferJournal(bool recover) {
  RecoveryJournal::Offer offer;
  QString message;
  const RecoveryJournal::Found found = journal_->Check(offer, message);
  if (!message.isEmpty())
    dialogs_->ShowError(this, message);
  if (found != RecoveryJournal::Found::Journal)
    return;
  if (!recover) {
    switch (dialogs_->AskRecovery(this, RecoveryQuestion(offer.content, offer.file_changed))) {
      case UserDialogs::RecoveryAnswer::Restore:
        break;
      case UserDialogs::RecoveryAnswer::Discard:
        journal_->Discard();
        return;
      case UserDialogs::RecoveryAnswer::NotNow:
        // The file stays open without them; they are asked about again.
        journal_->PutOff();
        return;
    }
  }
  // One step, shown as unsaved; the file's own values where the list no
  // longer fits it, as the user chooses.
  // The journal's values are the fields' own and always fit them.
  const bool recovered =
      table_files_->ApplyListAsStep(QString::fromUtf8(QT_TRANSLATE_NOOP("Steps", "восстановление")),
                                    [&](OnConflict on_conflict, OutOfRange) {
                                      return RecoverJournal(*document_, offer.content, on_conflict);
                                    });
  // Nothing put back (the question about the conflicts cancelled): the
  // journals stay for the next time, as when the question is put off,
  // instead of going with this editor's next write.
  if (!recovered)
    journal_->PutOff();
}

void TMainForm::OfferLatestJournal() {
  QString message;
  const auto latest = RecoveryJournal::FindLatest(journal_->Folder(), message);
  if (!message.isEmpty())
    dialogs_->ShowError(this, message);
  if (!latest)
    return;
  switch (dialogs_->AskRecovery(this, RecoveryQuestion(latest->content, false))) {
    case UserDialogs::RecoveryAnswer::Restore:
      OpenPathRecovering(latest->content.file, true);
      return;
    case UserDialogs::RecoveryAnswer::Discard:
      RecoveryJournal::Remove(latest->journals);
      return;
    case UserDialogs::RecoveryAnswer::NotNow:
      return;  // nothing opened, the journals left as they are
  }
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  AcceptFileDrag(event);
}

void TMainForm::dragMoveEvent(QDragMoveEvent* event) {
  AcceptFileDrag(event);
}

void TMainForm::dropEvent(QDropEvent* event) {
  AcceptFileDrag(event);
  const DroppedFile dropped = ReadDroppedFile(event->mimeData());
  // Once the drop has ended: a question or a message shown during it would
  // keep the program the file came from waiting.
  QTimer::singleShot(0, this, [this, dropped] {
    if (dropped.path.isEmpty())
      dialogs_->ShowError(this, dropped.refusal);
    else
      OpenPath(dropped.path);
  });
}

void TMainForm::mm_SaveAsClick() {
  if (!FileLoaded())
    return;
  const QString chosen = dialogs_->AskFileName(this, UserDialogs::FileKind::SaveExecutable,
                                               DialogFolder(), ProposeSaveName());
  if (chosen.isEmpty())
    return;
  RememberDialogFolder(chosen);

  QString error;
  sg_Table->BeginUpdate();
  const TableDocument::Outcome outcome = document_->SaveAs(
      chosen, [this](const QString& question) { return dialogs_->AskYesNo(this, question); },
      error);
  if (outcome == TableDocument::Outcome::Done) {
    SetCaption();
    recent_files_->Add(chosen);
  }
  sg_Table->EndUpdate();
  if (outcome == TableDocument::Outcome::Failed)
    dialogs_->ShowError(this, error);
  else if (outcome == TableDocument::Outcome::Done && !error.isEmpty())
    dialogs_->ShowInfo(this, error);  // saved, but perhaps not for good
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

QString TMainForm::DialogFolder() const {
  // A folder deleted since it was chosen would leave the dialog in the root
  // folder, where a Return would save; the home folder is a safe place.
  if (!dialog_folder_.isEmpty() && QFileInfo(dialog_folder_).isDir())
    return dialog_folder_;
  return QDir::homePath();
}

void TMainForm::RememberDialogFolder(const QString& chosen) {
  dialog_folder_ = QFileInfo(chosen).absolutePath();
  KeepDialogFolder(*settings_, dialog_folder_);
}

void TMainForm::SetCaption() {
  setWindowTitle(QStringLiteral("Trevalune - ") + NativePath(TargetFileName()));
}
