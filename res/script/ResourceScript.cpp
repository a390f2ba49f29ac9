#include "res/script/ResourceScript.h"

#include "res/DialogTemplates.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <cstdio>

namespace {

// A string literal of a resource script: quotes doubled, backslashes escaped.
std::string Quoted(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += "\"\"";
        else if (c == '\\')
            quoted += "\\\\";
        else
            quoted += c;
    }
    return quoted + '"';
}

std::string Hex(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

std::string Rectangle(int x, int y, int w, int h)
{
    return std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(w) + ", " + std::to_string(h);
}

const char* WindowClass(ControlKind kind)
{
    switch (kind) {
    case ControlKind::StaticLabel:
    case ControlKind::StaticIcon: return "Static";
    case ControlKind::ListBox: return "ListBox";
    case ControlKind::PushButton:
    case ControlKind::CheckBox: return "Button";
    case ControlKind::Edit: return "Edit";
    case ControlKind::ComboBox: return "ComboBox";
    }
    return "";
}

// A static icon's text is the id of its icon resource.
std::string ControlLine(const CDialogControl& control)
{
    const std::string text
        = control.kind == ControlKind::StaticIcon ? std::to_string(control.iconId) : Quoted(control.caption);
    return "    CONTROL " + text + ", " + std::to_string(control.id) + ", \"" + WindowClass(control.kind) + "\", "
        + Hex(control.style) + ", " + Rectangle(control.x, control.y, control.w, control.h) + "\n";
}

std::string DialogScript(const CDialogTemplate& dialog)
{
    std::string script = std::to_string(dialog.id) + " DIALOG " + Rectangle(dialog.x, dialog.y, dialog.w, dialog.h)
        + "\nSTYLE " + Hex(dialog.style) + "\n";
    if (dialog.exStyle)
        script += "EXSTYLE " + Hex(dialog.exStyle) + "\n";
    script += "CAPTION " + Quoted(dialog.caption) + "\n";
    script += "FONT " + std::to_string(dialog.fontPoints) + ", " + Quoted(dialog.fontName) + "\n";
    script += "BEGIN\n";
    for (const CDialogControl& control : dialog.controls)
        script += ControlLine(control);
    return script + "END\n\n";
}

std::string StringTableScript()
{
    std::string script = "STRINGTABLE\nBEGIN\n";
    for (const UINT id : StringIds())
        script += "    " + std::to_string(id) + ", " + Quoted(LoadResString(id)) + "\n";
    return script + "END\n\n";
}

} // namespace

std::string ResourceScript(const std::string& iconFile)
{
    std::string script = "// Written by rcscript from the tables of res/; not to be edited.\n"
                         "LANGUAGE 9, 1\n\n";
    script += std::to_string(IDR_MAINFRAME) + " ICON " + Quoted(iconFile) + "\n\n";
    for (const CDialogTemplate* dialog : AllDialogTemplates())
        script += DialogScript(*dialog);
    return script + StringTableScript();
}
