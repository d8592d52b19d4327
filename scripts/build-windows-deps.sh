#!/usr/bin/env bash
# Builds Qt and libcurl for 64-bit Windows from Debian's own source packages, the same
# versions the Linux build uses, into a cache folder outside the work tree:
#   ${TILLORA_WINDEPS:-~/.cache/tillora/windeps-<Qt version>}  (bin, lib, include, plugins)
# A stamp of the inputs (the source versions, this script, the compiler's version)
# is written last; a second call with the same inputs does nothing. A folder without a
# matching stamp is never used: the build goes into "<cache>.partial" and replaces the
# cache by a rename only when it is complete.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
script="$repo/scripts/build-windows-deps.sh"

die() {
    echo "build-windows-deps: $*" >&2
    exit 1
}

"$repo/scripts/install-deps.sh" windows

triple=x86_64-w64-mingw32
cxx=$triple-g++-posix
# Each tool with the Debian package that has it.
for tool_package in "$triple-gcc-posix gcc-mingw-w64-x86-64-posix" \
    "$cxx g++-mingw-w64-x86-64-posix" "$triple-windres binutils-mingw-w64-x86-64" \
    "$triple-strip binutils-mingw-w64-x86-64" "cmake cmake" "ninja ninja-build" \
    "apt-get apt" "dpkg-source dpkg-dev" "patch patch" \
    "/usr/lib/qt6/libexec/moc qt6-base-dev-tools" "/usr/lib/qt6/libexec/uic qt6-base-dev-tools"; do
    read -r tool package <<<"$tool_package"
    command -v "$tool" >/dev/null ||
        die "$tool is missing (Debian package $package): run scripts/install-deps.sh windows"
done

# The Windows libraries are built from the sources of the Linux ones, so both builds
# behave alike; the host's moc, rcc and uic must be the same Qt version anyway.
source_version() {
    dpkg-query -W -f='${source:Version}' "$1" 2>/dev/null ||
        die "$1 is not installed: run scripts/install-deps.sh windows"
}
qt_version=$(source_version qt6-base-dev)
curl_version=$(source_version libcurl4-openssl-dev)
qt_upstream=$(sed -E 's/^[0-9]+://; s/[+~-].*//' <<<"$qt_version")

cache=${TILLORA_WINDEPS:-$HOME/.cache/tillora/windeps-$qt_upstream}
cache=${cache%/}
stamp_name=windeps.stamp
stamp=$(
    echo "qt6-base $qt_version"
    echo "curl $curl_version"
    echo "script $(sha256sum <"$script" | cut -d' ' -f1)"
    echo "compiler $($cxx --version | head -n1)"
    dpkg-query -W -f='package ${Package} ${Version}\n' g++-mingw-w64-x86-64-posix \
        mingw-w64-x86-64-dev
)
if [[ -f "$cache/$stamp_name" && "$(cat "$cache/$stamp_name")" == "$stamp" ]]; then
    echo "build-windows-deps: $cache is up to date"
    exit 0
fi

mkdir -p "$(dirname "$cache")"
exec 9>"$cache.lock"
flock -n 9 || die "another build of $cache is running"

# Whatever an interrupted build left is thrown away.
work="$cache.partial"
rm -rf "$work"
mkdir -p "$work/src" "$work/apt/sources.list.d" "$work/apt/lists/partial" \
    "$work/apt/cache/archives/partial"
echo "build-windows-deps: Qt $qt_version and curl $curl_version into $cache"

# A private deb-src copy of the system's package sources (one-line and deb822 files),
# with private lists and caches: the system's apt configuration and state stay as they are.
sources="$work/apt/sources.list"
parts="$work/apt/sources.list.d"
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [[ -f "$f" ]] && sed -nE 's/^deb([[:space:]])/deb-src\1/p' "$f"
done >"$sources"
for f in /etc/apt/sources.list.d/*.sources; do
    [[ -f "$f" ]] && sed -E 's/^Types:.*/Types: deb-src/' "$f" >"$parts/$(basename "$f")"
