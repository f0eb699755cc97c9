#pragma once
// The minimum Windows version that the setup ini file may demand.
#include <string>

// True when the running Windows meets [Main] MinWinVersion / MinWinServicePack (or none is set).
// On false the user has been told already.
bool CheckWinVersion();
