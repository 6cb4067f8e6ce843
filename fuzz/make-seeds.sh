#!/usr/bin/env bash
# Seeds for every fuzz target, made from the project's own catalogues and
# test files and, where the checkout has them beside it, the shared sample
# packets. Usage: make-seeds.sh KAVINTO_CATALOGUE OUT_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
tool=$(realpath "$1") out=$2
rm -rf "$out" && mkdir -p "$out"/{catalogue_file_fuzzer,binary_packet_fuzzer,xml_packet_fuzzer,changelog_fuzzer,csv_pack_fuzzer,document_name_fuzzer}

# Catalogue files packed from the project's CSV catalogues, and their packets.
i=0
for csv in "$here/sample" "$here/tests/e2e/catalogue"; do
    i=$((i + 1))
    "$tool" pack --methods "$csv/methods.csv" --functions "$csv/functions.csv" --out "$out/packed$i" >/dev/null
    cp "$out/packed$i/data/kavinto_modszerek.cds" "$out/catalogue_file_fuzzer/methods$i.cds"
    cp "$out/packed$i/data/kavinto_funkciok.cds" "$out/catalogue_file_fuzzer/functions$i.cds"
    { cat "$csv/methods.csv"; printf '\f'; cat "$csv/functions.csv"; } >"$out/csv_pack_fuzzer/catalogue$i.csv"
done
samples="$here/../shared/samples"
if [ -d "$samples" ]; then
    cp "$samples"/catalogue/data/*.cds "$out/catalogue_file_fuzzer/" 2>/dev/null || true
    for f in "$samples"/*.cds; do cp "$f" "$out/binary_packet_fuzzer/"; done
    for f in "$samples"/*.xml; do cp "$f" "$out/xml_packet_fuzzer/"; done
else
    echo "make-seeds: the shared samples are not beside this checkout; seeding from the project's own files only"
fi
python3 - "$out" <<'PY'
import pathlib, sys, zlib
out = pathlib.Path(sys.argv[1])
# Bare packets out of the catalogue files.
for f in (out / "catalogue_file_fuzzer").glob("*.cds"):
    try:
        (out / "binary_packet_fuzzer" / f.name).write_bytes(zlib.decompressobj().decompress(f.read_bytes())[4:])
    except zlib.error:
        pass
(out / "xml_packet_fuzzer" / "changes.xml").write_bytes(
    b'<?xml version="1.0"?><DATAPACKET Version="2.0"><METADATA><FIELDS><FIELD attrname="id" fieldtype="i4"/>'
    b'<FIELD attrname="n" fieldtype="string" WIDTH="9"/></FIELDS><PARAMS LCID="1038" CHANGE_LOG="1 0 4 2 0 4 3 1 8"/>'
    b'</METADATA><ROWDATA><ROW RowState="5" id="1" n="&#214;sz"/><ROW RowState="4" id="2"/>'
    b'<ROW RowState="12" id="3" n="t\xE9l"/></ROWDATA></DATAPACKET>')
for name, data in {"log": bytes([6, 1, 5, 4, 4, 0x14, 4, 0x1C, 1, 0, 4, 2, 0, 4, 6, 1, 8, 5, 0, 2]),
                   "plain": bytes([4, 2, 0, 0, 0, 0])}.items():
    (out / "changelog_fuzzer" / name).write_bytes(data)
for i, name in enumerate(["a.pdf", "sub/b.pdf", "sub\\b.pdf", "../top.pdf", "out.pdf", "outdir/secret.pdf",
                          "in.pdf", "C:a.pdf", "/etc/passwd", "sub/../a.pdf", "", "./a.pdf"]):
    (out / "document_name_fuzzer" / f"name{i}").write_text(name)
PY
