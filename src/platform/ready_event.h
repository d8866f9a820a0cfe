// The names and texts of the relaunch hand-shake that do not need the system:
// the ready event's name and the security descriptor's text.
#pragma once

#include "platform/win_types.h"

#include <optional>
#include <string>

namespace tarvane {

// The ready event lives in the session namespace: creating a "Global\" object
// needs a privilege that the filtered token of a non-elevated administrator
// lacks, and the elevated copy runs in the same session anyway.
inline constexpr wchar_t kReadyEventPrefix[] = L"Local\\9049CAC4-3D98-42e1-8649-6FACC2E8D3D0";

// The prefix followed directly by the process identifier in decimal.
std::wstring ReadyEventName(DWORD processId);

// The SDDL text of the ready event's descriptor: Everyone and Anonymous may
// wait on the event and signal it (SYNCHRONIZE | EVENT_MODIFY_STATE) and
// nothing else, so no process can rewrite its DACL or owner; above major
// version 5 the untrusted-integrity label lets processes of any integrity
// level open it. An unknown version gets no label.
std::wstring OpenSecurityDescriptorText(std::optional<DWORD> majorVersion);

} // namespace tarvane
