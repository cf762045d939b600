#pragma once
// The read-only view of the last Gamma Scout download's report, opened from the Counter menu.
class QDialog;
class QWidget;

namespace zelui {

class Tprincipal;

// Adds "last download's report" to the Counter menu, below the download entry.
void AttachReportMenu(Tprincipal& w);
// The view of the report (or of "no report yet"), not yet shown; owned by `parent`.
QDialog* NewReportView(QWidget* parent);
// A click on `w` (a dialog's status line) opens the view once a download has left a report;
// the pointer and the tooltip say so.
void OpenReportOnClick(QWidget* w);

} // namespace zelui
