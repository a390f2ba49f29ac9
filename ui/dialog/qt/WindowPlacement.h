#pragma once
// Places a top-level window as Windows places a dialog that has no position
// of its own: centred by its frame, title bar included, over its owner, or
// in the work area when it has none or the owner is minimized or hidden;
// kept inside the work area and never larger than it.
class QWidget;

// Places the window, still hidden, at once and again when it is first
// shown: the window manager adds the frame only as it shows the window, so
// until then the frame of a window already shown stands in for it, and the
// window is put right once its own frame is known.
void CentreWindowWhenShown(QWidget* window);
