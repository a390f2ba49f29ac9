#pragma once
// Builds the controls of a dialog template into a widget, converting dialog
// units to pixels from the template font's base units as Windows does.
#include "res/DialogTemplates.h"

#include <QFont>
#include <QRect>

class QWidget;

struct DialogBaseUnits {
    int x; // pixel width of the 52 letters a-z A-Z / 52, rounded
    int y; // font height in pixels
};

// The template's font, or the system's sans-serif of the same point size
// where that font is not installed.
QFont TemplateFont(const CDialogTemplate& dialogTemplate);
DialogBaseUnits ComputeBaseUnits(const QFont& font);
QRect DialogUnitsToPixels(int x, int y, int w, int h, DialogBaseUnits units);

// Gives dialog the template's caption, window flags, font and fixed size and
// creates every control as a child, in template order. Returns false when no
// template has this id.
bool BuildDialogFromTemplate(int templateId, QWidget* dialog);

// The template control id that a widget carries (IDC_STATIC when none).
void SetControlId(QWidget* control, int id);
int GetControlId(const QWidget* control);
// The direct child of parent with this control id, or null.
QWidget* FindControl(const QWidget* parent, int id);

// List boxes with LBS_SORT carry this property; CListBox inserts in order.
inline constexpr char kSortedListProperty[] = "vantrelSortedList";
