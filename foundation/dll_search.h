#pragma once
// The process-wide DLL search path.

// Makes every later load of a DLL by name, ours or one a system library makes on our behalf, look
// in the system folder only, never beside setup.exe (a download folder, where a planted DLL would
// run elevated) nor in the current folder. Called first thing at start. False when Windows is too
// old for that (before KB2533623); the current folder is then at least taken out of the search.
bool RestrictDllSearchToSystemFolder();
