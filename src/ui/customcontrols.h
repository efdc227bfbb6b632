#pragma once

// Makes the program's own controls known to the layout builder:
// "CCircleProgressUI", "CChartViewUI", "CWndUI" and "CDeviceKeyButtonUI"
// (layouts may also use the tags "CircleProgress", "ChartView", "Wnd" and
// "DeviceKeyButton"). UI thread, once at start-up before any layout is built.

namespace varlok::ui {

void RegisterCustomControls();

}  // namespace varlok::ui
