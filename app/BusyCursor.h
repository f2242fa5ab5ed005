#pragma once

namespace kuz {

// The application-wide cursor. A command that waits on the database sets the busy cursor at
// its start and the default cursor at its end; the main window's one-second timer sets the
// default cursor on every tick, so after a failure the busy cursor is gone within a second.
namespace cursor {

void setBusy();
// Removes every override: the platform's default cursor shows again.
void setDefault();
bool isBusy();

} // namespace cursor
} // namespace kuz
