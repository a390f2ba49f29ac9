#pragma once
// The program's icons as Qt pictures, at the sizes a desktop asks for.
#include <QImage>

// The icon resource with this id drawn at size x size pixels; a null image
// when there is no such icon. Needs no application object.
QImage RenderIcon(int iconId, int size);
