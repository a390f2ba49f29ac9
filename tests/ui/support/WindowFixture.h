#pragma once
// What the tests of the main window share: the settings store in a scratch
// file, message boxes recorded instead of shown, the directory chooser
// answered from a script, and real directories to serve from.
#include <QPoint>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class CDialog;
class QWidget;

struct RecordedBox {
    std::string text;
    std::string caption;
};

class WindowFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A directory below the scratch folder holding one file, if a name is given.
    std::string MakeDir(const std::string& name, const std::string& fileName = {}, const std::string& content = {});
    std::string ReadFile(const std::string& path) const;
    std::string StoreFile() const;

    // Runs the dialog's modal loop; script runs inside it and should end it.
    // A dialog still open after a while is ended with -2.
    static int RunModal(CDialog& dialog, std::function<void()> script);
    // Lets the event loop run for a while.
    static void Pump(int milliseconds);
    // The left mouse button pressed and released at a point of target (its
    // middle by default), as the window system delivers it: a second click
    // comes as a double-click press.
    static void MouseClick(QWidget* target, int clicks = 1, std::optional<QPoint> at = std::nullopt);

    QTemporaryDir m_scratch;
    std::vector<RecordedBox> m_boxes;
    // The chooser's answers, one per opening: a directory, or nullopt for Cancel.
    std::deque<std::optional<std::string>> m_choices;
    std::vector<std::string> m_chooserStarts;
    std::vector<std::string> m_chooserTitles;
};
