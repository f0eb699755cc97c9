# Sourced by the scripts that run Wine: what this host can run, and which Wine loader to call.
#
# Some kernels run no 32-bit user code at all (IA-32 emulation off: every i386 program fails with
# "Exec format error"). There only Wine's 64-bit loader works, and Debian's wine, wineboot and
# wine-stable wrappers cannot be used, since they pick the 32-bit loader whenever it is installed.
#
# SETUP_TEST_NO32=1 makes the scripts behave as on such a host on any machine, so that the path
# can be tried (and is, in CI).

readonly WINE32_LOADER=/usr/lib/wine/wine
readonly WINE64_LOADER=/usr/lib/wine/wine64

# Why 32-bit code does not run here, or nothing when it does.
host_no32_reason() {
    case ${SETUP_TEST_NO32:-} in
    "" | 0) ;;
    *)
        echo "SETUP_TEST_NO32=$SETUP_TEST_NO32"
        return 0
        ;;
    esac
    if [ ! -x "$WINE32_LOADER" ]; then
        echo "$WINE32_LOADER is not installed"
    elif ! "$WINE32_LOADER" --version >/dev/null 2>&1; then
        echo "$WINE32_LOADER does not start"
    fi
}

host_runs_32bit() {
    [ -z "$(host_no32_reason)" ]
}

# Sets WINE to the command that runs a Windows program: Debian's wrapper where 32-bit code runs
# (it picks the loader that fits the program), else the 64-bit loader, which must then also be
# the loader Wine starts for child processes (WINELOADER).
select_wine_loader() {
    if host_runs_32bit; then
        WINE=wine
    else
        WINE=$WINE64_LOADER
        WINELOADER=$WINE64_LOADER
        export WINELOADER
    fi
}
