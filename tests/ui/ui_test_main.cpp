// Runs the window tests in one application object, without a display unless
// one is asked for, and with settings of their own: the user's are never read
// or written, and every test starts with none, and with no journals.

#include <QApplication>
#include <QDir>
#include <QSettings>

#include <gtest/gtest.h>

#include "journal/recovery_journal.h"
#include "tests/support/private_settings.h"
#include "tests/support/test_exit.h"
#include "ui/user_settings.h"

namespace {

class ClearSettingsBeforeEachTest : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    OpenUserSettings()->clear();
    QDir(RecoveryJournal::DefaultFolder()).removeRecursively();
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  const PrivateSettings settings;
  if (!settings.IsValid())
    return 1;

  QApplication application(argc, argv);
  Q_INIT_RESOURCE(resources);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new ClearSettingsBeforeEachTest);
  return EndTests(RUN_ALL_TESTS());
}
