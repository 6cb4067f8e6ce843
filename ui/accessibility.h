#pragma once

#include <QString>

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
// A list's value (its item, or the letters typed into it) told anew.
void announceValueChange(QWidget* widget);
// The notification spoken now, as if it appeared anew.
void announceAlert(QWidget* widget);
// A text spoken now as a notification of the widget's window, which no label shows.
void announce(QWidget* widget, const QString& text);
void announceRowsChanged(StringGrid* grid);
void announceCurrentRow(StringGrid* grid);

}  // namespace kavinto
