// Merrow's tasks: scripts, jobs, device-client dialogs and the client list.
#pragma once

#include "Session.h"

namespace merrow {

// Runs the tasks in command-line order; the result is the exit code of the
// last task processed.
int RunTaskList(Session& session);

// The "-l" listing.
void PrintClientList(CKIVInstance_0* instance);

} // namespace merrow
