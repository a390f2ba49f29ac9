#pragma once
// Test seam of the directory dialogs on Qt: stands for the user in front of
// either dialog, so tests never wait in a real modal loop.
#include <QString>

#include <functional>
#include <optional>
#include <string>

class QDialog;
class QWidget;

enum class DirectoryDialogKind { FolderBrowser, Legacy };

struct DirectoryDialogRequest {
    DirectoryDialogKind kind;
    std::string title;
    std::string startPath;
    QWidget* owner;  // as given to the dialog
    QDialog* dialog; // the prepared dialog, initialised and open but not modal
};

// Returns the directory the user goes to and confirms, or nullopt for
// Cancel. The dialog then yields its result exactly as after a real OK. An
// empty function brings the real modal dialogs back.
using DirectoryDialogSeam = std::function<std::optional<std::string>(const DirectoryDialogRequest&)>;
void SetDirectoryDialogSeam(DirectoryDialogSeam seam);
const DirectoryDialogSeam& GetDirectoryDialogSeam();
