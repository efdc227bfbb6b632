#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QListView>
#include <QTemporaryDir>
#include <QTimer>

#include "support/uidriver.h"
#include "ui/filedialog.h"
#include "ui/qt/filedialogsetup.h"
#include "ui/qt/namefilter.h"

namespace varlok::ui {
namespace {

using Patterns = std::vector<std::string>;

TEST(FileFilterParse, FormsThePagesUse) {
    const auto skin = ParseFileFilter("(*.png) | *.png |(*.*)|*.*||");
    ASSERT_EQ(skin.size(), 2U);
    EXPECT_EQ(skin[0].displayText, "(*.png)");
    EXPECT_EQ(skin[0].patterns, Patterns{"*.png"});
    EXPECT_EQ(skin[1].displayText, "(*.*)");
    EXPECT_EQ(skin[1].patterns, Patterns{"*.*"});

    for (const char* extension : {"config", "led", "pro", "mac", "cur"}) {
        const std::string pattern = std::string("*.") + extension;
        const auto parsed = ParseFileFilter("(" + pattern + ") | " + pattern + " ||");
        ASSERT_EQ(parsed.size(), 1U) << extension;
        EXPECT_EQ(parsed[0].displayText, "(" + pattern + ")");
        EXPECT_EQ(parsed[0].patterns, Patterns{pattern});
    }
    const auto program = ParseFileFilter("(*.exe) | *.exe||");
    ASSERT_EQ(program.size(), 1U);
    EXPECT_EQ(program[0].patterns, Patterns{"*.exe"});
}

TEST(FileFilterParse, PatternListsTerminatorAndMalformedInput) {
    const auto pictures = ParseFileFilter("Pictures | *.png; *.jpg ;*.jpeg|All|*||ignored|*.x||");
    ASSERT_EQ(pictures.size(), 2U);
    EXPECT_EQ(pictures[0].displayText, "Pictures");
    EXPECT_EQ(pictures[0].patterns, (Patterns{"*.png", "*.jpg", "*.jpeg"}));
    EXPECT_EQ(pictures[1].displayText, "All");

    // Without the terminator the pairs still count; a text without pattern
    // does not make an entry.
    const auto open = ParseFileFilter("Text|*.txt|Dangling");
    ASSERT_EQ(open.size(), 1U);
    EXPECT_EQ(open[0].patterns, Patterns{"*.txt"});
    EXPECT_TRUE(ParseFileFilter("").empty());
    EXPECT_TRUE(ParseFileFilter("||").empty());
    EXPECT_TRUE(ParseFileFilter("Nothing| ; ||").empty());

    const auto unnamed = ParseFileFilter(" | *.a;*.b ||");
    ASSERT_EQ(unnamed.size(), 1U);
    EXPECT_EQ(unnamed[0].displayText, "*.a;*.b");
}

TEST(FileFilterParse, QtNameFilters) {
    EXPECT_EQ(qt::ToQtNameFilter({"(*.png)", {"*.png"}}), "(*.png)");
    EXPECT_EQ(qt::ToQtNameFilter({"(*.*)", {"*.*"}}), "(*)");
    EXPECT_EQ(qt::ToQtNameFilter({"Pictures", {"*.png", "*.jpg"}}), "Pictures (*.png *.jpg)");
    EXPECT_EQ(qt::ToQtNameFilter({"Pictures (*.png;*.jpg)", {"*.png", "*.jpg"}}),
              "Pictures (*.png *.jpg)");
    EXPECT_EQ(qt::ToQtNameFilter({"", {"*.led"}}), "(*.led)");
}

TEST(FileDialogDefaultExtension, AppendedOnlyToNamesWithoutOne) {
    EXPECT_EQ(WithDefaultExtension("/home/u/profile", "led"), "/home/u/profile.led");
    EXPECT_EQ(WithDefaultExtension("/home/u/profile.led", "led"), "/home/u/profile.led");
    EXPECT_EQ(WithDefaultExtension("/home/u/picture.jpg", "png"), "/home/u/picture.jpg");
    EXPECT_EQ(WithDefaultExtension("/home/my.dir/profile", "pro"), "/home/my.dir/profile.pro");
    EXPECT_EQ(WithDefaultExtension("/home/u/profile", ".mac"), "/home/u/profile.mac");
    EXPECT_EQ(WithDefaultExtension("/home/u/profile", ""), "/home/u/profile");
    EXPECT_EQ(WithDefaultExtension("/home/u/", "cur"), "/home/u/");
}

class FileDialogAnswers : public ::testing::Test {
protected:
    void SetUp() override { test::EnsureApplication(); }
    void TearDown() override { SetFileDialogAnswerProvider({}); }
};

TEST_F(FileDialogAnswers, ProviderSeesTheOptionsAndAnswers) {
    std::vector<FileDialogKind> kinds;
    std::vector<FileDialogOptions> seen;
    std::vector<std::optional<std::string>> answers = {"/tmp/export", std::nullopt,
                                                       "/tmp/import.led"};
    SetFileDialogAnswerProvider([&](FileDialogKind kind, const FileDialogOptions& options) {
        kinds.push_back(kind);
        seen.push_back(options);
        auto answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    });
    const FileDialogOptions lighting{.title = "Export",
                                     .defaultExtension = "led",
                                     .initialName = "*.led",
                                     .filter = "(*.led) | *.led ||"};
    EXPECT_EQ(SaveFileDialog(lighting), "/tmp/export.led");
    EXPECT_EQ(SaveFileDialog(lighting), std::nullopt);
    EXPECT_EQ(OpenFileDialog(lighting), "/tmp/import.led");
    EXPECT_EQ(kinds, (std::vector<FileDialogKind>{FileDialogKind::Save, FileDialogKind::Save,
                                                  FileDialogKind::Open}));
    ASSERT_EQ(seen.size(), 3U);
    EXPECT_EQ(seen[0].defaultExtension, "led");
    EXPECT_EQ(seen[0].initialName, "*.led");
    EXPECT_EQ(seen[0].filter, "(*.led) | *.led ||");
    EXPECT_EQ(seen[0].flags,
              FileDialogOptions::kHideReadOnly | FileDialogOptions::kOverwritePrompt);
}

TEST_F(FileDialogAnswers, RealSaveDialogAppliesFiltersAndDefaultExtension) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QStringList offeredFilters;
    QString offeredSuffix;
    bool found = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        found = true;
        offeredFilters = dialog->nameFilters();
        offeredSuffix = dialog->defaultSuffix();
        dialog->selectFile(QDir(folder.path()).filePath("skin"));
        static_cast<QDialog*>(dialog)->accept();
    });
    // A guard in case the dialog did not come up: the test then fails, not hangs.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
        }
    });
    guard.start(20000);
    const auto chosen = SaveFileDialog({.title = "Picture",
                                        .defaultExtension = "png",
                                        .initialName = "*.png",
                                        .filter = "(*.png) | *.png |(*.*)|*.*||",
                                        .initialFolder = folder.path().toStdString()});
    ASSERT_TRUE(found);
    EXPECT_EQ(offeredFilters, (QStringList{"(*.png)", "(*)"}));
    EXPECT_EQ(offeredSuffix, "png");
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen,
              QDir::toNativeSeparators(QDir(folder.path()).filePath("skin.png")).toStdString());
}

