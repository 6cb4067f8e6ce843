#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace kavinto {

// A zlib stream of `head` followed by `body`, deflated at `level` (0 to 9) in pieces
// of a few MiB on as many threads as the processor runs: each piece is
// deflated on its own and ends on a byte boundary, so the pieces joined are
// one stream that any inflater reads. Throws std::bad_alloc, or an Error
// when zlib fails.
QByteArray deflateInPieces(QByteArrayView head, QByteArrayView body, int level);

}  // namespace kavinto
