#include "skin.h"

int SkinH_Attach() { return 0; }
