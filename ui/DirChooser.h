#pragma once
// Lets the user pick a directory in a modal dialog: the folder browser, or
// the legacy directory dialog on old Windows or when the caller asks for it.
#include "platform/WinTypes.h"

#include <functional>
#include <optional>
#include <string>

class QWidget;
class QDialog;

class CDirChooser {
public:
    // path: the start on entry, the chosen directory on TRUE; untouched on
    // FALSE (cancelled). owner may be null. title is the browser's
    // instruction or the legacy dialog's caption.
    BOOL ChooseDirectory(std::string& path, QWidget* owner, BOOL forceLegacy, const std::string& title);
};

enum class DirectoryDialogKind { FolderBrowser, Legacy };

struct DirectoryDialogRequest {
    DirectoryDialogKind kind;
    std::string title;
    std::string startPath;
    QWidget* owner;  // as given to ChooseDirectory
    QDialog* dialog; // the prepared dialog, initialised and open but not modal
};

// Test seam: stands for the user in front of either dialog. Returns the
// directory the user goes to and confirms, or nullopt for Cancel. The
// dialog then yields its result exactly as after a real OK. An empty
// function brings the real modal dialogs back.
using DirectoryDialogSeam = std::function<std::optional<std::string>(const DirectoryDialogRequest&)>;
void SetDirectoryDialogSeam(DirectoryDialogSeam seam);
const DirectoryDialogSeam& GetDirectoryDialogSeam();
