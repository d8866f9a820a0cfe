// The product as the user and the system see it: its name (the caption of
// every message box and the main window's title), its maker (the word in its
// registry paths) and its web addresses. Every layer takes these from here.
#pragma once

namespace tarvane {

// The application's name: the caption of every message box, the window's
// title and the last word of its registry paths.
inline constexpr wchar_t kApplicationName[] = L"Tarvane";
// The maker's word in the registry paths.
inline constexpr wchar_t kMakerKeyWord[] = L"Tarvane Labs";
// The one line the About box gives the product.
inline constexpr wchar_t kProductDescription[] = L"Tarvane time zone database editor";
// The maker's web page, linked from the About box.
inline constexpr wchar_t kMakerAddress[] = L"https://tarvane.example/";
// The product's web page that F1 opens.
inline constexpr wchar_t kHelpPageAddress[] = L"https://tarvane.example/help";

} // namespace tarvane
