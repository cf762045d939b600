#pragma once
// The charts' way out of the program: "Copy chart", "Save chart as…" and "Export records…" in
// the File menu (acting on the chart in front) and in the context menu of every chart.
#include <string>

#include "app/chart_menus.h"

class QMenu;

namespace zelui {

class Tprincipal;
class ChartWidget;

void AttachChartMenus(Tprincipal& w);
// The context menu of one chart (owned by the caller): copy, save, export.
QMenu* ChartContextMenu(ChartWidget& w);
// The chart at the size it is shown (800 x 600 when it was never shown), written to `path`.
bool WriteChartPicture(ChartWidget& w, const std::string& path, zel::PictureFormat format);

} // namespace zelui