TEST_F(FileDialogAnswers, TheProgramChooserListsFoldersAndTheFilesTheUserMayRun) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QDir dir(folder.path());
    for (const auto& [name, executable] : {std::pair{"tool", true}, {"notes.txt", false}}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QFileDevice::Permissions readWrite = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        ASSERT_TRUE(
            file.setPermissions(executable ? readWrite | QFileDevice::ExeOwner : readWrite));
    }
    ASSERT_TRUE(dir.mkdir("sub"));
    QFileDialog dialog;
    qt::SetUpFileDialog(dialog, FileDialogKind::Open,
                        {.filter = "(Programs) | * ||",
                         .initialFolder = folder.path().toStdString(),
                         .flags = FileDialogOptions::kExecutablesOnly});
    dialog.show();
    // The folder is read on a thread of the dialog's own: wait until all of
    // it is known, then take what the view lists.
    const auto* files = dialog.findChild<QFileSystemModel*>();
    const auto* view = dialog.findChild<QListView*>("listView");
    ASSERT_NE(files, nullptr);
    ASSERT_NE(view, nullptr);
    QDeadlineTimer deadline(20000);
    while (files->rowCount(files->index(folder.path())) < 3 && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    QStringList listed;
    for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
        listed << view->model()->index(row, 0, view->rootIndex()).data().toString();
    }
    listed.sort();
    EXPECT_EQ(listed, (QStringList{"sub", "tool"}));
}

TEST_F(FileDialogAnswers, RealOpenDialogCancelledGivesNothing) {
    QTimer::singleShot(0, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
        }
    });
    EXPECT_EQ(OpenFileDialog({.filter = "(*.exe) | *.exe||"}), std::nullopt);
}

}  // namespace
}  // namespace varlok::ui
