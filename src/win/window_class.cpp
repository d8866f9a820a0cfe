#include "win/window_class.h"

namespace tarvane::win {

bool RegisterMainDialogClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (!::GetClassInfoExW(instance, L"#32770", &windowClass)) {
        return false;
    }
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kMainDialogClassName;
    return ::RegisterClassExW(&windowClass) != 0;
}

} // namespace tarvane::win
