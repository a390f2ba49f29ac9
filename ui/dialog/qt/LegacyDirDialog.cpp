#include "ui/dialog/qt/LegacyDirDialog.h"

#include "res/ResourceIds.h"
#include "ui/dialog/LegacyDirDialog.h"
#include "ui/dialog/qt/DirectoryDialogSeam.h"
#include "ui/dialog/qt/WindowHandle.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace {

constexpr int kDirectoryRole = Qt::UserRole;
constexpr char kIndent[] = "  ";

QString ToQString(const std::string& text)
{
    return QString::fromLocal8Bit(text);
}

std::string ToStdString(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

// An empty or vanished initial directory opens in the working directory,
// as the common dialog does.
std::string OpeningDirectory(const std::string& initialDir)
{
    const QDir directory(ToQString(initialDir));
    const bool usable = !initialDir.empty() && directory.exists();
    return ToStdString(usable ? directory.absolutePath() : QDir::currentPath());
}

void AddDirectoryEntry(QListWidget* list, const QString& text, int depth, const QString& directory)
{
    auto* item = new QListWidgetItem(QString(kIndent).repeated(depth) + text, list);
    item->setData(kDirectoryRole, directory);
}

// The directory list shows the way from the root down to the current
// directory, then the current directory's subdirectories; the current one
// is highlighted.
void FillDirectoryList(QListWidget* list, const QString& current)
{
    list->clear();
    const QStringList parts = current.split('/', Qt::SkipEmptyParts);
    AddDirectoryEntry(list, "/", 0, "/");
    QString path;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        path += '/' + parts[i];
        AddDirectoryEntry(list, parts[i], static_cast<int>(i) + 1, path);
    }
    list->setCurrentRow(static_cast<int>(parts.size()));
    const QDir directory(current);
    const auto subdirectories = directory.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : subdirectories)
        AddDirectoryEntry(list, name, static_cast<int>(parts.size()) + 1, directory.filePath(name));
}

} // namespace

CLegacyDirDialog::CLegacyDirDialog(CWnd* pParentWnd)
    : CDialog(IDD_LEGACY_DIR_DIALOG, pParentWnd)
{
}

QWidget* CLegacyDirDialog::Item(int id) const
{
    return QtWidget(GetDlgItem(id));
}

void CLegacyDirDialog::SetInitialDir(const std::string& directory)
{
    m_initialDir = directory;
}

void CLegacyDirDialog::SetTitle(const std::string& title)
{
    m_title = title;
}

void CLegacyDirDialog::ChangeDirectory(const std::string& directory)
{
    m_currentDir = ToStdString(QDir::cleanPath(QDir(ToQString(directory)).absolutePath()));
    FillDirectoryControls();
}

void CLegacyDirDialog::FillDirectoryControls()
{
    const QString current = ToQString(m_currentDir);
    static_cast<QLabel*>(Item(stc1))->setText(current);
    FillDirectoryList(static_cast<QListWidget*>(Item(lst2)), current);
    auto* drives = static_cast<QComboBox*>(Item(cmb2));
    if (drives->count() == 0)
        drives->addItem("/");
}

BOOL CLegacyDirDialog::OnInitDialog()
{
    // First what the common dialog does before its hook sees the dialog:
    // the caller's caption, help and read-only hidden, the controls filled.
    SetWindowText(m_title);
    Item(pshHelp)->hide();
    Item(chx1)->hide();
    auto* directories = static_cast<QListWidget*>(Item(lst2));
    // Once, however often the dialog runs.
    QObject::disconnect(directories, &QListWidget::itemDoubleClicked, nullptr, nullptr);
    QObject::connect(directories, &QListWidget::itemDoubleClicked, directories,
                     [this](QListWidgetItem* item) { OpenListedDirectory(item); });
    ChangeDirectory(OpeningDirectory(m_initialDir));

    // Then the reshaping into a directory picker.
    for (int id : {stc2, stc3, edt1, lst1, cmb1})
        Item(id)->hide();
    static_cast<QLineEdit*>(Item(edt1))->setText("Junk");
    directories->setFocus(Qt::OtherFocusReason);
    m_bFirstPaint = TRUE;
    CDialog::OnInitDialog();
    return FALSE;
}

void CLegacyDirDialog::OpenListedDirectory(QListWidgetItem* item)
{
    ChangeDirectory(ToStdString(item->data(kDirectoryRole).toString()));
}

void CLegacyDirDialog::OnOK()
{
    // As in the file dialog, OK (or Enter) in the directory list opens the
    // highlighted directory; it ends the dialog once the open one is chosen.
    auto* directories = static_cast<QListWidget*>(Item(lst2));
    QListWidgetItem* highlighted = directories->currentItem();
    if (QtDialog(*this)->focusWidget() == directories && highlighted
        && ToStdString(highlighted->data(kDirectoryRole).toString()) != m_currentDir)
        return OpenListedDirectory(highlighted);

    const std::string fileName = ToStdString(static_cast<QLineEdit*>(Item(edt1))->text());
    const std::string directory = m_currentDir == "/" ? std::string() : m_currentDir;
    m_pathName = directory + "/" + fileName;
    m_fileOffset = static_cast<int>(directory.size()) + 1;
    EndDialog(IDOK);
}

BOOL CLegacyDirDialog::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == QEvent::Paint)
        OnPaint();
    return FALSE;
}

void CLegacyDirDialog::OnPaint()
{
    if (!m_bFirstPaint)
        return;
    m_bFirstPaint = FALSE;
    static_cast<QListWidget*>(Item(lst2))->setCurrentRow(0);
}

namespace {

int RunModal(CLegacyDirDialog& dialog, DirectoryDialogRequest request)
{
    // A copy, so that a seam may replace itself while it runs.
    const DirectoryDialogSeam seam = GetDirectoryDialogSeam();
    if (!seam)
        return dialog.DoModal();
    if (!dialog.Create())
        return -1;
    request.dialog = QtDialog(dialog);
    const std::optional<std::string> answer = seam(request);
    if (answer) {
        dialog.ChangeDirectory(*answer);
        dialog.SendCommand(IDOK);
    } else {
        dialog.SendCommand(IDCANCEL);
    }
    dialog.DestroyWindow();
    return QtDialog(dialog)->result();
}

} // namespace

int RunLegacyDirDialog(HWND owner, const std::string& initialDir, const std::string& title, std::string& fullName,
                       int& fileOffset)
{
    CLegacyDirDialog dialog(CWnd::FromHandlePermanent(owner));
    dialog.SetInitialDir(initialDir);
    dialog.SetTitle(title);
    const int result = RunModal(dialog, {DirectoryDialogKind::Legacy, title, initialDir, QtWidget(owner), nullptr});
    if (result == IDOK) {
        fullName = dialog.GetPathName();
        fileOffset = dialog.GetFileOffset();
    }
    return result;
}
