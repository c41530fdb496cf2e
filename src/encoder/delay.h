#pragma once
// Waiting while the windows stay alive. Long work on the user-interface thread (the add-files
// analysis, the probe) pauses with Delay so that window messages keep flowing; the conversion
// worker simply sleeps.

// Returns after at least `ms` milliseconds. On the user-interface thread it serves events the
// whole time, sleeping in the event dispatcher between them; anywhere else it sleeps.
void Delay(int ms);
