#include "ui/dialog/LegacyDirDialog.h"

#include "platform/WinVersion.h"
#include "platform/win32/WideText.h"
#include "res/ResourceIds.h"
#include "ui/dialog/win32/WindowSupport.h"

#include <commdlg.h>

namespace {

constexpr wchar_t kHookProperty[] = L"VantrelLegacyDirDialog";

// The hook's side of the old-style save dialog: once the common dialog has
// filled its controls, everything that concerns files is hidden, the hidden
// file name holds "Junk" and the directory list gets the focus; the first
// paint selects the list's first entry.
class CLegacyDirDialog {
public:
    static UINT_PTR CALLBACK Hook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

private:
    BOOL OnInitDialog(HWND dialog);
    void OnPaint(HWND dialog);

    BOOL m_bFirstPaint = FALSE;
};

UINT_PTR CALLBACK CLegacyDirDialog::Hook(HWND dialog, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CLegacyDirDialog*>(reinterpret_cast<OPENFILENAMEW*>(lParam)->lCustData);
        SetPropW(dialog, kHookProperty, self);
        return self->OnInitDialog(dialog);
    }
    auto* self = static_cast<CLegacyDirDialog*>(GetPropW(dialog, kHookProperty));
    if (!self)
        return FALSE;
    if (message == WM_PAINT) {
        self->OnPaint(dialog);
        return TRUE;
    }
    if (message == WM_NCDESTROY)
        RemovePropW(dialog, kHookProperty);
    return FALSE;
}

BOOL CLegacyDirDialog::OnInitDialog(HWND dialog)
{
    for (const int id : {stc2, stc3, edt1, lst1, cmb1})
        ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
    SetDlgItemTextW(dialog, edt1, L"Junk");
    SetFocus(GetDlgItem(dialog, lst2));
    m_bFirstPaint = TRUE;
    return FALSE;
}

void CLegacyDirDialog::OnPaint(HWND dialog)
{
    PAINTSTRUCT paint;
    BeginPaint(dialog, &paint);
    EndPaint(dialog, &paint);
    if (!m_bFirstPaint)
        return;
    m_bFirstPaint = FALSE;
    SendDlgItemMessageW(dialog, lst2, LB_SETCURSEL, 0, 0);
}

} // namespace

// The save form of the dialog from the program's template 1536, never the
// Explorer style. Help is offered on Windows older than 4.0, as the program
// handles the Help command. The offset of the file's name counts the bytes of
// the UTF-8 full name handed back.
int RunLegacyDirDialog(HWND owner, const std::string& initialDir, const std::string& title, std::string& fullName,
                       int& fileOffset)
{
    CLegacyDirDialog hook;
    const std::wstring start = WidenUtf8(initialDir), caption = WidenForDisplay(title);
    wchar_t file[MAX_PATH] = L"";
    wchar_t fileTitle[64] = L"";
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = TopLevelOf(owner);
    dialog.hInstance = AfxGetResourceHandle();
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrFileTitle = fileTitle;
    dialog.nMaxFileTitle = 64;
    dialog.lpstrInitialDir = start.c_str();
    dialog.lpstrTitle = caption.c_str();
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_ENABLESIZING;
    if (LOBYTE(GetVersion()) < 4)
        dialog.Flags |= OFN_SHOWHELP;
    dialog.lCustData = reinterpret_cast<LPARAM>(&hook);
    dialog.lpfnHook = &CLegacyDirDialog::Hook;
    dialog.lpTemplateName = MAKEINTRESOURCEW(IDD_LEGACY_DIR_DIALOG);
    if (!GetSaveFileNameW(&dialog))
        return IDCANCEL;
    fullName = NarrowToUtf8(file);
    fileOffset = static_cast<int>(NarrowToUtf8(file, dialog.nFileOffset).size());
    return IDOK;
}
