#include "ui/skin.h"

// Empty on purpose: the window keeps the platform's look, and this call only
// keeps the place at start where a skin library's attach call stood.
int SkinH_Attach() { return 0; }
