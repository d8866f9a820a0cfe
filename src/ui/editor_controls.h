// The control groups of the editor panel.
#pragma once

#include "resources/resource.h"
#include "ui/editor_panel.h"

namespace tarvane::ui {

inline constexpr OffsetIds kBiasIds{IDC_BIAS_SIGN, IDC_BIAS_HOURS, IDC_BIAS_HOURS_SPIN, IDC_BIAS_MINUTES,
                                    IDC_BIAS_MINUTES_SPIN};
inline constexpr OffsetIds kStandardOffsetIds{IDC_STD_SIGN, IDC_STD_HOURS, IDC_STD_HOURS_SPIN,
                                              IDC_STD_MINUTES, IDC_STD_MINUTES_SPIN};
inline constexpr OffsetIds kDaylightOffsetIds{IDC_DST_SIGN, IDC_DST_HOURS, IDC_DST_HOURS_SPIN,
                                              IDC_DST_MINUTES, IDC_DST_MINUTES_SPIN};
inline constexpr TransitionIds kStandardTransitionIds{IDC_STD_MONTH, IDC_STD_WEEK, IDC_STD_DAY_OF_WEEK,
                                                      IDC_STD_TIME,  IDC_STD_DATE, IDC_STD_ONCE_TIME};
inline constexpr TransitionIds kDaylightTransitionIds{IDC_DST_MONTH, IDC_DST_WEEK, IDC_DST_DAY_OF_WEEK,
                                                      IDC_DST_TIME,  IDC_DST_DATE, IDC_DST_ONCE_TIME};
// The date and time pickers of both groups.
inline constexpr int kPickerIds[] = {IDC_STD_TIME, IDC_STD_DATE, IDC_STD_ONCE_TIME,
                                     IDC_DST_TIME, IDC_DST_DATE, IDC_DST_ONCE_TIME};

} // namespace tarvane::ui
