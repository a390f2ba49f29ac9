#include "ui/LegacyDirDialog.h"

#include "res/ResourceIds.h"

#include <QComboBox>
#include <QDir>
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

CLegacyDirDialog::CLegacyDirDialog(QWidget* parent)
    : CDialog(IDD_LEGACY_DIR_DIALOG, parent)
{
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
    static_cast<QLabel*>(GetDlgItem(stc1))->setText(current);
    FillDirectoryList(static_cast<QListWidget*>(GetDlgItem(lst2)), current);
    auto* drives = static_cast<QComboBox*>(GetDlgItem(cmb2));
    if (drives->count() == 0)
        drives->addItem("/");
}

BOOL CLegacyDirDialog::OnInitDialog()
{
    // First what the common dialog does before its hook sees the dialog:
    // the caller's caption, help and read-only hidden, the controls filled.
    setWindowTitle(ToQString(m_title));
    GetDlgItem(pshHelp)->hide();
    GetDlgItem(chx1)->hide();
    auto* directories = static_cast<QListWidget*>(GetDlgItem(lst2));
    connect(directories, &QListWidget::itemDoubleClicked, this, &CLegacyDirDialog::OpenListedDirectory,
            Qt::UniqueConnection);
    ChangeDirectory(OpeningDirectory(m_initialDir));

    // Then the reshaping into a directory picker.
    for (int id : {stc2, stc3, edt1, lst1, cmb1})
        GetDlgItem(id)->hide();
    static_cast<QLineEdit*>(GetDlgItem(edt1))->setText("Junk");
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
    auto* directories = static_cast<QListWidget*>(GetDlgItem(lst2));
    QListWidgetItem* highlighted = directories->currentItem();
    if (focusWidget() == directories && highlighted
        && ToStdString(highlighted->data(kDirectoryRole).toString()) != m_currentDir)
        return OpenListedDirectory(highlighted);

    const std::string fileName = ToStdString(static_cast<QLineEdit*>(GetDlgItem(edt1))->text());
    const std::string directory = m_currentDir == "/" ? std::string() : m_currentDir;
    m_pathName = directory + "/" + fileName;
    m_fileOffset = static_cast<int>(directory.size()) + 1;
    EndDialog(IDOK);
}

void CLegacyDirDialog::paintEvent(QPaintEvent* event)
{
    CDialog::paintEvent(event);
    if (!m_bFirstPaint)
        return;
    m_bFirstPaint = FALSE;
    static_cast<QListWidget*>(GetDlgItem(lst2))->setCurrentRow(0);
}
