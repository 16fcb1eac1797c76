#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "ui/widgets/appearance.h"
#include "ui/widgets/data_folder.h"
#include "ui/widgets/guarded_application.h"
#include "ui/windows/draws_panel.h"
#include "ui/windows/history_window.h"

namespace {

class FreshStart : public ::testing::EmptyTestEventListener {
public:
    explicit FreshStart(QString dataFolder) : dataFolder_(std::move(dataFolder)) {}
    void OnTestStart(const ::testing::TestInfo&) override {
        QSettings settings;
        settings.clear();
        settings.sync();
        QDir data(dataFolder_);
        data.removeRecursively();
        data.mkpath(QStringLiteral("."));
        tarnel::setDataFolder(dataFolder_);
        tarnel::HistoryWindow::setStoragePath(QString());
        tarnel::DrawsPanel::setStorePath(QString());
    }

private:
    QString dataFolder_;
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // The program's own application object: memory that runs out in an event is said, not fatal.
    tarnel::GuardedApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tarnel"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarnel"));
    QStandardPaths::setTestModeEnabled(true);  // recent schemes and the like stay out of the user's settings
    // ctest runs tests side by side: each process keeps its settings to itself,
    // in a file (Windows' native settings are the registry, which has no folder).
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    // Nor the player's files: the last conditions and the remembered draws
    // go to a folder of this process.
    QTemporaryDir data;
    tarnel::setDataFolder(data.path());
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());  // for the programs the tests start
    tarnel::applyAppearance(app);
    ::testing::InitGoogleTest(&argc, argv);
    // Each test starts as ctest starts it, in a process of its own: no
    // settings, an empty data folder, the program's own paths. So the tests
    // also pass one after another in one process (the Windows run).
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshStart(data.path()));
    return RUN_ALL_TESTS();
}
