#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace kavinto {

// A text from a packet, fit to stand in a one-line message: in single
// quotes, control and unassigned characters as escapes (\n, \x01, \u200B),
// cut to its first 60 characters followed by "...".
QString quoted(QStringView text);
// A text from a catalogue, or a path or a list holding one, fit to stand in
// a report line unquoted: the same escapes for control and unassigned
// characters, nothing cut. Every catalogue text a report or message prints
// goes through one of the two.
QString escaped(QStringView text);
// The same for raw bytes of an unknown encoding: those above 127 are shown as \xNN.
QString quoted(QByteArrayView bytes);

}  // namespace kavinto
