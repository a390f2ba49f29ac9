#pragma once
// The program's dialog templates as data: positions and sizes in dialog
// units of the template's font, styles as the template bits.
#include "platform/WinTypes.h"

#include <vector>

enum class ControlKind { StaticLabel, StaticIcon, ListBox, PushButton, Edit, CheckBox, ComboBox };

struct CDialogControl {
    int id;
    ControlKind kind;
    const char* caption; // empty for controls without text
    DWORD style;         // including WS_CHILD and WS_VISIBLE
    int x, y, w, h;
    int iconId = 0; // the icon resource of a static icon
};

struct CDialogTemplate {
    int id;
    const char* caption;
    DWORD style;
    DWORD exStyle;
    int x, y, w, h;
    int fontPoints;
    const char* fontName;
    std::vector<CDialogControl> controls; // template order = tab order
};

// The template with this id, or null.
const CDialogTemplate* FindDialogTemplate(int id);
// Every template, in the order of their ids.
const std::vector<const CDialogTemplate*>& AllDialogTemplates();
