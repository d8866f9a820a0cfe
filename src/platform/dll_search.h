// Where the process looks for the libraries it loads by name after start:
// the system folder only, never the program's own folder, where a portable
// copy lies beside whatever else was put there (an elevated copy runs from
// the same folder, and a delay-loaded library is loaded by name).
#pragma once

namespace tarvane {

// SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) where the system has
// it (Windows 7 without its update lacks it); whether it took effect.
bool LoadLibrariesFromSystemFolderOnly();

} // namespace tarvane