done
apt_options=(-o Dir::Etc::sourcelist="$sources" -o Dir::Etc::sourceparts="$parts"
             -o Dir::State::Lists="$work/apt/lists" -o Dir::Cache="$work/apt/cache")
# An entry without source packages only warns; a missing source package fails below.
apt-get "${apt_options[@]}" update ||
    echo "build-windows-deps: some source lists could not be fetched" >&2
# Root's downloads run as the _apt user, which needs to write there.
[[ $(id -u) -ne 0 ]] || ! id _apt >/dev/null 2>&1 || chown _apt "$work/src"
(cd "$work/src" && apt-get "${apt_options[@]}" source --download-only \
    "qt6-base=$qt_version" "curl=$curl_version")

# Unpacks a source package and applies the part of Debian's patch series before the
# line `stop`: upstream's fixes, security fixes first among them; what follows is
# Debian's own packaging. Every security fix in the series must be among those applied.
unpack() {
    local dsc=$1 tree=$2 stop=$3 name options applied=" " fixes=0
    local output
    output=$(dpkg-source --skip-patches -x "$dsc" "$tree" 2>&1) || die "$dsc: $output"
    while read -r name options; do
        [[ "$name $options" == "$stop"* ]] && break
        [[ -z "$name" || "$name" == \#* ]] && continue
        patch -d "$tree" --forward --quiet ${options:--p1} <"$tree/debian/patches/$name"
        applied+="$name "
    done <"$tree/debian/patches/series"
    for name in $(grep -io '^[^#[:space:]]*cve[^[:space:]]*' "$tree/debian/patches/series"); do
        [[ "$applied" == *" $name "* ]] || die "$tree: security fix $name comes after '$stop'"
        fixes=$((fixes + 1))
    done
    echo "build-windows-deps: $(basename "$dsc") unpacked with $(wc -w <<<"$applied") of" \
        "Debian's patches, $fixes of them security fixes"
}
unpack "$work/src/qt6-base_${qt_version#*:}.dsc" "$work/src/qt" "# Debian specific"
unpack "$work/src/curl_${curl_version#*:}.dsc" "$work/src/curl" "# Do not add patches below"

# The libraries' own toolchain: the programs' choice of linking the compiler's runtime
# statically or not must not force a rebuild of Qt.
toolchain="$work/toolchain.cmake"
cat >"$toolchain" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $triple-gcc-posix)
set(CMAKE_CXX_COMPILER $cxx)
set(CMAKE_RC_COMPILER $triple-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$triple)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
common=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
        -DCMAKE_INSTALL_PREFIX="$cache" -DCMAKE_STRIP="$(command -v $triple-strip)"
        -DBUILD_SHARED_LIBS=ON)

# curl: Schannel (Windows' own TLS and certificate store), no optional libraries and
# no CA bundle or path compiled in; only the library, and of its protocols only the
# two the programs speak (SMTP for reports, HTTP(S) for push and the monitor).
# It is built beside Qt: its configuration runs one compiler check after another, and
# Qt's build uses the cores that leaves idle. Its output goes to a log of its own.
build_curl() {
    cmake -S "$work/src/curl" -B "$work/build-curl" "${common[@]}" \
        -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF \
        -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_WINDOWS_SSPI=ON \
        -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBPSL=OFF -DUSE_LIBIDN2=OFF -DUSE_WIN32_IDN=ON \
        -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF \
        -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none \
        -DCURL_DISABLE_DICT=ON -DCURL_DISABLE_FILE=ON -DCURL_DISABLE_FTP=ON \
        -DCURL_DISABLE_GOPHER=ON -DCURL_DISABLE_IMAP=ON -DCURL_DISABLE_MQTT=ON \
        -DCURL_DISABLE_POP3=ON -DCURL_DISABLE_RTSP=ON -DCURL_DISABLE_SMB=ON \
        -DCURL_DISABLE_TELNET=ON -DCURL_DISABLE_TFTP=ON
    cmake --build "$work/build-curl" -j"$(nproc)"
    DESTDIR="$work/root" cmake --install "$work/build-curl" --strip >/dev/null
}
curl_log="$work/curl.log"
build_curl >"$curl_log" 2>&1 &
curl_build=$!

