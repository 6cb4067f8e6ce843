#pragma once

class QWidget;

namespace kavinto {

class StringGrid;

// Registers the accessible interfaces of the hand-drawn controls: windows
// as windows (not the filler a plain widget is), panels as
// groupings, labels as static text related to the control they name,
// pictures as named images, lists as combo boxes named by their label, the
// grid as a table of cells. Idempotent; the windows call it.
void installAccessibility();

// Events for assistive technology.
void announceNameChange(QWidget* widget);
// The notification spoken now, as if it appeared anew.
void announceAlert(QWidget* widget);
void announceRowsChanged(StringGrid* grid);
void announceCurrentRow(StringGrid* grid);

}  // namespace kavinto
