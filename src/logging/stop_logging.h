// Teardown of a logging run.
#pragma once

// force 0 asks "Exit Logging?" when a data file is open; force 1 does not,
// and with a data file open ends the program after the teardown. Returns 1
// when the run was torn down, 0 when the operator kept it.
int StopLogging(int force);
