# Shared by run.sh and test.sh: installs what is missing, nothing more.

# Runs a command as root: directly when we are root, through sudo otherwise.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}

# Installs the named Debian packages that are not installed yet.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg -s "$pkg" >/dev/null 2>&1 ||
            ! dpkg -s "$pkg" 2>/dev/null | grep -q '^Status: install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What building the program and its tests needs.
BUILD_PACKAGES=(
    cmake make g++ pkg-config clang-format
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev libgl-dev libqscintilla2-qt6-dev
    fonts-wqy-microhei
    xvfb xauth xdotool imagemagick desktop-file-utils
    ibus ibus-libpinyin dbus-daemon inotify-tools
)

# What the Windows build of the non-GUI layers and its test run under Wine need.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine wine64 locales)

# Configures and builds one CMake preset.
build_preset() {
    local preset=$1
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)"
}