# Qt: the modules and plugins the programs use, with Qt's own copies of zlib, pcre2,
# libpng, HarfBuzz and FreeType. direct2d stays on although unused: without it
# Qt6PrintSupport.dll does not link (it uses the DirectWrite font engine). tabletevent
# needs wintab.h, which Debian's tarball lacks. The widgets, formats and network parts the
# programs never use are left out too: a fresh machine builds this within CI's time.
# Not every unused part can go: networkinterface (the Windows socket engine uses it
# unguarded), and toolbar, menubar, mainwindow and dockwidget (Widgets' compatibility
# code includes their headers unguarded) stay on, and so does tabwidget (the Windows
# style uses it unguarded).
cmake -S "$work/src/qt" -B "$work/build-qt" "${common[@]}" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_QMAKE_TARGET_MKSPEC=win32-g++ -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DINPUT_opengl=no -DINPUT_ssl=no -DFEATURE_openssl=OFF -DFEATURE_schannel=OFF \
    -DFEATURE_sql=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_vulkan=OFF -DFEATURE_direct2d1_1=OFF -DFEATURE_tabletevent=OFF \
    -DFEATURE_jpeg=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_doubleconversion=OFF \
    -DFEATURE_graphicsview=OFF -DFEATURE_mdiarea=OFF -DFEATURE_undocommand=OFF \
    -DFEATURE_colordialog=OFF -DFEATURE_fontdialog=OFF -DFEATURE_fontcombobox=OFF \
    -DFEATURE_lcdnumber=OFF -DFEATURE_dial=OFF -DFEATURE_keysequenceedit=OFF \
    -DFEATURE_wizard=OFF -DFEATURE_commandlinkbutton=OFF -DFEATURE_splashscreen=OFF \
    -DFEATURE_toolbox=OFF -DFEATURE_textodfwriter=OFF -DFEATURE_textmarkdownreader=OFF \
    -DFEATURE_textmarkdownwriter=OFF -DFEATURE_movie=OFF -DFEATURE_gif=OFF \
    -DFEATURE_imageformat_ppm=OFF -DFEATURE_imageformat_xbm=OFF -DFEATURE_tuiotouch=OFF \
    -DFEATURE_dnslookup=OFF -DFEATURE_networkdiskcache=OFF \
    -DFEATURE_statusbar=OFF -DFEATURE_textbrowser=OFF \
    -DFEATURE_syntaxhighlighter=OFF -DFEATURE_datetimeedit=OFF -DFEATURE_scroller=OFF \
    -DFEATURE_whatsthis=OFF -DFEATURE_columnview=OFF -DFEATURE_printdialog=OFF \
    -DFEATURE_printpreviewdialog=OFF -DFEATURE_itemmodeltester=OFF \
    -DFEATURE_concatenatetablesproxymodel=OFF -DFEATURE_transposeproxymodel=OFF \
    -DFEATURE_http=OFF -DFEATURE_networkproxy=OFF -DFEATURE_socks5=OFF
cmake --build "$work/build-qt" -j"$(nproc)"
DESTDIR="$work/root" cmake --install "$work/build-qt" --strip >/dev/null
if ! wait "$curl_build"; then
    tail -n 40 "$curl_log" >&2
    die "curl's build failed (its whole log: $curl_log)"
fi
echo "build-windows-deps: curl built ($(grep -c '^\[' "$curl_log") steps)"

# Qt's DLLs need the compiler's runtime DLLs: they go beside them, so one folder on the
# DLL search path is enough.
staged="$work/root$cache"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    cp "$(realpath "$($cxx -print-file-name=$dll)")" "$staged/bin/"
done

echo "$stamp" >"$staged/$stamp_name"
rm -rf "$cache"
mv "$staged" "$cache"
rm -rf "$work"
echo "build-windows-deps: done, $(du -sh "$cache" | cut -f1) in $cache"
