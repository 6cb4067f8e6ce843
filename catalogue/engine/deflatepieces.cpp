#include "deflatepieces.h"

#include "error.h"
#include "parallel.h"

#include <QtEndian>

#include <zlib.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace kavinto {
namespace {

constexpr qsizetype kPiece = qsizetype(4) << 20;

struct Piece {
    QByteArrayView head;  // the stream's head, before the first piece only
    QByteArrayView body;
    bool last = false;
    QByteArray deflated;
    uLong adler = 1;
};

// Raw deflate of one piece, flushed to a byte boundary, or finished when last.
void deflatePiece(Piece& piece, int level) {
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw Error::cannotCompress();
    const std::unique_ptr<z_stream, int (*)(z_stream*)> ending(&z, deflateEnd);
    QByteArray& out = piece.deflated;
    out.resize(qsizetype(deflateBound(&z, uLong(piece.head.size() + piece.body.size()))) + 16);
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    for (QByteArrayView in : {piece.head, piece.body}) {
        piece.adler =
            adler32(piece.adler, reinterpret_cast<const Bytef*>(in.data()), uInt(in.size()));
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
        z.avail_in = uInt(in.size());
        if (deflate(&z, Z_NO_FLUSH) == Z_STREAM_ERROR || z.avail_in != 0)
            throw Error::cannotCompress();
    }
    const int status = deflate(&z, piece.last ? Z_FINISH : Z_SYNC_FLUSH);
    if (status != (piece.last ? Z_STREAM_END : Z_OK))
        throw Error::cannotCompress();
    out.resize(out.size() - qsizetype(z.avail_out));
    out.squeeze();  // held until all pieces are done
}

}  // namespace

QByteArray deflateInPieces(QByteArrayView head, QByteArrayView body, int level) {
    std::vector<Piece> pieces(
        std::size_t(std::max<qsizetype>(1, (body.size() + kPiece - 1) / kPiece)));
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const qsizetype at = qsizetype(i) * kPiece;
        pieces[i].body = body.sliced(std::min(at, body.size()),
                                     std::min(kPiece, body.size() - std::min(at, body.size())));
    }
    pieces.front().head = head;
    pieces.back().last = true;

    forEachInParallel(pieces.size(), [&](std::size_t i) { deflatePiece(pieces[i], level); });

    // zlib's header for a 32 KiB window and the level, then the pieces, then
    // the Adler-32 of all that went in.
    const int levelBits = level <= 1 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
    const int method = 0x78;
    const int flags = (levelBits << 6) + (31 - (method * 256 + (levelBits << 6)) % 31) % 31;
    qsizetype total = 2 + 4;
    for (const Piece& p : pieces) total += p.deflated.size();
    QByteArray out;
    out.reserve(total);
    out.append(char(method)).append(char(flags));
    uLong adler = 1;
    for (Piece& p : pieces) {
        out.append(p.deflated);
        p.deflated = QByteArray();
        adler = adler32_combine(adler, p.adler, z_off_t(p.head.size() + p.body.size()));
    }
    char check[4];
    qToBigEndian(quint32(adler), check);
    out.append(check, 4);
    return out;
}

}  // namespace kavinto
