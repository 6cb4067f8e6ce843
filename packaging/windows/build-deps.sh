#!/usr/bin/env bash
# Cross-builds the Windows dependencies once, from Debian's source packages:
# a static ICU, its data trimmed to what Hungarian collation and the code
# pages need (the items icu-data-keep.txt names, from 31 MB to 7 MB),
# and a static Qt (qtbase) that uses it. Prints the two install prefixes as a
# CMake prefix path; a second run with the same versions and options reuses them.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

icu_version=72.1-3+deb12u1
qt_version=6.4.2+dfsg-10
icu_options=(--enable-static --disable-shared --disable-tests --disable-samples
             --disable-extras --disable-layoutex --disable-icuio --disable-tools
             --with-data-packaging=static)
qt_options=(
  -DBUILD_SHARED_LIBS=OFF -DCMAKE_BUILD_TYPE=Release
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
  -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF -DFEATURE_concurrent=OFF
  -DFEATURE_printsupport=OFF -DFEATURE_zstd=OFF -DFEATURE_freetype=OFF
  -DFEATURE_icu=ON
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF
  -DFEATURE_gif=OFF -DFEATURE_ico=OFF -DFEATURE_sessionmanager=OFF
  # Debian's source lacks the Wintab headers, needed only for tablets.
  -DFEATURE_tabletevent=OFF
)

cache="${KAVINTO_WINDOWS_CACHE:-$HOME/.cache/kavinto/windows}"
# Each component is keyed by its version, its options and the toolchain; Qt's
# key includes ICU's, which it is built against.
icu_key="$( (echo "$icu_version"; printf '%s\n' "${icu_options[@]}"
             cat "$here/mingw-w64.cmake" "$here/icu-data-keep.txt") | sha256sum | cut -c1-12)"
qt_key="$( (echo "$qt_version $icu_key"; printf '%s\n' "${qt_options[@]}") | sha256sum | cut -c1-12)"
icu_prefix="$cache/icu-$icu_key"
qt_prefix="$cache/qt-$qt_key"
if [ -f "$icu_prefix/.complete" ] && [ -f "$qt_prefix/.complete" ]; then
  echo "$qt_prefix;$icu_prefix"
  exit 0
fi

log() { echo "build-deps: $*" >&2; }
jobs="$(nproc)"
src="$cache/src"
mkdir -p "$src"

# Source packages through a private apt configuration: the system's sources stay as they are.
fetch() {
  local name="$1" version="$2"
  [ -f "$src/${name}_${version}.dsc" ] && return
  local apt="$cache/apt"
  mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/cache/archives/partial"
  printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm' \
    'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' \
    >"$apt/sources.list.d/debian-src.sources"
  local opts=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt/sources.list.d"
              -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache")
  apt-get "${opts[@]}" update -q >&2
  (cd "$src" && apt-get "${opts[@]}" source --download-only "$name=$version" >&2)
}
unpack() {
  local name="$1" version="$2" dir="$3"
  [ -d "$dir" ] && return
  rm -rf "$dir.tmp"
  dpkg-source -x "$src/${name}_${version}.dsc" "$dir.tmp" >&2
  mv "$dir.tmp" "$dir"
}

# ICU: its data tools run on the build machine, so a native build of the same
# version comes first; the Windows build then uses its tools.
if [ ! -f "$icu_prefix/.complete" ]; then
  fetch icu "$icu_version"
  work="$cache/work-icu-$icu_key"
  mkdir -p "$work"
  unpack icu "$icu_version" "$work/icu"
  if [ ! -f "$work/native/.done" ]; then
    log "ICU $icu_version (native tools)"
    mkdir -p "$work/native"
    (cd "$work/native" &&
     "$work/icu/source/configure" --disable-tests --disable-samples --disable-extras --disable-layoutex >&2 &&
     make -j"$jobs" >&2)
    # The source package carries its data prebuilt: keep only the items named.
    data="$work/icu/source/data/in/icudt72l.dat"
    icupkg() { LD_LIBRARY_PATH="$work/native/lib:$work/native/stubdata" "$work/native/bin/icupkg" "$@"; }
    icupkg -l "$data" | grep -v -E -f "$here/icu-data-keep.txt" >"$work/native/remove.txt"
    icupkg -r "$work/native/remove.txt" "$data" "$work/native/icudt72l.dat" >&2
    cp "$work/native/icudt72l.dat" "$data"
    touch "$work/native/.done"
  fi
  log "ICU $icu_version (Windows)"
  rm -rf "$work/windows" "$icu_prefix"
  # Its installation puts the static data library in bin/, which must exist.
  mkdir -p "$work/windows" "$icu_prefix/bin"
  (cd "$work/windows" &&
   CC=x86_64-w64-mingw32-gcc-posix CXX=x86_64-w64-mingw32-g++-posix \
   CPPFLAGS="-DU_STATIC_IMPLEMENTATION" CFLAGS="-O2" CXXFLAGS="-O2" \
   "$work/icu/source/configure" --host=x86_64-w64-mingw32 --with-cross-build="$work/native" \
     "${icu_options[@]}" --prefix="$icu_prefix" >&2 &&
   make -j"$jobs" >&2 && make install >&2)
  # ICU installs its static data library in bin/, leaving a stub in lib/, and
  # names its static libraries with an "s" on Windows: add the real data and
  # the names that Qt's and CMake's ICU modules look for.
  cp "$icu_prefix/bin/sicudt.a" "$icu_prefix/lib/libsicudt.a"
  for lib in uc in dt; do
    cp "$icu_prefix/lib/libsicu$lib.a" "$icu_prefix/lib/libicu$lib.a"
  done
  touch "$icu_prefix/.complete"
  rm -rf "$work"
fi

# Qt: the host's own Qt 6.4.2 (Debian's) supplies moc, rcc and uic.
if [ ! -f "$qt_prefix/.complete" ]; then
  fetch qt6-base "$qt_version"
  work="$cache/work-qt-$qt_key"
  mkdir -p "$work"
  unpack qt6-base "$qt_version" "$work/qtbase"
  # Qt 6.4.2's Windows plugin does not compile without OpenGL: a function
  # that only OpenGL surfaces call asks for dynamic OpenGL alone.
  sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
    "$work/qtbase/src/plugins/platforms/windows/qwindowswindow.cpp"
  log "Qt $qt_version (Windows, static)"
  cmake -G Ninja -S "$work/qtbase" -B "$work/build" \
    -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64.cmake" -DCMAKE_INSTALL_PREFIX="$qt_prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DKAVINTO_WINDOWS_PREFIX="$icu_prefix" -DICU_ROOT="$icu_prefix" \
    -DCMAKE_C_FLAGS=-DU_STATIC_IMPLEMENTATION -DCMAKE_CXX_FLAGS=-DU_STATIC_IMPLEMENTATION \
    "${qt_options[@]}" >&2
  cmake --build "$work/build" --parallel "$jobs" >&2
  cmake --install "$work/build" >&2
  touch "$qt_prefix/.complete"
  rm -rf "$work"
fi

echo "$qt_prefix;$icu_prefix"
