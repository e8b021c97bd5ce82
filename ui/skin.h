#pragma once

// The one place a skin would attach to the windows of this thread. The
// program keeps the platform's own look (visual styles come from the
// manifest), so there is nothing to attach; the result is 0 like a skin
// library's success, and nobody reads it.
int SkinH_Attach();
