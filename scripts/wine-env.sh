# Sourced, not run, before building and testing the Windows preset:
#   . scripts/wine-env.sh && cmake --preset windows && cmake --build --preset windows &&
#   ctest --preset windows
# Makes once what the test programs need under Wine, and sets this shell up to run them by hand
# (wine build-windows/tests/...exe) the way CTest does (see cmake/MinGW64.cmake):
# - the zh_CN.UTF-8 locale: Wine takes the ANSI code page from LC_CTYPE, and without that locale
#   the programs run with code page 1252 (or 936 with broken non-ASCII paths);
# - the build's own 64-bit Wine prefix, never ~/.wine, and not inside the source tree either:
#   /tmp/morvelin-wine-<uid>/<build folder path with '/' as '_'>.
# Sourcing it again costs next to nothing. It leaves no Wine process behind: the wine server that
# makes the prefix ends on its own a few seconds later, and CTest runs its own session.

morvelin_wine_build=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)/build-windows

# Runs a command as root when we are not; scripts/lib.sh may have defined this already.
if ! declare -F as_root >/dev/null; then
    as_root() {
        if [ "$(id -u)" -eq 0 ]; then
            "$@"
        else
            sudo "$@"
        fi
    }
fi

if ! locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
    echo "Generating the zh_CN.UTF-8 locale (code page 936 under Wine)"
    as_root localedef -i zh_CN -f UTF-8 zh_CN.UTF-8 ||
        { echo "wine-env.sh: cannot generate the zh_CN.UTF-8 locale" >&2; return 1; }
fi

# Only LC_CTYPE changes, so messages stay in the language they were in. LC_ALL would override it:
# its value moves to LANG, where the other categories find it. A shell that looked for locales
# before this one existed cannot switch to it itself and says so; its children can.
if [ -n "${LC_ALL:-}" ]; then
    export LANG=$LC_ALL
    unset LC_ALL
fi
export LC_CTYPE=zh_CN.UTF-8 2>/dev/null

export WINEPREFIX=/tmp/morvelin-wine-$(id -u)/${morvelin_wine_build//\//_}
export WINEARCH=win64
export WINEDEBUG=-all
# No .NET or Gecko installer prompts: the prefix is made in seconds instead of minutes.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset morvelin_wine_build

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    # Nothing of Wine may keep this shell's output open: a pipe reading it would never end.
    wineboot -i </dev/null >/dev/null 2>&1 ||
        { echo "wine-env.sh: cannot create the Wine prefix $WINEPREFIX" >&2; return 1; }
fi
